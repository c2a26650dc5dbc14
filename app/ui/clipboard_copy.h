// Puts a saved GIF on the clipboard, for programs that paste HTML, pictures, GIF data or files.
#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

namespace app {

// The page offered as HTML: one image element whose src is `path`, inserted as it stands.
QByteArray ClipboardPage(const QString& path);

// The clipboard content for `path`: the page as text/html, the file's bytes as image/gif, the
// first frame as an image and the file as a URL. A missing file still gives the page and the URL.
QMimeData* MakeGifMimeData(const QString& path);

// Offers MakeGifMimeData(path) on the clipboard; it stays there while the program runs. True when
// the GIF itself could be offered.
bool CopyGifToClipboard(const QString& path);

}  // namespace app
