// The watermark maker window: its controls, where the text goes, the background strips, the
// font list, and the watermark it generates.
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>

#include "app/ui/watermark_maker_window.h"
#include "bitmap/picture_codec.h"
#include "region_ui_support.h"

using app::WatermarkMakerWindow;

namespace {

// The maker's text object's left edge for the text now in the field, centred on 98.
int TextLeft(WatermarkMakerWindow& maker) {
    return maker.Preview()->ObjectPosition(maker.TextObject()).x();
}

QRgb PixelOfBmp(const QByteArray& bmp, int x, int yFromTop) {
    bitmap::Image24 image;
    bitmap::DecodePicture(std::span(reinterpret_cast<const uint8_t*>(bmp.constData()),
                                    static_cast<size_t>(bmp.size())),
                          image);
    const uint8_t* p = image.pixels.data() + (image.height - 1 - yFromTop) * image.Stride() + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

}  // namespace

class WatermarkMakerTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void controlsAreInTheirPlaces();
    void gbkCountsTwoBytesForChinese();
    void textIsCentredByItsByteCount();
    void longTextKeepsThePreviousPreview();
    void sizeChoiceRecentresWithoutMovingTheScrollBar();
    void backgroundChosenTwiceRebuildsBothObjects();
    void transparencyBecomesOpacity();
    void everyStripIsAFullPicture();
    void fontListHasNoVerticalFontsAndDoesNotBlock();
    void closingDuringTheFontFillIsSafe();
    void generatedWatermarkIsThePreviewStrip();
    void fontAndSizeOutliveTheWindowButTheListsStartAgain();
};

void WatermarkMakerTest::init() {
    app::DefaultTextFont() = app::MakerFont{};
}

void WatermarkMakerTest::controlsAreInTheirPlaces() {
    QWidget main;
    main.setGeometry(50, 50, 286, 416);
    auto* maker = new WatermarkMakerWindow(&main);
    maker->show();
    QVERIFY(QTest::qWaitForWindowExposed(maker));
    QCOMPARE(maker->size(), QSize(293, 248));
    QCOMPARE(maker->findChild<QGroupBox*>()->title(), QStringLiteral("设置"));
    QCOMPARE(maker->pos().x(), main.frameGeometry().left() + main.frameGeometry().width());
    QCOMPARE(maker->Preview()->size(), QSize(196, 33));
    QCOMPARE(maker->Preview()->geometry().topLeft(), QPoint(64, 42));
    QCOMPARE(maker->VerticalBar()->value(), 10);
    QCOMPARE(maker->HorizontalBar()->maximum(), 196);
    QCOMPARE(maker->HorizontalBar()->value(), 98);
    QCOMPARE(maker->BackgroundList()->count(), 7);
    QCOMPARE(maker->SizeList()->count(), 4);
    QCOMPARE(maker->SizeList()->itemText(3), QStringLiteral("巨大"));
    QCOMPARE(maker->TextField()->maxLength(), 30);
    QVERIFY(!maker->TextField()->text().isEmpty());
    QCOMPARE(maker->Preview()->ObjectCount(), 2);
    QCOMPARE(maker->SizeList()->currentIndex(), 0);
    QTRY_VERIFY(maker->FontListFilled());
    QCOMPARE(maker->FontList()->currentIndex(), 0);
    testing_ui::Settle();
    testing_ui::Screenshot(QStringLiteral("watermark_maker"));
    maker->close();
}

void WatermarkMakerTest::gbkCountsTwoBytesForChinese() {
    QCOMPARE(app::GbkByteLength(QStringLiteral("abc")), 3);
    QCOMPARE(app::GbkByteLength(QStringLiteral("水印")), 4);
    QCOMPARE(app::GbkByteLength(QStringLiteral("a水")), 3);
    QCOMPARE(app::GbkByteLength(QString()), 0);
}

void WatermarkMakerTest::textIsCentredByItsByteCount() {
    WatermarkMakerWindow maker(nullptr);
    maker.TextField()->setText(QStringLiteral("0123456789"));
    QCOMPARE(TextLeft(maker), 98 - 30);
    QCOMPARE(maker.Preview()->ObjectPosition(maker.TextObject()).y(), 10);
    maker.TextField()->setText(QStringLiteral("水"));
    QCOMPARE(TextLeft(maker), 98 - 6);
    maker.HorizontalBar()->setValue(150);
    maker.VerticalBar()->setValue(3);
    QCOMPARE(maker.Preview()->ObjectPosition(maker.TextObject()), QPoint(144, 3));
    QCOMPARE(maker.Preview()->ObjectCount(), 2);  // one background, one text, always
}

