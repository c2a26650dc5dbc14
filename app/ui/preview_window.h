// Shows a finished GIF, animated, in the middle of the screen: at its own size when it fits,
// otherwise scaled down to 80% of the available area. A double-click closes it.
#pragma once

#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QWidget>

namespace app {

class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kInitialWidth = 112;
    static constexpr int kInitialHeight = 96;

    explicit PreviewWindow(QWidget* parent = nullptr);

    // The size the picture is shown at in `area` (the screen less panels): its own when it
    // fits with the window's margin, else the largest of its aspect within 80% of the area.
    static QSize ShownSize(const QSize& picture, const QSize& area);

    // Reads the whole file and shows it centred in `area`; an unreadable file leaves an empty
    // picture.
    void Open(const QString& path, const QRect& area);
    QSize PictureSize() const;  // as shown
    QLabel* Picture() const { return picture_; }

  signals:
    // The window is going away, by a double-click or by the window manager.
    void closed();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* picture_;
    // Read where it lies: a long recording's GIF need not fit in memory.
    QFile file_;
    QMovie movie_;
    bool closedSignalled_ = false;
    bool showing_ = false;  // a picture was read
};

}  // namespace app
