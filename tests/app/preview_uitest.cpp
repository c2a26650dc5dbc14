// The preview window's size and place: a GIF that fits is shown at its own size, a larger one is
// scaled into 80% of the available area with its aspect kept, and the window sits in the middle
// of that area.
#include <QTemporaryDir>
#include <QTest>

#include "app/core/encoder.h"
#include "app/ui/editor_strip.h"
#include "app/ui/preview_window.h"
#include "bmp_builder.h"
#include "region_ui_support.h"

namespace app {

namespace {

// A one-frame GIF of this size written by the recorder's own encoder.
QString WriteGif(const QTemporaryDir& folder, int width, int height) {
    std::unique_ptr<Encoder> encoder = MakeGifMakerEncoder();
    encoder->Clear();
    gif::AnimationInfo info{};
    info.LOOP = true;
    encoder->Create(info);
    gif::FrameInfo frame{};
    frame.DelayTime = 10;
    const std::vector<uint8_t> bmp = apptest::SolidBmp(width, height, 32, {20, 120, 220});
    if (!encoder->AddFrame(frame, bmp)) return {};
    const QString path = folder.filePath(QStringLiteral("%1x%2.gif").arg(width).arg(height));
    return encoder->SaveGif(path.toStdString()) ? path : QString();
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

  private slots:
    void aPictureThatFitsKeepsItsSize() {
        QCOMPARE(PreviewWindow::ShownSize({64, 48}, {1280, 720}), QSize(64, 48));
        // The window's one-pixel margin still fits.
        QCOMPARE(PreviewWindow::ShownSize({1918, 1078}, {1920, 1080}), QSize(1918, 1078));
        QCOMPARE(PreviewWindow::ShownSize({0, 0}, {1920, 1080}), QSize(0, 0));
    }

    void aLargerPictureIsScaledIntoEightyPercentKeepingItsAspect() {
        // Only the margin is too much: scaled all the same, to 80% of the area.
        QCOMPARE(PreviewWindow::ShownSize({1919, 1079}, {1920, 1080}), QSize(1536, 863));
        QCOMPARE(PreviewWindow::ShownSize({1920, 1080}, {1920, 1080}), QSize(1536, 864));
        QCOMPARE(PreviewWindow::ShownSize({3840, 2160}, {1920, 1040}), QSize(1479, 832));
        // Too tall only: the height decides, the width follows.
        QCOMPARE(PreviewWindow::ShownSize({300, 2000}, {1280, 720}), QSize(86, 576));
        // Too wide only.
        QCOMPARE(PreviewWindow::ShownSize({4000, 100}, {1280, 720}), QSize(1024, 25));
        // A sliver keeps at least one pixel.
        QCOMPARE(PreviewWindow::ShownSize({32767, 1}, {1280, 720}), QSize(1024, 1));
    }

    void aFullScreenGifOpensScaledInTheMiddleOfTheArea() {
        const QString path = WriteGif(folder, 1920, 1080);
        QVERIFY(!path.isEmpty());
        // A panel takes the top 40 pixels of the screen.
        const QRect area(0, 40, 1920, 1040);
        auto* preview = new PreviewWindow;
        preview->Open(path, area);
        preview->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        // The editor strip takes its height below the picture, which fills 80% of the rest.
        const int strip = preview->Strip()->height();
        const QSize shown = PreviewWindow::ShownSize({1920, 1080}, {1920, 1040 - strip});
        QCOMPARE(shown.height(), (1040 - strip) * 4 / 5);
        QCOMPARE(preview->PictureSize(), shown);
        QCOMPARE(preview->Picture()->geometry(), QRect(QPoint(1, 1), shown));
        QCOMPARE(preview->size(), shown + QSize(2, 2 + strip));
        QCOMPARE(preview->Strip()->geometry(),
                 QRect(0, shown.height() + 2, shown.width() + 2, strip));
        QVERIFY(area.contains(preview->geometry()));
        QCOMPARE(preview->pos(),
                 QPoint((1920 - preview->width()) / 2, 40 + (1040 - preview->height()) / 2));
        // What the label shows is the scaled frame, not a crop of the full-size one.
        QCOMPARE(preview->Picture()->grab().size(), shown);
        testing_ui::Screenshot(QStringLiteral("preview_of_a_full_screen_gif"));
        preview->close();
    }

    void aSmallGifOpensAtItsOwnSize() {
        const QString path = WriteGif(folder, 64, 48);
        QVERIFY(!path.isEmpty());
        auto* preview = new PreviewWindow;
        preview->Open(path, QRect(0, 0, 1280, 720));
        QCOMPARE(preview->PictureSize(), QSize(64, 48));
        // The window is as wide as the strip needs; the picture sits in the middle above it.
        const QSize strip = preview->Strip()->size();
        QCOMPARE(preview->size(), QSize(strip.width(), 50 + strip.height()));
        QCOMPARE(preview->Picture()->geometry(), QRect((strip.width() - 64) / 2, 1, 64, 48));
        QCOMPARE(preview->pos(),
                 QPoint((1280 - preview->width()) / 2, (720 - preview->height()) / 2));
        preview->close();
    }
};

}  // namespace app

QTEST_MAIN(app::PreviewTest)
#include "preview_uitest.moc"
