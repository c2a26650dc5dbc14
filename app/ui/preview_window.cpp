#include "app/ui/preview_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace app {

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("PreviewWindow");
    setWindowTitle(tr("预览"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kInitialWidth, kInitialHeight);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("图片框1"));
    picture_->setGeometry(1, 1, kInitialWidth - 2, kInitialHeight - 2);
    // Double-clicks on the picture reach the window.
    picture_->setAttribute(Qt::WA_TransparentForMouseEvents);
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
    file_.setFileName(path);
    file_.open(QIODevice::ReadOnly);
    movie_.setDevice(&file_);
    movie_.setCacheMode(QMovie::CacheNone);
    // On a scaled output (Qt's own scaling, Wayland) one pixel of the GIF is one pixel of the
    // screen: the window's size counts the screen's pixels over their ratio.
    const double ratio = screen() ? screen()->devicePixelRatio() : 1.0;
    QSize size(0, 0);
    if (movie_.isValid() && movie_.jumpToFrame(0)) size = movie_.currentImage().size();
    const QSize shown = ShownSize(size, area.size() * ratio);
    if (shown != size) {
        // Frames are decoded at the shown size from the start again.
        movie_.setScaledSize(shown);
        file_.seek(0);
        movie_.setDevice(&file_);
        movie_.jumpToFrame(0);
        size = shown;
    }
    const QSize logical(int(std::ceil(size.width() / ratio)),
                        int(std::ceil(size.height() / ratio)));

    // A one-pixel margin around the picture.
    setFixedSize(logical.width() + 2, logical.height() + 2);
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    picture_->setGeometry(1, 1, width() - 2, height() - 2);
    if (size.isEmpty()) return;
    showing_ = true;
    if (ratio == 1.0) {
        picture_->setMovie(&movie_);
    } else {
        const auto showFrame = [this, ratio] {
            QPixmap frame = movie_.currentPixmap();
            frame.setDevicePixelRatio(ratio);
            picture_->setPixmap(frame);
        };
        connect(&movie_, &QMovie::frameChanged, this, showFrame);
        showFrame();  // a GIF of one image changes no frame
    }
    movie_.start();
}

QSize PreviewWindow::PictureSize() const {
    return showing_ ? movie_.currentImage().size() : QSize(0, 0);
}

void PreviewWindow::mouseDoubleClickEvent(QMouseEvent*) {
    close();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    movie_.stop();
    if (!closedSignalled_) {
        closedSignalled_ = true;
        emit closed();
    }
    event->accept();
}

}  // namespace app
