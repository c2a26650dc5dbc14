// The region selection window: the read-out placement, drags in both directions, a click, a
// right-button press, over a real X server.
#include <QPainter>
#include <QTimer>

#include "app/ui/region_selection_window.h"
#include "region_ui_support.h"

using app::CaptureRegion;
using app::ReadoutPosition;
using app::RegionSelectionWindow;
using app::SelectionState;

namespace {

bool Same(const std::optional<CaptureRegion>& got, CaptureRegion want) {
    return got && got->left == want.left && got->top == want.top && got->right == want.right &&
           got->bottom == want.bottom;
}

QPixmap Backdrop() {
    QSize screen = QGuiApplication::primaryScreen()->size();
    QPixmap picture(screen);
    picture.fill(QColor(40, 90, 160));
    QPainter painter(&picture);
    painter.fillRect(300, 200, 600, 400, QColor(230, 230, 230));
    return picture;
}

}  // namespace

class RegionSelectionTest : public QObject {
    Q_OBJECT
  private slots:
    void readoutFollowsThePlacementTable();
    void dragWritesSortedCornersInBothDirections();
    void rightButtonWritesTheLastDragUnsorted();
    void clickWithoutMovementGivesAnEmptyRegion();
    void realPointerDragOverTheWindow();
    void pointerMapsToTheScreenPixelsOfTheArea();
};

void RegionSelectionTest::readoutFollowsThePlacementTable() {
    const int sw = 1920, sh = 1080;
    QCOMPARE(ReadoutPosition(500, 400, sw, sh), QPoint(510, 410));
    QCOMPARE(ReadoutPosition(500, 1070, sw, sh), QPoint(444, 1020));    // near the bottom
    QCOMPARE(ReadoutPosition(1900, 1070, sw, sh), QPoint(1844, 1020));  // bottom-right corner
    QCOMPARE(ReadoutPosition(1900, 500, sw, sh), QPoint(1844, 450));    // near the right
    QCOMPARE(ReadoutPosition(1900, 10, sw, sh), QPoint(1844, 20));      // top-right corner
    QCOMPARE(ReadoutPosition(10, 1070, sw, sh), QPoint(20, 1020));      // bottom-left corner
    // Exactly on a boundary no row matches: top-left corner.
    QCOMPARE(ReadoutPosition(sw - 64, 500, sw, sh), QPoint(0, 0));
    QCOMPARE(ReadoutPosition(500, sh - 64, sw, sh), QPoint(0, 0));
    QCOMPARE(ReadoutPosition(64, 1070, sw, sh), QPoint(0, 0));
    QCOMPARE(ReadoutPosition(1900, 64, sw, sh), QPoint(0, 0));
}

void RegionSelectionTest::dragWritesSortedCornersInBothDirections() {
    SelectionState state;
    {
        RegionSelectionWindow window(Backdrop(), state);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(100, 120));
        QVERIFY(state.selDragging);
        QTest::mouseMove(&window, QPoint(250, 300));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(400, 330));
        QVERIFY(Same(window.ChosenRegion(), {100, 120, 400, 330}));
        QVERIFY(!state.selDragging);
        QVERIFY(!window.isVisible());
    }
    {
        RegionSelectionWindow window(Backdrop(), state);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(400, 330));
        QTest::mouseMove(&window, QPoint(200, 200));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(100, 120));
        QVERIFY(Same(window.ChosenRegion(), {100, 120, 400, 330}));
    }
    // Mixed: leftwards and downwards.
    RegionSelectionWindow window(Backdrop(), state);
    window.OnSelectionLeftDown(500, 100);
    window.OnSelectionLeftUp(300, 250);
    QVERIFY(Same(window.ChosenRegion(), {300, 100, 500, 250}));
}

void RegionSelectionTest::rightButtonWritesTheLastDragUnsorted() {
    SelectionState state;
    {
        // Before any drag everything is zero.
        RegionSelectionWindow window(Backdrop(), state);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(&window, Qt::RightButton, {}, QPoint(700, 700));
        QVERIFY(Same(window.ChosenRegion(), {0, 0, 0, 0}));
        QVERIFY(!window.isVisible());
    }
    {
        RegionSelectionWindow window(Backdrop(), state);
        window.OnSelectionLeftDown(50, 60);
        window.OnSelectionLeftUp(250, 160);
    }
    {
        // After a completed drag: its sorted corners again.
        RegionSelectionWindow window(Backdrop(), state);
        window.OnSelectionRightDown();
        QVERIFY(Same(window.ChosenRegion(), {50, 60, 250, 160}));
    }
    // During a drag: the press point and the last pointer position, as they stand.
    RegionSelectionWindow window(Backdrop(), state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(600, 500));
    QTest::mouseMove(&window, QPoint(420, 380));
    QTest::mousePress(&window, Qt::RightButton, {}, QPoint(420, 380));
    QVERIFY(Same(window.ChosenRegion(), {600, 500, 420, 380}));
    QVERIFY(!state.selDragging);  // closing ends the drag
}

