// The main window's controls and defaults, the record toggle through the button and F2, and the
// preview, on a stand-in desktop (the X server only shows the windows).
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ui/main_window.h"
#include "app/ui/preview_window.h"
#include "app/ui/region_frame_window.h"
#include "app/ui/region_selection_window.h"
#include "main_window_support.h"
#include "platform/desktop.h"

namespace app {

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainWindow> MakeWindow() {
        return MakeTestWindow(desktop, desktopDir.path(), [this] { ++ended; });
    }
    template <class T>
    T* Find(MainWindow& window, const char* name) {
        T* child = window.findChild<T*>(QString::fromUtf8(name));
        if (!child) qWarning("missing control %s", name);
        return child;
    }

    platform::NullDesktop desktop{platform::Size{1280, 720}};
    QTemporaryDir desktopDir;
    int ended = 0;

  private slots:
    void toolsMenuChoosesTheLayoutAndColoursOfTheNextRecording() {
        auto window = MakeWindow();
        QAction* whole = window->WholeFramesAction();
        QAction* exact = window->ExactColoursAction();
        QVERIFY(whole && exact);
        QCOMPARE(whole->text(), QString::fromUtf8("保存完整帧"));
        QCOMPARE(exact->text(), QString::fromUtf8("精确颜色"));
        QVERIFY(whole->isCheckable() && exact->isCheckable());
        QVERIFY(!whole->isChecked());
        QVERIFY(!exact->isChecked());
        QVERIFY(window->Recording().State().makerOptions.optimise);
        whole->trigger();
        QVERIFY(whole->isChecked());
        QVERIFY(!window->Recording().State().makerOptions.optimise);
        exact->trigger();
        QVERIFY(window->Recording().State().makerOptions.exactColours);
        whole->trigger();
        QVERIFY(window->Recording().State().makerOptions.optimise);
        QVERIFY(window->Recording().State().makerOptions.exactColours);
    }

    void controlsHaveTheirNamesPlacesAndStartValues() {
        auto window = MakeWindow();
        QCOMPARE(window->geometry(), QRect(50, 50, 286, 416));

        auto* group = Find<QGroupBox>(*window, "zxd");
        QVERIFY(group);
        QCOMPARE(group->geometry(), QRect(8, 0, 264, 360));
        QVERIFY(!group->title().isEmpty());
        auto* captions = Find<QLabel>(*window, "as");
        QVERIFY(captions);
        QCOMPARE(captions->geometry(), QRect(8, 18, 64, 326));

        auto* modes = Find<QComboBox>(*window, "组合框1");
        QVERIFY(modes);
        QCOMPARE(modes->geometry(), QRect(72, 16, 136, 20));
        QCOMPARE(modes->count(), 3);
        QCOMPARE(modes->currentIndex(), 0);
        auto* modeButton = Find<QPushButton>(*window, "按钮2");
        QVERIFY(modeButton);
        QCOMPARE(modeButton->geometry(), QRect(168, 16, 40, 20));
        QVERIFY(modeButton->isHidden());
        auto* record = Find<QPushButton>(*window, "按钮1");
        QVERIFY(record);
        QCOMPARE(record->geometry(), QRect(216, 16, 40, 20));
        QVERIFY(record->text() != QStringLiteral("停止"));
        QVERIFY(!record->toolTip().isEmpty());

        struct SliderSpec {
            const char* name;
            int top, minimum, maximum, start;
        };
        for (const SliderSpec& expected :
             {SliderSpec{"帧数", 40, 1, 20, 2}, SliderSpec{"播放速度", 64, 1, 5, 3},
              SliderSpec{"亮度", 88, 1, 20, 10}, SliderSpec{"黑白", 112, 1, 10, 1}}) {
            auto* slider = Find<QSlider>(*window, expected.name);
            QVERIFY(slider);
            QCOMPARE(slider->geometry(), QRect(66, expected.top, 194, 20));
            QCOMPARE(slider->minimum(), expected.minimum);
            QCOMPARE(slider->maximum(), expected.maximum);
            QCOMPARE(slider->value(), expected.start);
        }

        auto* picture = Find<QLabel>(*window, "图片框1");
        QVERIFY(picture);
        QCOMPARE(picture->geometry(), QRect(72, 136, 184, 184));
        auto* watermarkSwitch = Find<QCheckBox>(*window, "水印开关");
        QVERIFY(watermarkSwitch);
        QCOMPARE(watermarkSwitch->parentWidget(), picture);
        QCOMPARE(watermarkSwitch->geometry(), QRect(167, 166, 12, 12));
        QVERIFY(!watermarkSwitch->isChecked());
        QVERIFY(Find<QWidget>(*window, "浏览1"));

        auto* status = Find<QLineEdit>(*window, "动态框");
        QVERIFY(status);
        QCOMPARE(status->geometry(), QRect(72, 328, 184, 20));
        QVERIFY(!status->text().isEmpty());

        // The region starts as the whole primary screen.
        const char* fields[] = {"编辑框1", "编辑框2", "编辑框3", "编辑框4"};
        const char* values[] = {"0", "0", "1280", "720"};
        for (int i = 0; i < 4; ++i) {
            auto* field = Find<QLineEdit>(*window, fields[i]);
            QVERIFY(field);
            QCOMPARE(field->text(), QString::fromUtf8(values[i]));
            QCOMPARE(field->geometry(), QRect(500, 136, 40, 20));
            QCOMPARE(field->focusPolicy(), Qt::NoFocus);  // Tab never lands in them
        }
        auto* keys = Find<KeyWatcher>(*window, "动画框1");
        QVERIFY(keys);
        QCOMPARE(keys->geometry(), QRect(272, -8, 16, 16));
        QVERIFY(keys->IsWatching());
        auto* timer = window->findChild<QTimer*>(QStringLiteral("画圈"));
        QVERIFY(timer);
        QVERIFY(!timer->isActive());

        // A tools menu (the watermark maker) and a help menu (tutorial, about).
        auto* menus = window->findChild<QMenuBar*>();
        QVERIFY(menus);
        QCOMPARE(menus->actions().size(), 2);
    }

