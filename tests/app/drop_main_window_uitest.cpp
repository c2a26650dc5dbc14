// The main window's own wiring of the settings feedback, watermark drops, the capture-mode list
// and the watermark maker, on a stand-in desktop.
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QUrl>

#include "app/core/watermark_intake.h"
#include "app/ui/main_window.h"
#include "app/ui/watermark_maker_window.h"
#include "main_window_support.h"
#include "region_ui_support.h"

using namespace app;

class MainWindowWiringTest : public QObject {
    Q_OBJECT
  private slots:
    void slidersAtTheirEndsWriteTheStatusLine();
    void droppedPictureBecomesTheWatermark();
    void fullScreenModeWritesThePrimaryScreen();
    void makerFromTheToolsMenuSetsTheWatermark();

  private:
    std::unique_ptr<MainWindow> MakeWindow() { return MakeTestWindow(desktop_, folder_.path()); }
    template <class T>
    static T* Find(MainWindow& window, const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
    static QString Status(MainWindow& window) { return Find<QLineEdit>(window, "动态框")->text(); }

    platform::NullDesktop desktop_{platform::Size{1280, 720}};
    QTemporaryDir folder_;
};

void MainWindowWiringTest::slidersAtTheirEndsWriteTheStatusLine() {
    auto window = MakeWindow();
    auto* interval = Find<QSlider>(*window, "帧数");
    interval->setValue(1);
    QVERIFY(Status(*window).endsWith("05m/hz"));
    interval->setValue(20);
    QVERIFY(Status(*window).endsWith("m/hz"));
    QVERIFY(!Status(*window).endsWith("10m/hz"));

    // In real time the speed is a factor of real time; with fixed delays, the delay.
    auto* speed = Find<QSlider>(*window, "播放速度");
    speed->setValue(5);
    QVERIFY(Status(*window).endsWith(" 2x"));
    QCOMPARE(window->Settings().Snapshot().speedFactor, 2.0);
    speed->setValue(2);
    QVERIFY(Status(*window).endsWith(" 0.75x"));
    window->FixedDelaysAction()->setChecked(true);
    QVERIFY(Status(*window).endsWith(" 30ms/hz"));
    speed->setValue(5);
    QVERIFY(Status(*window).endsWith(" 0ms/hz"));
    QCOMPARE(window->Settings().Snapshot().delayFactor, 0);
    speed->setValue(1);
    QVERIFY(Status(*window).endsWith(" 40ms/hz"));
    QCOMPARE(window->Settings().Snapshot().delayFactor, 4);

    auto* brightness = Find<QSlider>(*window, "亮度");
    brightness->setValue(1);
    QVERIFY(Status(*window).endsWith(" -90"));
    brightness->setValue(20);
    QVERIFY(Status(*window).endsWith(" 100"));

    auto* blackWhite = Find<QSlider>(*window, "黑白");
    blackWhite->setValue(10);
    QVERIFY(Status(*window).endsWith(" 10"));

    auto* watermark = Find<QCheckBox>(*window, "水印开关");
    watermark->click();
    QVERIFY(Status(*window).endsWith(QStringLiteral("真")));
    watermark->click();
    QVERIFY(Status(*window).endsWith(QStringLiteral("假")));
}

void MainWindowWiringTest::droppedPictureBecomesTheWatermark() {
    auto window = MakeWindow();
    QWidget* box = Find<QWidget>(*window, "图片框1");
    auto drop = [&](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &event);
    };
    QString upper = folder_.path() + "/MARK.PNG";
    QFile::copy(QStringLiteral(GIFREC_TESTDATA "/pictures/png-rgb.png"), upper);
    drop(upper);
    QTRY_COMPARE(Status(*window),
                 QString::fromStdString(WatermarkIntakeMessage(WatermarkVerdict::UnsupportedType)));
    QVERIFY(!window->Settings().Snapshot().watermarkPicture);

    drop(QStringLiteral(GIFREC_TESTDATA "/pictures/jpg-baseline.jpg"));
    QTRY_COMPARE(Status(*window),
                 QString::fromStdString(WatermarkIntakeMessage(WatermarkVerdict::Accepted)));
    CaptureSettings settings = window->Settings().Snapshot();
    QVERIFY(settings.watermarkPicture);
    QCOMPARE(settings.watermarkWidth, 37);
    QCOMPARE(settings.watermarkHeight, 23);
    QCOMPARE(settings.watermarkPicture->at(28), uint8_t{24});
}

void MainWindowWiringTest::fullScreenModeWritesThePrimaryScreen() {
    auto window = MakeWindow();
    auto* modes = Find<QComboBox>(*window, "组合框1");
    auto* button = Find<QPushButton>(*window, "按钮2");
    modes->setCurrentIndex(2);
    QCOMPARE(button->text(), QStringLiteral("区域"));
    QVERIFY(!button->isHidden());
    window->SetRegion({10, 20, 30, 40});
    modes->setCurrentIndex(1);
    QCOMPARE(button->text(), QStringLiteral("采集"));
    QCOMPARE(window->Region().right, 30);
    modes->setCurrentIndex(0);
    QVERIFY(button->isHidden());
    CaptureRegion region = window->Region();
    QCOMPARE(QRect(region.left, region.top, region.Width(), region.Height()),
             QRect(0, 0, 1280, 720));
    window->CloseRegionFrame();  // nothing open: harmless
}

void MainWindowWiringTest::makerFromTheToolsMenuSetsTheWatermark() {
    auto window = MakeWindow();
    QList<QAction*> menus = window->menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QList<QAction*> tools = menus[0]->menu()->actions();
    // 制作水印, a separator, 固定帧延时, 开始前倒计时 3 秒, a separator, 重新保存, a separator,
    // 保存完整帧, 精确颜色, the colour, size and limit menus, a separator, 界面语言, a separator,
    // 恢复默认设置
    QCOMPARE(tools.size(), 16);
    tools[0]->trigger();
    auto* maker = window->findChild<WatermarkMakerWindow*>();
    QVERIFY(maker);
    QTest::mouseClick(maker->GenerateButton(), Qt::LeftButton);
    CaptureSettings settings = window->Settings().Snapshot();
    QVERIFY(settings.watermarkPicture);
    QCOMPARE(settings.watermarkWidth, 196);
    QCOMPARE(settings.watermarkHeight, 33);
    QCOMPARE(menus[1]->menu()->actions().size(), 2);  // tutorial, about
}

GIFREC_UI_TEST_MAIN(MainWindowWiringTest)
#include "drop_main_window_uitest.moc"
