// Shows a finished GIF, animated, in the middle of the screen: at its own size when it fits,
// otherwise scaled down to 80% of the available area. A double-click closes it. Below the
// animation an editor strip trims, cuts and retimes the recording; its frames are read from
// the file one at a time, and "保存" writes the edit over the file on a thread of its own.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <thread>

#include "app/core/gif_edit_session.h"
#include "gif/gif_maker.h"

namespace app {

class EditorStrip;

class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kInitialWidth = 112;
    static constexpr int kInitialHeight = 96;

    explicit PreviewWindow(QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // The size the picture is shown at in `area` (the screen less panels and the strip): its
    // own when it fits with the window's margin, else the largest of its aspect within 80% of
    // the area.
    static QSize ShownSize(const QSize& picture, const QSize& area);

    // The encoder settings an edit is saved with.
    void SetMakerOptions(const gif::MakerOptions& options) { options_ = options; }
    // Shows the file centred in `area` and starts playing it; an unreadable file leaves an
    // empty picture and says why.
    void Open(const QString& path, const QRect& area);
    QSize PictureSize() const;  // as shown
    QLabel* Picture() const { return picture_; }
    EditorStrip* Strip() const { return strip_; }
    const GifEditSession& Session() const { return session_; }
    uint32_t CurrentFrame() const { return current_; }
    bool Saving() const { return saving_.joinable(); }

  signals:
    // The window is going away, by a double-click or by the window manager.
    void closed();
    // A save of an edit ended.
    void editSaved(bool saved);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectStrip();
    void IndexSome();
    void ShowFrame(uint32_t frame);
    void PlayNext();
    void SetPlaying(bool playing);
    void Step(bool forward);
    void AfterEdit(bool changed, const QString& refused = {});
    void DeleteSelected();
    void Save();
    void SaveEnded(const EditSaveResult& result);
    void ShowFailure(const QString& what);

    QLabel* picture_;
    EditorStrip* strip_;
    GifEditSession session_;
    QString path_;
    QSize shown_;        // the picture in the window's units
    QSize shownPixels_;  // and in the screen's pixels
    double ratio_ = 1.0;
    uint32_t current_ = 0;
    bool playing_ = false;
    QTimer playTimer_, indexTimer_;
    gif::MakerOptions options_;
    std::thread saving_;
    bool closeAfterSave_ = false;
    bool closedSignalled_ = false;
    bool showing_ = false;  // a picture was read
};

}  // namespace app
