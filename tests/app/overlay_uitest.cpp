// The region frame window and the cursor overlay over a real X server: where they sit, what a
// screen grab of the region sees, and that clicks pass through them.
#include <QMouseEvent>
#include <QPainter>

#include <climits>

#include "app/ui/cursor_overlay_window.h"
#include "app/ui/region_frame_window.h"
#include "bitmap/picture_codec.h"
#include "region_ui_support.h"

using app::CaptureRegion;
using app::CursorOverlayWindow;
using app::RegionFrameWindow;

namespace {

// A plain grey window under the overlays that counts the clicks it gets.
class Backdrop : public QWidget {
  public:
    Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setGeometry(0, 0, 800, 600);
        setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(palette);
    }
    int clicks = 0;
    QPoint lastClick;

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++clicks;
        lastClick = event->position().toPoint();
    }
};

bitmap::Image24 Grab(platform::Desktop& desktop, int left, int top, int width, int height) {
    bitmap::Image24 image;
    std::vector<uint8_t> bmp = desktop.FrameGrabber(left, top, width, height);
    bitmap::DecodePicture(bmp, image);
    return image;
}

// Pixel (x, y) from the top of a bottom-up 24-bit image.
QRgb PixelAt(const bitmap::Image24& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.pixels.data() + (image.height - 1 - y) * image.Stride() + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

int RedPixels(const bitmap::Image24& image) {
    int red = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) red += testing_ui::IsRed(PixelAt(image, x, y));
    }
    return red;
}

}  // namespace

class OverlayTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void frameSitsJustOutsideTheRegion();
    void frameIsNeverInTheRecordedRegion();
    void clicksPassThroughTheFrame();
    void overlayArrowTipIsItsTopLeftPixel();
    void overlayFollowsThePointerIntoTheFrames();
    void overlayFollowerEndsWithTheWindow();

  private:
    std::unique_ptr<platform::Desktop> desktop_;
    std::unique_ptr<Backdrop> backdrop_;
};

void OverlayTest::initTestCase() {
    desktop_ = platform::OpenDesktop();
    backdrop_ = std::make_unique<Backdrop>();
    backdrop_->show();
    QVERIFY(QTest::qWaitForWindowExposed(backdrop_.get()));
}

void OverlayTest::frameSitsJustOutsideTheRegion() {
    QCOMPARE(RegionFrameWindow::FrameGeometryFor({100, 100, 300, 200}), QRect(98, 98, 204, 104));
    RegionFrameWindow frame({100, 100, 300, 200});
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.geometry(), QRect(98, 98, 204, 104));
    // A click without a drag still gets an outline around its point.
    QCOMPARE(RegionFrameWindow::FrameGeometryFor({50, 60, 50, 60}), QRect(48, 58, 4, 4));
    // Extreme field values give a bounded rectangle instead of an overflow.
    const QRect extreme = RegionFrameWindow::FrameGeometryFor({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    QVERIFY(extreme.left() < 0 && extreme.top() < 0);
    QVERIFY(extreme.width() > 4 && extreme.height() > 4);
    QCOMPARE(RegionFrameWindow::FrameGeometryFor({INT_MAX, INT_MAX, INT_MIN, INT_MIN}).size(),
             QSize(4, 4));
}

void OverlayTest::frameIsNeverInTheRecordedRegion() {
    RegionFrameWindow frame({100, 100, 300, 200});
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    testing_ui::Settle();
    testing_ui::Screenshot(QStringLiteral("region_frame"));
    bitmap::Image24 region = Grab(*desktop_, 100, 100, 200, 100);
    QCOMPARE(region.width, 200u);
    QCOMPARE(RedPixels(region), 0);
    QCOMPARE(PixelAt(region, 100, 50), qRgb(128, 128, 128));  // the inside shows what is below
    // The outline is on the two pixels around it, on every side.
    bitmap::Image24 around = Grab(*desktop_, 98, 98, 204, 104);
    QVERIFY(testing_ui::IsRed(PixelAt(around, 0, 50)));
    QVERIFY(testing_ui::IsRed(PixelAt(around, 1, 50)));
    QVERIFY(testing_ui::IsRed(PixelAt(around, 203, 50)));
    QVERIFY(testing_ui::IsRed(PixelAt(around, 100, 0)));
    QVERIFY(testing_ui::IsRed(PixelAt(around, 100, 103)));
    QCOMPARE(RedPixels(around), 2 * 204 * 2 + 2 * 100 * 2);
}

void OverlayTest::clicksPassThroughTheFrame() {
    RegionFrameWindow frame({100, 100, 300, 200});
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    testing_ui::Settle();
    int before = backdrop_->clicks;
    QVERIFY(testing_ui::Xdotool({"mousemove", "99", "150", "click", "1"}));
    QTRY_COMPARE(backdrop_->clicks, before + 1);
    QCOMPARE(backdrop_->lastClick, QPoint(99, 150));
}

void OverlayTest::overlayArrowTipIsItsTopLeftPixel() {
    QImage arrow = CursorOverlayWindow::ArrowPicture();
    QCOMPARE(arrow.size(), QSize(12, 24));
    QVERIFY(arrow.pixel(0, 0) != qRgb(255, 0, 255));
    QCOMPARE(arrow.pixel(11, 0), qRgb(255, 0, 255));   // background beside the tip
    QCOMPARE(arrow.pixel(2, 6), qRgb(255, 255, 255));  // white body
}

void OverlayTest::overlayFollowsThePointerIntoTheFrames() {
    CursorOverlayWindow overlay;
    overlay.show();
    QVERIFY(QTest::qWaitForWindowExposed(&overlay));
    QVERIFY(overlay.Following());
    QVERIFY(testing_ui::Xdotool({"mousemove", "400", "300"}));
    QTRY_COMPARE(overlay.pos(), QPoint(400, 300));
    testing_ui::Settle();
    testing_ui::Screenshot(QStringLiteral("cursor_overlay"));
    // What the capture worker grabs shows the arrow with its tip at the pointer.
    bitmap::Image24 frame = Grab(*desktop_, 390, 290, 30, 40);
    QCOMPARE(PixelAt(frame, 10, 10), qRgb(0, 0, 0));        // the tip's outline
    QCOMPARE(PixelAt(frame, 12, 16), qRgb(255, 255, 255));  // the white body
    QCOMPARE(PixelAt(frame, 20, 11), qRgb(128, 128, 128));  // beside the arrow: the backdrop
    QCOMPARE(PixelAt(frame, 5, 5), qRgb(128, 128, 128));    // above-left of the tip
    // Clicks at the pointer reach the window below.
    int before = backdrop_->clicks;
    QVERIFY(testing_ui::Xdotool({"mousemove", "402", "308", "click", "1"}));
    QTRY_COMPARE(backdrop_->clicks, before + 1);
    QTRY_COMPARE(overlay.pos(), QPoint(402, 308));
}

void OverlayTest::overlayFollowerEndsWithTheWindow() {
    QPoint pointer(10, 10);
    CursorOverlayWindow overlay([&pointer] { return std::optional<QPoint>(pointer); });
    overlay.show();
    QTRY_COMPARE(overlay.pos(), QPoint(10, 10));
    pointer = QPoint(200, 100);
    QTRY_COMPARE(overlay.pos(), QPoint(200, 100));
    overlay.close();
    QVERIFY(!overlay.Following());
    pointer = QPoint(300, 300);
    testing_ui::Settle(100);
    QCOMPARE(overlay.pos(), QPoint(200, 100));
}

GIFREC_UI_TEST_MAIN(OverlayTest)
#include "overlay_uitest.moc"
