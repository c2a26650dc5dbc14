// While a recording runs: the elapsed time in the main window's title (kept plain while the
// title could be recorded), and, where the desktop has a tray, a tray icon whose tooltip gives
// time and frames, whose click stops, and which the frames do not show.
#include <QComboBox>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

#include "app/ui/main_window.h"
#include "app/ui/recording_feedback.h"
#include "main_window_support.h"
#include "region_ui_support.h"

namespace app {

namespace {

bool Contains(const std::vector<platform::Rect>& rects, const QRect& r) {
    const platform::Rect want{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return std::find(rects.begin(), rects.end(), want) != rects.end();
}

}  // namespace

class RecordingFeedbackTest : public QObject {
    Q_OBJECT

    platform::NullDesktop desktop{platform::Size{1280, 720}};
    QTemporaryDir folder;
    QProcess tray;

    std::unique_ptr<MainWindow> MakeWindow() {
        auto window = MakeTestWindow(desktop, folder.path());
        window->show();
        return window;
    }
    QPushButton* Record(MainWindow& window) {
        return window.findChild<QPushButton*>(QStringLiteral("按钮1"));
    }

  private slots:
    void cleanupTestCase() {
        if (tray.state() != QProcess::NotRunning) {
            tray.kill();
            tray.waitForFinished(2000);
        }
    }

    void elapsedTimeIsMinutesAndSeconds() {
        QCOMPARE(RecordingFeedback::FormatElapsed(0), QStringLiteral("00:00"));
        QCOMPARE(RecordingFeedback::FormatElapsed(999), QStringLiteral("00:00"));
        QCOMPARE(RecordingFeedback::FormatElapsed(61'999), QStringLiteral("01:01"));
        QCOMPARE(RecordingFeedback::FormatElapsed(3'599'999), QStringLiteral("59:59"));
        QCOMPARE(RecordingFeedback::FormatElapsed(3'600'000), QStringLiteral("1:00:00"));
        QCOMPARE(RecordingFeedback::FormatElapsed(36'061'000), QStringLiteral("10:01:01"));
        QCOMPARE(RecordingFeedback::FormatElapsed(-5), QStringLiteral("00:00"));
    }

    void theTitleCountsTheTimeAndIsPutBackAtTheStop() {
        auto window = MakeWindow();
        const QString plain = window->windowTitle();
        Record(*window)->click();  // full screen: the window is minimised
        QVERIFY(window->Feedback()->IsRunning());
        QTRY_VERIFY(window->windowTitle().contains(QStringLiteral("00:0")));
        QVERIFY(window->windowTitle().contains(plain));
        QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().contains(QStringLiteral("00:01")), 3000);
        Record(*window)->click();
        // The save runs in the background; the caption comes back when it has ended.
        QTRY_COMPARE(Record(*window)->text(), QStringLiteral("录制"));
        QVERIFY(!window->Feedback()->IsRunning());
        QCOMPARE(window->windowTitle(), plain);
        QVERIFY(window->Settings().Snapshot().hidden.empty());
        QVERIFY(!window->Feedback()->TrayIcon());
    }

    void aTitleInsideTheRecordedRegionStaysPlain() {
        auto window = MakeWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QString plain = window->windowTitle();
        window->findChild<QComboBox*>(QStringLiteral("组合框1"))->setCurrentIndex(2);
        const QRect frame = window->frameGeometry();
        window->SetRegion({frame.left() + 10, frame.top(), frame.left() + 40, frame.top() + 20});
        Record(*window)->click();
        QVERIFY(window->isVisible() && !window->isMinimized());
        testing_ui::Settle(300);
        QCOMPARE(window->windowTitle(), plain);
        // Recording elsewhere, the title shows the time.
        window->SetRegion({frame.right() + 10, 0, frame.right() + 50, 40});
        QTRY_VERIFY(window->windowTitle().contains(QStringLiteral("00:0")));
        Record(*window)->click();
        QCOMPARE(window->windowTitle(), plain);
    }

    // Needs a tray host on the display; trayer is one (scripts/deps.sh test installs it).
    void theTrayIconShowsTimeAndFramesIsHiddenFromFramesAndStops() {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
            if (trayer.isEmpty()) QSKIP("no tray host on this display and trayer is not installed");
            tray.start(trayer, {"--edge", "top", "--align", "right", "--widthtype", "request",
                                "--height", "24", "--SetDockType", "true"});
            QVERIFY(tray.waitForStarted(5000));
            QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        }
        auto window = MakeWindow();
        Record(*window)->click();
        QSystemTrayIcon* icon = window->Feedback()->TrayIcon();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(icon->geometry().isValid() && icon->geometry().width() > 0, 5000);
        QTRY_VERIFY(Contains(window->Settings().Snapshot().hidden, icon->geometry()));
        QTRY_VERIFY_WITH_TIMEOUT(!icon->toolTip().contains(QStringLiteral(" 0 ")), 10000);
        QVERIFY(icon->toolTip().contains(QStringLiteral("00:0")));
        testing_ui::Screenshot(QStringLiteral("tray_icon_while_recording"));

        // The icon's menu pauses and resumes; its tooltip says so meanwhile.
        QVERIFY(icon->contextMenu());
        QAction* pause = icon->contextMenu()->findChild<QAction*>(QStringLiteral("暂停录制"));
        QVERIFY(pause);
        pause->trigger();
        QVERIFY(window->Recording().IsPaused());
        QVERIFY(icon->toolTip().startsWith(QStringLiteral("已暂停")));
        QCOMPARE(pause->text(), QStringLiteral("继续录制"));
        pause->trigger();
        QVERIFY(!window->Recording().IsPaused());
        QVERIFY(icon->toolTip().startsWith(QStringLiteral("录制中")));

        // A click on the icon stops, and the icon goes.
        const QPoint centre = icon->geometry().center();
        QVERIFY(testing_ui::MovePointer(centre));
        QVERIFY(testing_ui::Xdotool({"click", "1"}));
        QTRY_COMPARE(Record(*window)->text(), QStringLiteral("录制"));
        QVERIFY(!window->Feedback()->TrayIcon());
        QVERIFY(window->Settings().Snapshot().hidden.empty());
        QVERIFY(QFile::exists(QString::fromStdString(window->Recording().OutputPath().string())));
    }
};

}  // namespace app

GIFREC_UI_TEST_MAIN(app::RecordingFeedbackTest)
#include "recording_feedback_uitest.moc"
