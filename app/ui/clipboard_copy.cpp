#include "app/ui/clipboard_copy.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace app {

namespace {

// Lines joined by CR LF, the last one too: 150 bytes before the path goes in.
constexpr char kPageTemplate[] =
    "<!DOCTYPE html>\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<title>Copy Gif Image</title>\r\n"
    "</head>\r\n"
    "\r\n"
    "<body>\r\n"
    "<img src=\"[&GifFileName]\"  alt=\"\" id=\"img\" />\r\n"
    "</body>\r\n"
    "\r\n"
    "</html>\r\n";

constexpr char kPlaceholder[] = "[&GifFileName]";

}  // namespace

QByteArray ClipboardPage(const QString& path) {
    QByteArray page(kPageTemplate);
    return page.replace(kPlaceholder, path.toUtf8());
}

QMimeData* MakeGifMimeData(const QString& path) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/html"), ClipboardPage(path));
    data->setUrls({QUrl::fromLocalFile(path)});
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray gif = file.readAll();
        if (!gif.isEmpty()) {
            data->setData(QStringLiteral("image/gif"), gif);
            QImage firstFrame = QImage::fromData(gif, "GIF");
            if (!firstFrame.isNull()) data->setImageData(firstFrame);
        }
    }
    return data;
}

bool CopyGifToClipboard(const QString& path) {
    QMimeData* data = MakeGifMimeData(path);
    bool offered = data->hasFormat(QStringLiteral("image/gif"));
    QGuiApplication::clipboard()->setMimeData(data);
    return offered;
}

}  // namespace app
