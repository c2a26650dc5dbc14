#include "app/ui/physical_pixels.h"

#include "app/ui/ui_scale.h"

#include <QByteArray>
#include <QtGlobal>

namespace app {

void UsePhysicalPixels() {
    RememberUserScaleFactor();
    // Qt reads these once, when the application object is made. The platform's DPI (Xft.dpi)
    // only counts while QT_ENABLE_HIGHDPI_SCALING is on; the two factors apply even without it.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", QByteArray("0"));
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
}

void UseCompositorScaling() {
    RememberUserScaleFactor();
    qunsetenv("QT_SCALE_FACTOR");
}

}  // namespace app