void WatermarkMakerTest::longTextKeepsThePreviousPreview() {
    WatermarkMakerWindow maker(nullptr);
    maker.TextField()->setText(QStringLiteral("abc"));
    int text = maker.TextObject();
    maker.TextField()->setText(QStringLiteral("一二三四五六七八九十一二三四五"));  // 30 bytes
    QCOMPARE(maker.TextObject(), text);
    maker.TextField()->setText(QStringLiteral("一二三四五六七八九十一二三四a"));  // 29 bytes
    QVERIFY(maker.TextObject() != text);
    QCOMPARE(TextLeft(maker), 98 - 87);
}

void WatermarkMakerTest::sizeChoiceRecentresWithoutMovingTheScrollBar() {
    WatermarkMakerWindow maker(nullptr);
    maker.TextField()->setText(QStringLiteral("ab"));
    maker.HorizontalBar()->setValue(40);
    QCOMPARE(TextLeft(maker), 34);
    maker.OnMakerSizeChosen(2);
    QCOMPARE(app::DefaultTextFont().pointSize, 16);
    QCOMPARE(TextLeft(maker), 92);
    QCOMPARE(maker.HorizontalBar()->value(), 40);
    maker.OnMakerSizeChosen(7);  // outside the table: size unchanged
    QCOMPARE(app::DefaultTextFont().pointSize, 16);
}