void RegionSelectionTest::clickWithoutMovementGivesAnEmptyRegion() {
    SelectionState state;
    RegionSelectionWindow window(Backdrop(), state);
    window.OnSelectionLeftDown(333, 444);
    window.OnSelectionLeftUp(333, 444);
    QVERIFY(Same(window.ChosenRegion(), {333, 444, 333, 444}));
}

void RegionSelectionTest::realPointerDragOverTheWindow() {
    // Through the X server, as a person drags: the frozen picture shows, the guide lines and
    // the rectangle are drawn in red, and the release writes the region.
    SelectionState state;
    RegionSelectionWindow window(Backdrop(), state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(testing_ui::Xdotool({"mousemove", "400", "300"}));
    testing_ui::Settle();
    QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
    QVERIFY(testing_ui::Xdotool({"mousemove", "700", "500"}));
    QVERIFY(testing_ui::Xdotool({"mousemove", "800", "550"}));
    testing_ui::Settle(300);
    QVERIFY(state.selDragging);
    QImage screen = testing_ui::ScreenImage();
    testing_ui::Screenshot(QStringLiteral("selection_mid_drag"));
    QVERIFY(testing_ui::IsRed(screen.pixel(400, 420)));  // rectangle's left edge
    QVERIFY(testing_ui::IsRed(screen.pixel(100, 550)));  // horizontal guide line
    QVERIFY(testing_ui::IsRed(screen.pixel(800, 50)));   // vertical guide line
    QCOMPARE(screen.pixel(50, 50), qRgb(40, 90, 160));   // the frozen picture
    QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
    QTRY_VERIFY(window.ChosenRegion().has_value());
    QVERIFY(Same(window.ChosenRegion(), {400, 300, 800, 550}));
}

void RegionSelectionTest::pointerMapsToTheScreenPixelsOfTheArea() {
    SelectionState state;
    // A second monitor right of a 1280-pixel one: the window's (0, 0) is the screen's (1280, 0).
    RegionSelectionWindow right(Backdrop(), state, nullptr, QRect(1280, 0, 1024, 768));
    QCOMPARE(right.ToScreen(QPointF(100, 50)), QPoint(1380, 50));
    QCOMPARE(right.ToWindow(QPoint(1380, 50)), QPoint(100, 50));

    // A scaled output: the stream counts 1920x1080 where the window counts 960x540 (scale 2) or
    // 1280x720 (1.5); a pointer a hair short of a pixel (Wayland's 1/256ths) keeps that pixel.
    const struct {
        QSize window;
        QPointF at;
        QPoint screen;
    } cases[] = {
        {{960, 540}, {150, 100}, {300, 200}},
        {{960, 540}, {350, 250}, {700, 500}},
        {{960, 540}, {100.5, 0.5}, {201, 1}},
        {{1280, 720}, {200, 133.3359}, {300, 200}},
        {{1280, 720}, {466.6641, 333.3320}, {700, 500}},
    };
    for (const auto& c : cases) {
        RegionSelectionWindow scaled(Backdrop(), state, nullptr, QRect(0, 0, 1920, 1080));
        scaled.resize(c.window);
        QCOMPARE(scaled.ToScreen(c.at), c.screen);
    }
    RegionSelectionWindow scaled(Backdrop(), state, nullptr, QRect(0, 0, 1920, 1080));
    scaled.resize(960, 540);
    scaled.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scaled));
    QTest::mousePress(&scaled, Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mouseMove(&scaled, QPoint(300, 200));
    QTest::mouseRelease(&scaled, Qt::LeftButton, {}, QPoint(350, 250));
    QVERIFY(Same(scaled.ChosenRegion(), {300, 200, 700, 500}));
}

GIFREC_UI_TEST_MAIN(RegionSelectionTest)
#include "region_selection_uitest.moc"
