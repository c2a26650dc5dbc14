// A user's Qt scale factors must not put the recorder's windows and regions out of step with the
// screen's pixels: the region fields, the selection window's drag and the frame window all count
// in the pixels the X server and the grabber use.
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/core/encoder.h"
#include "app/ui/main_window.h"
#include "app/ui/physical_pixels.h"
#include "app/ui/region_frame_window.h"
#include "app/ui/region_selection_window.h"
#include "platform/loader.h"
#include "region_ui_support.h"

namespace app {

class PhysicalPixelsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<platform::Desktop> desktop_ = platform::OpenDesktop();

  private slots:
    void qtCountsInScreenPixels() {
        QVERIFY(desktop_);
        const platform::Size screen = desktop_->ScreenSize();
        QScreen* primary = QGuiApplication::primaryScreen();
        QCOMPARE(primary->devicePixelRatio(), 1.0);
        QCOMPARE(primary->size(), QSize(screen.width, screen.height));
    }

    void theStartRegionIsTheWholeScreen() {
        QTemporaryDir folder;
        MainWindow window(MainWindow::Services{
            *desktop_,
            [](int32_t, int32_t, int32_t, int32_t, std::vector<uint8_t>& frame) { frame.clear(); },
            MakeGifMakerEncoder(), folder.path(), [] {}});
        window.show();
        const platform::Size screen = desktop_->ScreenSize();
        const CaptureRegion region = window.Region();
        QCOMPARE(QRect(QPoint(region.left, region.top), QPoint(region.right, region.bottom)),
                 QRect(QPoint(0, 0), QPoint(screen.width, screen.height)));
    }

    void aDraggedRegionAndItsFrameAreInScreenPixels() {
        SelectionState state;
        QPixmap backdrop(QGuiApplication::primaryScreen()->size());
        backdrop.fill(Qt::darkCyan);
        RegionSelectionWindow selection(backdrop, state);
        selection.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selection));
        QVERIFY(testing_ui::Xdotool({"mousemove", "--sync", "400", "300"}));
        testing_ui::Settle();
        QVERIFY(testing_ui::Xdotool({"mousedown", "1"}));
        QVERIFY(testing_ui::Xdotool({"mousemove", "--sync", "800", "550"}));
        testing_ui::Settle();
        QVERIFY(testing_ui::Xdotool({"mouseup", "1"}));
        QTRY_VERIFY(selection.ChosenRegion().has_value());
        const CaptureRegion chosen = *selection.ChosenRegion();
        QCOMPARE(QRect(QPoint(chosen.left, chosen.top), QPoint(chosen.right, chosen.bottom)),
                 QRect(QPoint(400, 300), QPoint(800, 550)));

        // The outline lies on the two screen pixels just outside the region.
        RegionFrameWindow frame(chosen);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        testing_ui::Settle(300);
        const QImage screen = testing_ui::ScreenImage();
        QVERIFY(testing_ui::IsRed(screen.pixel(398, 400)));
        QVERIFY(testing_ui::IsRed(screen.pixel(801, 400)));
        QVERIFY(!testing_ui::IsRed(screen.pixel(400, 400)));
        QVERIFY(!testing_ui::IsRed(screen.pixel(396, 400)));
    }
};

}  // namespace app

int main(int argc, char** argv) {
    // As a user's environment may have them.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", QByteArray("1"));
    qputenv("QT_SCALE_FACTOR", QByteArray("2"));
    qputenv("QT_SCREEN_SCALE_FACTORS", QByteArray("1.5"));
    app::UsePhysicalPixels();
    platform::Init();
    QApplication application(argc, argv);
    app::PhysicalPixelsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "physical_pixels_uitest.moc"
