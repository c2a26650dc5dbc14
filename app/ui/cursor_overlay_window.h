// A small arrow that follows the mouse pointer during a recording, so the pointer shows in the
// recorded frames (a screen grab does not contain the real pointer). Clicks pass through it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

namespace app {

class CursorOverlayWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 24;
    // A follower period of one frame at 60 Hz.
    static constexpr int kFollowMs = 16;

    // `pointer` reports the pointer's hot spot in screen pixels; nothing leaves the arrow still.
    using PointerSource = std::function<std::optional<QPoint>()>;
    explicit CursorOverlayWindow(PointerSource pointer = {});
    ~CursorOverlayWindow() override;

    // The arrow on its magenta background; its tip is the top-left pixel.
    static QImage ArrowPicture();

    bool Following() const { return follower_.isActive(); }
    // One step of the follower: the window's top-left corner onto the pointer.
    void FollowPointer();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    PointerSource pointer_;
    QImage arrow_;
    QTimer follower_;
};

}  // namespace app
