// Large digits counting down before the first grab of an X11 recording. Clicks pass through,
// and the window is only the digit's shape, so the desktop stays usable and visible around it.
#pragma once

#include <QPainterPath>
#include <QRect>
#include <QWidget>

namespace app {

class CountdownWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSide = 240;

    CountdownWindow();

    // Shows `secondsLeft` in the middle of `area`.
    void ShowSeconds(int secondsLeft, const QRect& area);
    int Seconds() const { return seconds_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPainterPath DigitPath() const;

    int seconds_ = 0;
};

}  // namespace app