    void theWorkerSettingsFollowTheControls() {
        auto window = MakeWindow();
        CaptureSettings s = window->Settings().Snapshot();
        QCOMPARE(s.region.right, 1280);
        QCOMPARE(s.region.bottom, 720);
        QCOMPARE(s.frameIntervalPosition, 2);
        QCOMPARE(s.brightnessPosition, 10);
        QCOMPARE(s.blackWhitePosition, 1);
        QCOMPARE(s.delayFactor, 2);
        QVERIFY(!s.watermarkOn);

        Find<QSlider>(*window, "帧数")->setValue(1);
        Find<QSlider>(*window, "播放速度")->setValue(5);
        Find<QSlider>(*window, "亮度")->setValue(20);
        Find<QSlider>(*window, "黑白")->setValue(2);
        Find<QCheckBox>(*window, "水印开关")->setChecked(true);
        window->SetRegion({10, 20, 110, 70});
        s = window->Settings().Snapshot();
        QCOMPARE(s.frameIntervalPosition, 1);
        QCOMPARE(s.delayFactor, 0);
        QCOMPARE(s.brightnessPosition, 20);
        QCOMPARE(s.blackWhitePosition, 2);
        QVERIFY(s.watermarkOn);
        QCOMPARE(s.region.left, 10);
        QCOMPARE(s.region.Height(), 50);
        Find<QLineEdit>(*window, "编辑框3")->setText(QStringLiteral("abc"));
        QCOMPARE(window->Settings().Snapshot().region.right, 0);
    }

