#include "app/ui/preview_window.h"

#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "app/ui/clipboard_copy.h"
#include "app/ui/edit_timeline.h"
#include "app/ui/editor_strip.h"

namespace app {

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("PreviewWindow");
    setWindowTitle(tr("预览"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    resize(kInitialWidth, kInitialHeight);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("图片框1"));
    picture_->setGeometry(1, 1, kInitialWidth - 2, kInitialHeight - 2);
    // Double-clicks on the picture reach the window.
    picture_->setAttribute(Qt::WA_TransparentForMouseEvents);
    strip_ = new EditorStrip(this);
    playTimer_.setSingleShot(true);
    connect(&playTimer_, &QTimer::timeout, this, &PreviewWindow::PlayNext);
    // A long recording is indexed a slice at a time, while its first frame already shows.
    indexTimer_.setInterval(0);
    connect(&indexTimer_, &QTimer::timeout, this, &PreviewWindow::IndexSome);
    ConnectStrip();
}

PreviewWindow::~PreviewWindow() {
    if (saving_.joinable()) saving_.join();
}

void PreviewWindow::ConnectStrip() {
    connect(strip_, &EditorStrip::playToggled, this, [this] { SetPlaying(!playing_); });
    connect(strip_, &EditorStrip::stepBack, this, [this] { Step(false); });
    connect(strip_, &EditorStrip::stepForward, this, [this] { Step(true); });
    connect(strip_, &EditorStrip::setStart, this,
            [this] { AfterEdit(session_.SetStart(current_), tr("不能去掉所有的帧")); });
    connect(strip_, &EditorStrip::setEnd, this,
            [this] { AfterEdit(session_.SetEnd(current_), tr("不能去掉所有的帧")); });
    connect(strip_, &EditorStrip::deleteSelected, this, &PreviewWindow::DeleteSelected);
    connect(strip_, &EditorStrip::speedChosen, this,
            [this](double speed) { AfterEdit(session_.SetSpeed(speed)); });
    connect(strip_, &EditorStrip::undo, this, [this] { AfterEdit(session_.Undo()); });
    connect(strip_, &EditorStrip::save, this, &PreviewWindow::Save);
    connect(strip_->Timeline(), &EditTimeline::frameChosen, this, [this](uint32_t frame) {
        SetPlaying(false);
        ShowFrame(frame);
    });
}

QSize PreviewWindow::ShownSize(const QSize& picture, const QSize& area) {
    if (picture.isEmpty()) return QSize(0, 0);
    if (picture.width() + 2 <= area.width() && picture.height() + 2 <= area.height()) {
        return picture;
    }
    // In whole numbers, so that the side that decides gets exactly 80% of the area's.
    const int64_t boxWidth = int64_t{area.width()} * 4 / 5;
    const int64_t boxHeight = int64_t{area.height()} * 4 / 5;
    int64_t width = boxWidth;
    int64_t height = boxHeight;
    if (int64_t{picture.width()} * boxHeight <= int64_t{picture.height()} * boxWidth) {
        width = picture.width() * boxHeight / picture.height();
    } else {
        height = picture.height() * boxWidth / picture.width();
    }
    return QSize(static_cast<int>(std::max<int64_t>(1, width)),
                 static_cast<int>(std::max<int64_t>(1, height)));
}

void PreviewWindow::Open(const QString& path, const QRect& area) {
    path_ = path;
    std::string error;
    QSize size(0, 0);
    if (session_.Open(path.toStdString(), error))
        size = QSize(session_.Width(), session_.Height());
    else
        strip_->ShowMessage(tr("无法打开：%1").arg(QString::fromStdString(error)));
    const QSize strip = strip_->sizeHint();
    // On a scaled output (Qt's own scaling, Wayland) one pixel of the GIF is one pixel of the
    // screen: the picture's size in the window's units is its pixels over the ratio.
    ratio_ = screen() ? screen()->devicePixelRatio() : 1.0;
    const QSize fitted = ShownSize(size, (area.size() - QSize(0, strip.height())) * ratio_);
    shown_ =
        QSize(int(std::ceil(fitted.width() / ratio_)), int(std::ceil(fitted.height() / ratio_)));
    shownPixels_ = fitted;

    // A one-pixel margin around the picture, the strip below it.
    const int width = std::max(shown_.width() + 2, strip.width());
    setFixedSize(width, shown_.height() + 2 + strip.height());
    move(area.left() + (area.width() - this->width()) / 2,
         area.top() + (area.height() - height()) / 2);
    picture_->setGeometry((width - shown_.width()) / 2, 1, shown_.width(), shown_.height());
    strip_->setGeometry(0, shown_.height() + 2, width, strip.height());
    strip_->SetFrames(session_.FrameCount(),
                      [this](uint32_t frame) { return session_.Kept(frame); });
    if (size.isEmpty()) return;
    ShowFrame(0);
    SetPlaying(true);
    indexTimer_.start();
}

QSize PreviewWindow::PictureSize() const {
    return picture_->pixmap().isNull() ? QSize(0, 0) : picture_->pixmap().size();
}

void PreviewWindow::IndexSome() {
    bool done = true;
    try {
        done = session_.IndexMore(512);
    } catch (const gif::LibraryError& failure) {
        ShowFailure(QString::fromStdString(ErrorTextOf(failure)));
    }
    strip_->SetFrames(session_.FrameCount(),
                      [this](uint32_t frame) { return session_.Kept(frame); });
    strip_->ShowPosition(current_, session_.FrameCount(), session_.TimeBefore(current_),
                         session_.KeptTime());
    if (!done) return;
    indexTimer_.stop();
    strip_->SetSaveAllowed(true);
}

void PreviewWindow::ShowFrame(uint32_t frame) {
    try {
        const std::vector<uint32_t>& pixels = session_.Picture(frame);
        const QImage image(reinterpret_cast<const uchar*>(pixels.data()), session_.Width(),
                           session_.Height(), session_.Width() * 4, QImage::Format_RGB32);
        QPixmap pixmap = QPixmap::fromImage(
            image.size() == shownPixels_
                ? image
                : image.scaled(shownPixels_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(ratio_);
        picture_->setPixmap(pixmap);
    } catch (const gif::LibraryError& failure) {
        ShowFailure(QString::fromStdString(ErrorTextOf(failure)));
        return;
    }
    current_ = frame;
    strip_->ShowPosition(frame, session_.FrameCount(), session_.TimeBefore(frame),
                         session_.KeptTime());
}

void PreviewWindow::ShowFailure(const QString& what) {
    SetPlaying(false);
    indexTimer_.stop();
    strip_->ShowMessage(tr("无法读取：%1").arg(what));
}

void PreviewWindow::PlayNext() {
    if (!playing_ || session_.FrameCount() == 0) return;
    uint32_t next = session_.NextKept(current_);
    if (next == current_ || !session_.Kept(next))  // from the end back to the first kept
        next = session_.Kept(0) ? 0 : session_.NextKept(0);
    ShowFrame(next);
    if (playing_) playTimer_.start(int(session_.ShownDelay(current_)) * 10);
}

void PreviewWindow::SetPlaying(bool playing) {
    playing_ = playing && session_.FrameCount() > 0;
    strip_->ShowPlaying(playing_);
    if (playing_)
        playTimer_.start(int(session_.ShownDelay(current_)) * 10);
    else
        playTimer_.stop();
}

void PreviewWindow::Step(bool forward) {
    SetPlaying(false);
    if (session_.FrameCount() == 0) return;
    if (forward && current_ + 1 < session_.FrameCount()) ShowFrame(current_ + 1);
    if (!forward && current_ > 0) ShowFrame(current_ - 1);
}

void PreviewWindow::AfterEdit(bool changed, const QString& refused) {
    strip_->ShowMessage(changed ? QString() : refused);
    strip_->SetUndoable(session_.CanUndo());
    strip_->ShowSpeed(session_.Speed());
    strip_->SetFrames(session_.FrameCount(),
                      [this](uint32_t frame) { return session_.Kept(frame); });
    strip_->ShowPosition(current_, session_.FrameCount(), session_.TimeBefore(current_),
                         session_.KeptTime());
}

void PreviewWindow::DeleteSelected() {
    uint32_t first, last;
    if (!strip_->Timeline()->Selection(first, last)) {
        strip_->ShowMessage(tr("先在时间轴上拖选要删除的帧"));
        return;
    }
    const bool changed = session_.Delete(first, last);
    if (changed) strip_->Timeline()->ClearSelection();
    AfterEdit(changed, tr("不能去掉所有的帧"));
}

void PreviewWindow::Save() {
    if (Saving()) return;
    if (!session_.Indexed()) {  // every frame must be known before the edit can be written
        strip_->ShowMessage(tr("还在读取帧，请稍候再保存"));
        return;
    }
    if (!session_.Edited()) {
        strip_->ShowMessage(tr("没有要保存的修改"));
        return;
    }
    SetPlaying(false);
    strip_->SetBusy(true);
    strip_->ShowMessage(tr("正在保存… %1%").arg(0));
    auto last = std::make_shared<int>(-1);
    auto progress = [this, last](size_t written, size_t total) {
        const int percent = total ? int(written * 100 / total) : 100;
        if (std::exchange(*last, percent) == percent) return;
        QMetaObject::invokeMethod(
            this, [this, percent] { strip_->ShowMessage(tr("正在保存… %1%").arg(percent)); },
            Qt::QueuedConnection);
    };
    saving_ = std::thread(
        [this, plan = session_.Plan(), path = path_.toStdString(), options = options_, progress] {
            const EditSaveResult result = SaveEditedGif(path, plan, options, progress);
            QMetaObject::invokeMethod(
                this, [this, result] { SaveEnded(result); }, Qt::QueuedConnection);
        });
}

void PreviewWindow::SaveEnded(const EditSaveResult& result) {
    if (saving_.joinable()) saving_.join();
    strip_->SetBusy(false);
    using Outcome = EditSaveResult::Outcome;
    const QString detail = QString::fromStdString(result.detail);
    QString message;
    switch (result.outcome) {
        case Outcome::Saved:
            CopyGifToClipboard(path_);
            message = result.trashed
                          ? tr("已保存，原文件已移到回收站；剪贴板里是新的GIF")
                          : tr("已保存，原文件保留为 %1；剪贴板里是新的GIF")
                                .arg(QString::fromStdString(result.keptBeside.filename().string()));
            break;
        case Outcome::WriteFailed:
            message = tr("保存失败：%1。原文件没有改动").arg(detail);
            break;
        case Outcome::OriginalStuck:
            message = tr("保存失败：原文件无法移走（%1）。原文件没有改动").arg(detail);
            break;
        case Outcome::ReplaceFailed:
            message = tr("保存失败：%1。原文件已放回原处").arg(detail);
            break;
    }
    const bool saved = result.outcome == Outcome::Saved;
    if (saved) {
        // The edit is now the recording: start again from it.
        strip_->SetSaveAllowed(false);
        std::string error;
        if (session_.Open(path_.toStdString(), error)) {
            AfterEdit(true);
            ShowFrame(0);
            indexTimer_.start();
        }
    }
    strip_->ShowMessage(message);
    emit editSaved(saved);
    if (closeAfterSave_) close();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (Saving()) return;
    switch (event->key()) {
        case Qt::Key_Left:
            Step(false);
            break;
        case Qt::Key_Right:
            Step(true);
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            SetPlaying(false);
            if (session_.FrameCount() > 0)
                ShowFrame(event->key() == Qt::Key_Home ? 0 : session_.FrameCount() - 1);
            break;
        case Qt::Key_I:
            AfterEdit(session_.SetStart(current_), tr("不能去掉所有的帧"));
            break;
        case Qt::Key_O:
            AfterEdit(session_.SetEnd(current_), tr("不能去掉所有的帧"));
            break;
        case Qt::Key_Space:
            SetPlaying(!playing_);
            break;
        case Qt::Key_Delete:
            DeleteSelected();
            break;
        case Qt::Key_Z:
            if (event->modifiers() & Qt::ControlModifier) AfterEdit(session_.Undo());
            break;
        case Qt::Key_S:
            if (event->modifiers() & Qt::ControlModifier) Save();
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void PreviewWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the picture closes it: double-clicks on the strip are for its controls.
    if (picture_->geometry().contains(event->position().toPoint()) || shown_.isEmpty()) close();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    if (Saving()) {  // closes once the file is whole
        closeAfterSave_ = true;
        event->ignore();
        return;
    }
    playTimer_.stop();
    indexTimer_.stop();
    if (!closedSignalled_) {
        closedSignalled_ = true;
        emit closed();
    }
    event->accept();
}

}  // namespace app
