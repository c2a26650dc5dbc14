// The capture-mode list, the mode button and the window pick, driven through the X server as a
// person would: press the button, move over another window, release.
#include <QComboBox>
#include <QPushButton>

#include "app/ui/capture_mode_controller.h"
#include "region_ui_support.h"

using app::CaptureModeController;
using app::CaptureRegion;

namespace {

QWidget* PlainWindow(QRect geometry, QColor colour) {
    auto* window = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    window->setGeometry(geometry);
    window->setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, colour);
    window->setPalette(palette);
    return window;
}

bool Same(const CaptureRegion& got, CaptureRegion want) {
    return got.left == want.left && got.top == want.top && got.right == want.right &&
           got.bottom == want.bottom;
}

// Two monitors, the primary one on the right.
class TwoMonitors : public platform::NullDesktop {
  public:
    std::vector<platform::Monitor> Monitors() override {
        return {{"DP-1", {0, 0, 1280, 720}, false}, {"HDMI-2", {1280, 0, 2304, 768}, true}};
    }
    platform::Rect PrimaryScreen() override { return {1280, 0, 2304, 768}; }
};

}  // namespace

class RegionPickTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void modeListSteersTheButtonAndTheRegion();
    void pickTakesTheWindowReleasedOver();
    void releaseOverTheMainWindowEndsThePickWithoutChoosing();
    void aModeChangeEndsThePick();
    void regionModeOpensTheSelectionThenTheFrame();
    void monitorModesRecordAllOrOneMonitor();

  private:
    QPoint ButtonCentre() const;

    std::unique_ptr<platform::Desktop> desktop_;
    std::unique_ptr<QWidget> main_;
    std::unique_ptr<QWidget> target_;
    QComboBox* list_ = nullptr;
    QPushButton* button_ = nullptr;
    CaptureModeController* controller_ = nullptr;
    CaptureRegion region_{1, 2, 3, 4};
    std::optional<CaptureRegion> nextChoice_;
    int choices_ = 0;
};

void RegionPickTest::init() {
    region_ = CaptureRegion{1, 2, 3, 4};
    choices_ = 0;
    desktop_ = platform::OpenDesktop();
    main_.reset(PlainWindow(QRect(50, 50, 286, 200), QColor(200, 200, 200)));
    list_ = new QComboBox(main_.get());
    list_->setGeometry(80, 16, 136, 20);
    list_->addItems({"全屏", "窗口", "区域"});
    button_ = new QPushButton(main_.get());
    button_->setGeometry(176, 16, 40, 20);
    button_->hide();
    controller_ = new CaptureModeController(
        main_.get(), list_, button_, *desktop_,
        {[this] { return region_; }, [this](const CaptureRegion& r) { region_ = r; }}, [this] {
            ++choices_;
            return nextChoice_;
        });
    // As the main window does.
    connect(list_, &QComboBox::currentIndexChanged, controller_,
            &CaptureModeController::OnCaptureModeChanged);
    connect(button_, &QPushButton::clicked, controller_, &CaptureModeController::OnModeButtonClick);
    target_.reset(PlainWindow(QRect(900, 300, 320, 240), QColor(30, 160, 60)));
    main_->show();
    target_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    QVERIFY(QTest::qWaitForWindowExposed(target_.get()));
}

void RegionPickTest::cleanup() {
    main_.reset();
    target_.reset();
    // A test that failed half-way must not leave the button held for the next one.
    testing_ui::Xdotool({"mouseup", "1"});
}

QPoint RegionPickTest::ButtonCentre() const {
    return button_->mapToGlobal(button_->rect().center());
}

void RegionPickTest::modeListSteersTheButtonAndTheRegion() {
    list_->setCurrentIndex(1);
    QVERIFY(button_->isVisible());
    QCOMPARE(button_->text(), QStringLiteral("采集"));
    QCOMPARE(list_->width(), 88);
    QVERIFY(!button_->toolTip().isEmpty());
    QVERIFY(Same(region_, {1, 2, 3, 4}));  // switching to a pick keeps the region

    list_->setCurrentIndex(2);
    QCOMPARE(button_->text(), QStringLiteral("区域"));
    QCOMPARE(list_->width(), 88);

    list_->setCurrentIndex(0);
    QVERIFY(!button_->isVisible());
    QCOMPARE(list_->width(), 136);
    platform::Size screen = desktop_->ScreenSize();
    QVERIFY(Same(region_, {0, 0, screen.width, screen.height}));
}

void RegionPickTest::pickTakesTheWindowReleasedOver() {
    list_->setCurrentIndex(1);
    testing_ui::Settle();
    QVERIFY(testing_ui::MovePointer(ButtonCentre()));
    QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 350);
    QVERIFY(testing_ui::Xdotool({"mousemove", "1000", "400"}));
    testing_ui::Settle(800);  // a couple of highlight ticks over the target
    QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 0);
    QVERIFY(Same(region_, {900, 300, 1220, 540}));
    // The highlight frame leaves nothing behind on the target.
    testing_ui::Settle();
    QCOMPARE(testing_ui::ScreenImage().pixel(900, 300), qRgb(30, 160, 60));
}

