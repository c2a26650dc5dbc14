// Shows a finished GIF, animated, at its own size in the middle of the screen. A double-click
// closes it.
#pragma once

#include <QBuffer>
#include <QByteArray>
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

    // Reads the whole file and shows it; an unreadable file leaves an empty picture.
    void Open(const QString& path, const QSize& screen);
    QSize PictureSize() const;
    QLabel* Picture() const { return picture_; }

  signals:
    // The window is going away, by a double-click or by the window manager.
    void closed();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* picture_;
    QByteArray bytes_;
    QBuffer buffer_;
    QMovie movie_;
    bool closedSignalled_ = false;
};

}  // namespace app
