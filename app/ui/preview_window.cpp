#include "app/ui/preview_window.h"

#include <QCloseEvent>
#include <QFile>

namespace app {

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("PreviewWindow");
    setWindowTitle(QStringLiteral("预览"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kInitialWidth, kInitialHeight);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("图片框1"));
    picture_->setGeometry(1, 1, kInitialWidth - 2, kInitialHeight - 2);
    // Double-clicks on the picture reach the window.
    picture_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PreviewWindow::Open(const QString& path, const QSize& screen) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) bytes_ = file.readAll();
    buffer_.setData(bytes_);
    buffer_.open(QIODevice::ReadOnly);
    movie_.setDevice(&buffer_);
    movie_.setCacheMode(QMovie::CacheNone);
    QSize size(0, 0);
    if (movie_.isValid() && movie_.jumpToFrame(0)) size = movie_.currentImage().size();

    // A one-pixel margin around the picture, which keeps its own size.
    setFixedSize(size.width() + 2, size.height() + 2);
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    picture_->setGeometry(1, 1, width() - 2, height() - 2);
    if (!size.isEmpty()) {
        picture_->setMovie(&movie_);
        movie_.start();
    }
}

QSize PreviewWindow::PictureSize() const {
    return picture_->movie() ? movie_.currentImage().size() : QSize(0, 0);
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
