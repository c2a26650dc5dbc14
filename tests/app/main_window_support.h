// A MainWindow on a stand-in desktop: grabs come from it, GIFs go to `folder` through the real
// GIF maker.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "app/core/encoder.h"
#include "app/ui/main_window.h"
#include "platform/desktop.h"

namespace app {

inline std::unique_ptr<MainWindow> MakeTestWindow(
    platform::NullDesktop& desktop, const QString& folder,
    std::function<void()> endProcess = [] {}) {
    MainWindow::Services services{
        desktop,
        [&desktop](int32_t l, int32_t t, int32_t w, int32_t h, std::vector<uint8_t>& f) {
            desktop.GrabInto(l, t, w, h, f);
        },
        MakeGifMakerEncoder(), folder, std::move(endProcess)};
    return std::make_unique<MainWindow>(std::move(services));
}

}  // namespace app