    void aTappedF2RecordsAndTheStopShowsThePreview() {
        auto window = MakeWindow();
        window->show();
        window->SetRegion({0, 0, 64, 48});
        auto* record = Find<QPushButton>(*window, "按钮1");
        auto* status = Find<QLineEdit>(*window, "动态框");

        // A 30 ms tap is seen.
        desktop.SetKeyDown(113, true);
        QTest::qWait(30);
        desktop.SetKeyDown(113, false);
        QTRY_COMPARE(record->text(), QStringLiteral("停止"));
        // The frame count, the rate and the size so far.
        QTRY_VERIFY_WITH_TIMEOUT(status->text().endsWith(QStringLiteral(" MB")), 10000);

        // Other keys do nothing.
        desktop.SetKeyDown(81, true);
        QTest::qWait(30);
        desktop.SetKeyDown(81, false);
        QCOMPARE(record->text(), QStringLiteral("停止"));

        record->click();
        // The save runs in the background; the caption stays until it has ended.
        QTRY_COMPARE(record->text(), QStringLiteral("录制"));
        const QString path = QString::fromStdString(window->Recording().OutputPath().string());
        QVERIFY(path.startsWith(desktopDir.path() + QStringLiteral("/GIF动画/")));
        QVERIFY(QFile::exists(path));
        QVERIFY(status->text().contains(
            QString::fromStdString(window->Recording().State().fileBaseName)));

        PreviewWindow* preview = window->Preview();
        QVERIFY(preview);
        QCOMPARE(preview->windowTitle(), QStringLiteral("预览"));
        QCOMPARE(preview->PictureSize(), QSize(64, 48));
        QCOMPARE(preview->pos(),
                 QPoint((1280 - preview->width()) / 2, (720 - preview->height()) / 2));

        // F2 does not record while the preview is open: the status line says to close it first,
        // with a double-click, which gives F2 back.
        QVERIFY(!window->Keys()->IsWatching());
        const QString saved = status->text();
        desktop.SetKeyDown(113, true);
        QTest::qWait(30);
        desktop.SetKeyDown(113, false);
        QTRY_VERIFY(status->text() != saved);
        QVERIFY(status->text().contains(QStringLiteral("预览")));
        QVERIFY(status->text().contains(QStringLiteral("双击")));
        QCOMPARE(record->text(), QStringLiteral("录制"));
        QTest::mouseDClick(preview, Qt::LeftButton, {}, preview->Picture()->geometry().center());
        QTRY_VERIFY(!window->Preview());
        QVERIFY(window->Keys()->IsWatching());
        desktop.SetKeyDown(113, true);
        QTest::qWait(30);
        desktop.SetKeyDown(113, false);
        QTRY_COMPARE(record->text(), QStringLiteral("停止"));
        QTRY_VERIFY_WITH_TIMEOUT(status->text().endsWith(QStringLiteral(" MB")), 10000);
        record->click();
    }

    void closingTheWindowEndsAtOnceOnlyDuringARecording() {
        auto window = MakeWindow();
        window->show();
        window->SetRegion({0, 0, 32, 24});
        // Idle: an ordinary quit, which lets the clipboard be handed over.
        window->close();
        QCOMPARE(ended, 0);

        window->show();
        auto* record = Find<QPushButton>(*window, "按钮1");
        record->click();
        QCOMPARE(record->text(), QStringLiteral("停止"));
        window->close();
        QCOMPARE(ended, 1);
    }

    void stoppingARecordingClosesTheRegionFrame() {
        auto window = MakeWindow();
        window->show();
        auto openFrames = [] {
            int count = 0;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<RegionFrameWindow*>(top) && top->isVisible()) ++count;
            }
            return count;
        };
        // The selection window runs modally: drag on it once it is up.
        QTimer dragger;
        connect(&dragger, &QTimer::timeout, [&] {
            auto* selection =
                qobject_cast<RegionSelectionWindow*>(QApplication::activeModalWidget());
            if (!selection) return;
            dragger.stop();
            selection->OnSelectionLeftDown(40, 30);
            selection->OnSelectionMove(104, 78);
            selection->OnSelectionLeftUp(104, 78);
        });
        dragger.start(20);
        Find<QComboBox>(*window, "组合框1")->setCurrentIndex(2);
        Find<QPushButton>(*window, "按钮2")->click();
        QVERIFY(!dragger.isActive());
        const CaptureRegion region = window->Region();
        QCOMPARE(QRect(QPoint(region.left, region.top), QPoint(region.right, region.bottom)),
                 QRect(QPoint(40, 30), QPoint(104, 78)));
        QCOMPARE(openFrames(), 1);
        QVERIFY(window->Recording().State().regionFrameShown);

        auto* record = Find<QPushButton>(*window, "按钮1");
        record->click();
        QCOMPARE(openFrames(), 1);  // stays while recording
        record->click();
        QTRY_COMPARE(record->text(), QStringLiteral("录制"));
        QCOMPARE(openFrames(), 0);
        QVERIFY(!window->Recording().State().regionFrameShown);
    }
};

}  // namespace app

QTEST_MAIN(app::MainWindowTest)
#include "main_window_uitest.moc"