void RegionPickTest::releaseOverTheMainWindowEndsThePickWithoutChoosing() {
    list_->setCurrentIndex(1);
    testing_ui::Settle();
    QVERIFY(testing_ui::MovePointer(ButtonCentre()));
    QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 350);
    QVERIFY(testing_ui::Xdotool({"mousemove", "100", "150"}));  // still over the main window
    QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 0);
    QVERIFY(Same(region_, {1, 2, 3, 4}));
    // With the button up, touching another window flashes nothing and picks nothing.
    QVERIFY(testing_ui::MovePointer({1000, 400}));
    testing_ui::Settle(800);
    QCOMPARE(controller_->Picker().HighlightInterval(), 0);
    QVERIFY(Same(region_, {1, 2, 3, 4}));
    // A new press and a release over another window picks it.
    QVERIFY(testing_ui::MovePointer(ButtonCentre()));
    QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 350);
    QVERIFY(testing_ui::MovePointer({1100, 500}));
    QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(controller_->Picker().HighlightInterval(), 0);
    QVERIFY(Same(region_, {900, 300, 1220, 540}));
}

void RegionPickTest::aModeChangeEndsThePick() {
    for (int next : {0, 2}) {
        list_->setCurrentIndex(1);
        testing_ui::Settle();
        QVERIFY(testing_ui::MovePointer(ButtonCentre()));
        QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
        QTRY_COMPARE(controller_->Picker().HighlightInterval(), 350);
        list_->setCurrentIndex(next);  // by keyboard while the button is held
        QCOMPARE(controller_->Picker().HighlightInterval(), 0);
        QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
        testing_ui::Settle();
        QCOMPARE(controller_->Picker().HighlightInterval(), 0);
    }
}

void RegionPickTest::regionModeOpensTheSelectionThenTheFrame() {
    list_->setCurrentIndex(2);
    testing_ui::Settle();
    // Pressing in region mode starts no pick.
    QVERIFY(testing_ui::MovePointer(ButtonCentre()));
    QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
    testing_ui::Settle();
    QCOMPARE(controller_->Picker().HighlightInterval(), 0);
    nextChoice_ = CaptureRegion{100, 100, 300, 200};
    QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
    QTRY_COMPARE(choices_, 1);
    QVERIFY(Same(region_, {100, 100, 300, 200}));
    QVERIFY(controller_->RegionFrameShown());
    QCOMPARE(controller_->RegionFrame()->geometry(), QRect(98, 98, 204, 104));

    // A second selection replaces the frame; giving up keeps the region and shows it again.
    nextChoice_.reset();
    controller_->OnModeButtonClick();
    QCOMPARE(choices_, 2);
    QVERIFY(Same(region_, {100, 100, 300, 200}));
    QVERIFY(controller_->RegionFrameShown());

    list_->setCurrentIndex(1);  // a pick closes the frame, keeps the region
    QVERIFY(!controller_->RegionFrameShown());
    QVERIFY(Same(region_, {100, 100, 300, 200}));
    controller_->OnModeButtonClick();  // caption "采集": no selection
    QCOMPARE(choices_, 2);
}

void RegionPickTest::monitorModesRecordAllOrOneMonitor() {
    TwoMonitors desktop;
    QComboBox list;
    list.addItems({"全屏", "窗口", "区域"});
    QPushButton button;
    CaptureRegion region{};
    CaptureModeController controller(
        nullptr, &list, &button, desktop,
        {[&] { return region; }, [&](const CaptureRegion& r) { region = r; }},
        [] { return std::optional<CaptureRegion>(); });
    controller.AddMonitorModes();
    QCOMPARE(list.count(), 6);
    QCOMPARE(list.itemText(3), QStringLiteral("所有显示器"));
    QCOMPARE(list.itemText(4), QStringLiteral("显示器 DP-1"));
    QCOMPARE(list.itemText(5), QStringLiteral("显示器 HDMI-2"));
    const struct {
        int index;
        CaptureRegion region;
    } cases[] = {
        {3, {0, 0, 2304, 768}},     // all monitors, the dead corner below the left one too
        {4, {0, 0, 1280, 720}},     // by name
        {5, {1280, 0, 2304, 768}},  // by name
        {0, {1280, 0, 2304, 768}},  // full screen: the primary, off the origin
    };
    for (const auto& c : cases) {
        button.show();
        controller.OnCaptureModeChanged(c.index);
        QVERIFY2(Same(region, c.region), qPrintable(QString::number(c.index)));
        QVERIFY(button.isHidden());
    }

    // One monitor: nothing to choose between.
    platform::NullDesktop single;
    QComboBox plain;
    plain.addItems({"全屏", "窗口", "区域"});
    CaptureModeController alone(nullptr, &plain, &button, single, {});
    alone.AddMonitorModes();
    QCOMPARE(plain.count(), 3);
}

GIFREC_UI_TEST_MAIN(RegionPickTest)
#include "region_pick_uitest.moc"
