// The clipboard after a copy, read back by another X client (xclip) as a pasting program would.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "app/ui/clipboard_copy.h"
#include "region_ui_support.h"

namespace {

QByteArray Paste(const QString& target, bool* ok = nullptr) {
    return testing_ui::RunClient(QStringLiteral("xclip"),
                                 {"-selection", "clipboard", "-t", target, "-o"}, ok);
}

QByteArray ExpectedPage(const QByteArray& path) {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Copy Gif Image</title>\r\n</head>\r\n"
           "\r\n<body>\r\n<img src=\"" +
           path + "\"  alt=\"\" id=\"img\" />\r\n</body>\r\n\r\n</html>\r\n";
}

}  // namespace

class ClipboardTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void pageIsTheTemplateWithThePathAsItStands();
    void anotherProgramPastesThePageAndTheGif();
    void missingFileStillGivesPageAndUrl();
    void copyingTwiceGivesTheSameContent();

  private:
    QTemporaryDir folder_;
    QString gifPath_;
    QByteArray gifBytes_;
};

void ClipboardTest::initTestCase() {
    QVERIFY(folder_.isValid());
    QDir(folder_.path()).mkdir(QStringLiteral("GIF动画"));
    gifPath_ = folder_.path() + QStringLiteral("/GIF动画/1207050903.gif");
    QVERIFY(QFile::copy(QStringLiteral(GIFREC_TESTDATA "/pictures/gif-interlaced.gif"), gifPath_));
    QFile file(gifPath_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    gifBytes_ = file.readAll();
}

void ClipboardTest::pageIsTheTemplateWithThePathAsItStands() {
    QCOMPARE(app::ClipboardPage(QString()).size(), 150 - 14);
    QCOMPARE(app::ClipboardPage(QStringLiteral("[&GifFileName]")).size(), 150);
    QString odd = QStringLiteral("C:\\桌面\\GIF动画\\a\"b&c<d.gif");
    QCOMPARE(app::ClipboardPage(odd), ExpectedPage(odd.toUtf8()));
}

void ClipboardTest::anotherProgramPastesThePageAndTheGif() {
    QVERIFY(app::CopyGifToClipboard(gifPath_));
    bool ok = false;
    QByteArray targets = Paste(QStringLiteral("TARGETS"), &ok);
    QVERIFY(ok);
    QVERIFY2(targets.contains("text/html"), targets.constData());
    QVERIFY2(targets.contains("image/gif"), targets.constData());
    QVERIFY2(targets.contains("text/uri-list"), targets.constData());
    QVERIFY2(targets.contains("image/png"), targets.constData());

    QCOMPARE(Paste(QStringLiteral("text/html")), ExpectedPage(gifPath_.toUtf8()));
    QCOMPARE(Paste(QStringLiteral("image/gif")), gifBytes_);
    QByteArray uris = Paste(QStringLiteral("text/uri-list"));
    QCOMPARE(QUrl(QString::fromUtf8(uris.trimmed())).toLocalFile(), gifPath_);
    // The first frame as a picture.
    QImage frame = QImage::fromData(Paste(QStringLiteral("image/png")), "PNG");
    QCOMPARE(frame.size(), QSize(37, 23));
}

void ClipboardTest::missingFileStillGivesPageAndUrl() {
    QString missing = folder_.path() + QStringLiteral("/GIF动画/0000000000.gif");
    QVERIFY(!app::CopyGifToClipboard(missing));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->data(QStringLiteral("text/html")), ExpectedPage(missing.toUtf8()));
    QCOMPARE(data->urls().value(0).toLocalFile(), missing);
    QVERIFY(!data->hasFormat(QStringLiteral("image/gif")));
    QCOMPARE(Paste(QStringLiteral("text/html")), ExpectedPage(missing.toUtf8()));
}

void ClipboardTest::copyingTwiceGivesTheSameContent() {
    app::CopyGifToClipboard(gifPath_);
    QByteArray first = Paste(QStringLiteral("text/html")) + Paste(QStringLiteral("image/gif"));
    app::CopyGifToClipboard(gifPath_);
    QByteArray second = Paste(QStringLiteral("text/html")) + Paste(QStringLiteral("image/gif"));
    QCOMPARE(second, first);
    QVERIFY(first.endsWith(gifBytes_));
}

GIFREC_UI_TEST_MAIN(ClipboardTest)
#include "clipboard_uitest.moc"
