// The window pick where the desktop has its own chooser (a Wayland portal): the pick mode turns
// the grabs to the chosen window, a click on the mode button asks the chooser, and the region
// becomes the chosen window's stream as a whole. Where the desktop offers no windows, the mode
// does nothing.
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

#include "app/ui/capture_mode_controller.h"

using app::CaptureModeController;
using app::CaptureRegion;

namespace {

class ChooserDesktop : public platform::NullDesktop {
  public:
    bool offersWindows = true;
    std::optional<platform::Size> choice;
    int choices = 0;
    std::optional<bool> windowSource;

    bool CanPickWindows() override { return offersWindows; }
    bool HasWindowChooser() override { return true; }
    std::optional<platform::Size> ChooseWindow() override {
        ++choices;
        return choice;
    }
    void UseWindowSource(bool window) override { windowSource = window; }
};

}  // namespace

class WindowChooserTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        desktop_ = std::make_unique<ChooserDesktop>();
        region_ = CaptureRegion{1, 2, 3, 4};
        main_ = std::make_unique<QWidget>();
        main_->resize(286, 60);
        list_ = new QComboBox(main_.get());
        list_->setGeometry(80, 16, 136, 20);
        list_->addItems({"全屏", "窗口", "区域"});
        button_ = new QPushButton(main_.get());
        button_->setGeometry(176, 16, 40, 20);
        button_->hide();
        controller_ = new CaptureModeController(
            main_.get(), list_, button_, *desktop_,
            {[this] { return region_; }, [this](const CaptureRegion& r) { region_ = r; }});
        connect(list_, &QComboBox::currentIndexChanged, controller_,
                &CaptureModeController::OnCaptureModeChanged);
        connect(button_, &QPushButton::clicked, controller_,
                &CaptureModeController::OnModeButtonClick);
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }

    void cleanup() { main_.reset(); }

    void clickAsksTheChooserAndTakesTheWholeWindow() {
        desktop_->choice = platform::Size{640, 480};
        list_->setCurrentIndex(1);
        QCOMPARE(desktop_->windowSource, std::optional<bool>(true));
        QVERIFY(button_->isVisible());
        QCOMPARE(button_->text(), QStringLiteral("采集"));
        QCOMPARE(desktop_->choices, 0);  // only the click asks

        QTest::mouseClick(button_, Qt::LeftButton);
        QCOMPARE(desktop_->choices, 1);
        QCOMPARE(region_, (CaptureRegion{0, 0, 640, 480}));
        // Nothing under the pointer is highlighted: the desktop shows us no windows.
        QCOMPARE(controller_->Picker().HighlightInterval(), 0);

        // A cancelled choice keeps the region.
        desktop_->choice.reset();
        QTest::mouseClick(button_, Qt::LeftButton);
        QCOMPARE(desktop_->choices, 2);
        QCOMPARE(region_, (CaptureRegion{0, 0, 640, 480}));

        // Leaving the mode turns the grabs back to the screen before the region takes its size.
        list_->setCurrentIndex(0);
        QCOMPARE(desktop_->windowSource, std::optional<bool>(false));
        QCOMPARE(region_, (CaptureRegion{0, 0, 1920, 1080}));
        list_->setCurrentIndex(2);
        QCOMPARE(desktop_->windowSource, std::optional<bool>(false));
    }

    void withoutWindowsTheModeDoesNothing() {
        desktop_->offersWindows = false;
        desktop_->choice = platform::Size{640, 480};
        list_->setCurrentIndex(1);
        QCOMPARE(desktop_->windowSource, std::optional<bool>(false));
        QVERIFY(!button_->isVisible());
        QVERIFY(!list_->toolTip().isEmpty());
        controller_->OnModeButtonClick();
        QCOMPARE(desktop_->choices, 0);
        QCOMPARE(region_, (CaptureRegion{1, 2, 3, 4}));
    }

  private:
    std::unique_ptr<ChooserDesktop> desktop_;
    std::unique_ptr<QWidget> main_;
    QComboBox* list_ = nullptr;
    QPushButton* button_ = nullptr;
    CaptureModeController* controller_ = nullptr;
    CaptureRegion region_;
};

QTEST_MAIN(WindowChooserTest)
#include "window_chooser_uitest.moc"
