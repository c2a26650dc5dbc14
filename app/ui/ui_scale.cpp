#include "app/ui/ui_scale.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QtGlobal>

#include <cmath>

namespace app {
namespace {

double& UserFactor() {
    static double factor = 1.0;
    return factor;
}

}  // namespace

void RememberUserScaleFactor() {
    bool ok = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    // Beyond these the windows would not fit any screen, or not be readable.
    if (ok && std::isfinite(factor) && factor >= 0.5 && factor <= 4.0) UserFactor() = factor;
}

void ApplyUserScaleFactor(QApplication& application) {
    if (UserFactor() == 1.0) return;
    QFont font = application.font();
    font.setPointSizeF(font.pointSizeF() * UserFactor());
    application.setFont(font);
}

double UiScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const double scale = (dpi > 0 ? dpi / 96.0 : 1.0) * UserFactor();
    return scale < 1.0 ? 1.0 : scale;
}

int Px(int length) {
    return int(std::lround(length * UiScale()));
}

QRect Px(int left, int top, int width, int height) {
    const int x = Px(left), y = Px(top);
    return QRect(x, y, Px(left + width) - x, Px(top + height) - y);
}

QSize Px(int width, int height) {
    return QSize(Px(width), Px(height));
}

}  // namespace app