void WatermarkMakerTest::backgroundChosenTwiceRebuildsBothObjects() {
    WatermarkMakerWindow maker(nullptr);
    int background = maker.BackgroundObject();
    int text = maker.TextObject();
    maker.OnMakerBackgroundChosen(3);
    QVERIFY(maker.BackgroundObject() != background);
    QVERIFY(maker.TextObject() != text);
    background = maker.BackgroundObject();
    text = maker.TextObject();
    maker.OnMakerBackgroundChosen(3);
    QVERIFY(maker.BackgroundObject() != background);
    QVERIFY(maker.TextObject() != text);
    QCOMPARE(maker.Preview()->ObjectCount(), 2);
    // The text lies above the new background: it shows in the generated strip.
    maker.TextField()->setText(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
    QByteArray strip = maker.GenerateWatermark();
    QImage rendered = maker.Preview()->grab().toImage();
    bool green = false;
    for (int x = 40; x < 150; ++x) {
        QRgb pixel = rendered.pixel(x, 18);
        green = green || (qGreen(pixel) > 200 && qRed(pixel) < 80 && qBlue(pixel) < 80);
    }
    QVERIFY(green);
    QCOMPARE(strip.size(), 54 + 33 * 588);
}

void WatermarkMakerTest::transparencyBecomesOpacity() {
    WatermarkMakerWindow maker(nullptr);
    maker.OnMakerBackgroundChosen(0);  // a near-white strip
    QRgb opaque = PixelOfBmp(maker.GenerateWatermark(), 2, 2);
    maker.TransparencySlider()->setValue(5);
    QRgb half = PixelOfBmp(maker.GenerateWatermark(), 2, 2);
    QVERIFY(qAbs(qRed(half) - qRed(opaque) / 2) <= 3);
    // A rebuilt text keeps the level the slider shows.
    maker.TextField()->setText(QStringLiteral("x"));
    maker.TransparencySlider()->setValue(1);
    QRgb faint = PixelOfBmp(maker.GenerateWatermark(), 2, 2);
    QVERIFY(qRed(faint) < qRed(half));
}

void WatermarkMakerTest::everyStripIsAFullPicture() {
    WatermarkMakerWindow maker(nullptr);
    maker.TextField()->setText(QString());
    for (int strip = 0; strip < 7; ++strip) {
        maker.OnMakerBackgroundChosen(strip);
        QByteArray bmp = maker.GenerateWatermark();
        for (QPoint corner : {QPoint(0, 0), QPoint(195, 0), QPoint(0, 32), QPoint(195, 32)}) {
            QVERIFY2(PixelOfBmp(bmp, corner.x(), corner.y()) != qRgb(0, 0, 0),
                     qPrintable(QStringLiteral("strip %1").arg(strip + 1)));
        }
    }
}

void WatermarkMakerTest::fontListHasNoVerticalFontsAndDoesNotBlock() {
    auto* maker = new WatermarkMakerWindow(nullptr);
    maker->show();
    // The window answers while the list fills.
    maker->TextField()->setText(QStringLiteral("live"));
    QCOMPARE(TextLeft(*maker), 98 - 12);
    QTRY_VERIFY(maker->FontListFilled());
    QVERIFY(maker->FontList()->count() > 0);
    for (int i = 0; i < maker->FontList()->count(); ++i) {
        QVERIFY(!maker->FontList()->itemText(i).startsWith('@'));
    }
    maker->OnMakerFontChosen(0);
    QCOMPARE(app::DefaultTextFont().face, maker->FontList()->itemText(0));
    maker->close();
}

void WatermarkMakerTest::closingDuringTheFontFillIsSafe() {
    for (int i = 0; i < 5; ++i) {
        auto* maker = new WatermarkMakerWindow(nullptr);
        maker->show();
        QPointer<WatermarkMakerWindow> watch(maker);
        maker->close();  // deletes itself
        QTRY_VERIFY(watch.isNull());
    }
    testing_ui::Settle(200);  // a late font list would land on a deleted window
}

void WatermarkMakerTest::generatedWatermarkIsThePreviewStrip() {
    WatermarkMakerWindow maker(nullptr);
    maker.move(100, 100);
    maker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&maker));
    QSignalSpy generated(&maker, &WatermarkMakerWindow::watermarkGenerated);
    QByteArray before = maker.GenerateWatermark();
    // A window lying over the maker does not get into the watermark.
    QWidget cover(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                               Qt::WindowStaysOnTopHint);
    cover.setGeometry(maker.geometry());
    cover.setStyleSheet(QStringLiteral("background: red"));
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));
    QTest::mouseClick(maker.GenerateButton(), Qt::LeftButton);
    QCOMPARE(generated.size(), 1);
    QByteArray bmp = generated.at(0).at(0).toByteArray();
    QCOMPARE(generated.at(0).at(1).toInt(), 196);
    QCOMPARE(generated.at(0).at(2).toInt(), 33);
    QCOMPARE(bmp, before);
    bitmap::Image24 image;
    QCOMPARE(bitmap::DecodePicture(std::span(reinterpret_cast<const uint8_t*>(bmp.constData()),
                                             static_cast<size_t>(bmp.size())),
                                   image),
             bitmap::DecodeStatus::Ok);
    QCOMPARE(image.width, 196u);
    QCOMPARE(image.height, 33u);
    QCOMPARE(static_cast<int>(bmp[28]), 24);
    QVERIFY(!testing_ui::IsRed(PixelOfBmp(bmp, 100, 16)));
}

void WatermarkMakerTest::fontAndSizeOutliveTheWindowButTheListsStartAgain() {
    QString lastFace;
    {
        WatermarkMakerWindow maker(nullptr);
        maker.show();
        QTRY_VERIFY(maker.FontListFilled());
        QVERIFY(maker.FontList()->count() > 1);
        const int last = maker.FontList()->count() - 1;
        maker.FontList()->setCurrentIndex(last);
        maker.OnMakerFontChosen(last);
        lastFace = maker.FontList()->itemText(last);
        maker.SizeList()->setCurrentIndex(3);
        maker.OnMakerSizeChosen(3);
    }
    QCOMPARE(app::DefaultTextFont().pointSize, 22);
    QCOMPARE(app::DefaultTextFont().face, lastFace);
    auto* maker = new WatermarkMakerWindow(nullptr);
    maker->show();
    QVERIFY(QTest::qWaitForWindowExposed(maker));
    QCOMPARE(maker->SizeList()->currentIndex(), 0);
    QTRY_VERIFY(maker->FontListFilled());
    QCOMPARE(maker->FontList()->currentIndex(), 0);
    // Only a new choice changes the text's font.
    QCOMPARE(app::DefaultTextFont().pointSize, 22);
    QCOMPARE(app::DefaultTextFont().face, lastFace);
    maker->close();
}

GIFREC_UI_TEST_MAIN(WatermarkMakerTest)
#include "watermark_maker_uitest.moc"
