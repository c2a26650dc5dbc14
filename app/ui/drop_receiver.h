// Makes one widget accept files dragged from a file manager and hands the dropped paths, joined
// by CR LF, to a callback. It binds to the widget as an event filter; nothing else of the widget
// changes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QDropEvent;

namespace app {

class DropReceiver : public QObject {
    Q_OBJECT
  public:
    using DropCallback = std::function<void(const QString& fileList)>;

    DropReceiver() = default;
    ~DropReceiver() override;
    DropReceiver(const DropReceiver&) = delete;
    DropReceiver& operator=(const DropReceiver&) = delete;

    // Does nothing when installed already.
    void Install(QWidget* window, DropCallback callback);
    // Puts the widget back as it was; harmless when not installed.
    void Uninstall();
    bool Installed() const { return installed_; }

    // Every event of the widget comes here. A drop of local files goes to the callback and is
    // taken; every other event passes on to the widget unchanged (false).
    bool HandleMessage(QObject* window, QEvent* event);

    // The local files of a drop, in the order given, joined by CR LF with none after the last.
    static QString FileListOf(const QDropEvent& drop);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    DropCallback callback_;
    bool previousAcceptDrops_ = false;
    bool installed_ = false;
};

// Where an accepted watermark goes: the status line, and the picture box with the size the
// capture worker places the watermark by.
struct WatermarkTarget {
    std::function<void(const QString& text)> setStatus;
    std::function<void(const QByteArray& bmp24, int width, int height)> setWatermark;
};

// The drop callback: the dropped list is tried as a watermark picture; every drop ends with one
// status message, and only an accepted picture changes the watermark. The file is read and
// decoded on a worker thread, one drop after the other; the target hears of the result on
// `owner`'s thread, and not at all once `owner` is gone.
void OnFilesDropped(const QString& fileList, const WatermarkTarget& target, QObject* owner);

}  // namespace app
