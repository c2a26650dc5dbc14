// The pause button in the mode button's place while recording, the paused title, and the
// countdown's digits, which are gone before the first grab and which the record button cancels.
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

#include "app/ui/main_window.h"
#include "main_window_support.h"

namespace app {

class PauseCountdownTest : public QObject {
    Q_OBJECT

    platform::NullDesktop desktop_{platform::Size{640, 480}};
    QTemporaryDir folder_;

    template <class T>
    static T* Find(MainWindow& window, const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
    static void RegionMode(MainWindow& window) {
        // Not minimised, so that the title stays in sight.
        Find<QComboBox>(window, "组合框1")->setCurrentIndex(2);
    }
    int SavedGifs() const {
        return QDir(folder_.path() + QStringLiteral("/GIF动画"))
            .entryList({QStringLiteral("*.gif")}, QDir::Files)
            .size();
    }

  private slots:
    void thePauseButtonStandsInForTheModeButtonWhileRecording() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        RegionMode(*window);
        auto* record = Find<QPushButton>(*window, "按钮1");
        auto* modeButton = Find<QPushButton>(*window, "按钮2");
        auto* modes = Find<QComboBox>(*window, "组合框1");
        QVERIFY(!window->PauseButton()->isVisible());
        const int idleWidth = modes->width();

        record->click();
        QVERIFY(window->PauseButton()->isVisible());
        QVERIFY(!modeButton->isVisible());
        QVERIFY(!modes->isEnabled());
        window->PauseButton()->click();
        QVERIFY(window->Recording().IsPaused());
        QTRY_VERIFY(window->windowTitle().contains(QStringLiteral("已暂停")));
        window->PauseButton()->click();
        QVERIFY(!window->Recording().IsPaused());
        QTRY_VERIFY(window->windowTitle().contains(QStringLiteral("录制中")) ||
                    window->windowTitle() == QStringLiteral("GIF 录屏"));

        record->click();
        QTRY_COMPARE(record->text(), QStringLiteral("录制"));
        QVERIFY(!window->PauseButton()->isVisible());
        QVERIFY(modeButton->isVisible());
        QVERIFY(modes->isEnabled());
        QCOMPARE(modes->width(), idleWidth);
    }

    void theCountdownCountsAndIsGoneBeforeTheFirstGrab() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        RegionMode(*window);
        window->CountdownAction()->setChecked(true);
        auto* record = Find<QPushButton>(*window, "按钮1");
        const int before = SavedGifs();

        record->click();
        QVERIFY(window->Countdown() && window->Countdown()->isVisible());
        QCOMPARE(window->Countdown()->Seconds(), 3);
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("3 秒后开始录制")));
        QVERIFY(!window->Recording().State().workerThread);
        QVERIFY(!window->PauseButton()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window->Countdown()->Seconds(), 1, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(window->Recording().State().workerThread, 3000);
        QVERIFY(!window->Countdown()->isVisible());
        QVERIFY(window->PauseButton()->isEnabled());
        record->click();
        QTRY_COMPARE_WITH_TIMEOUT(SavedGifs(), before + 1, 10000);

        // The record button during the countdown cancels it: nothing is recorded.
        QTRY_COMPARE(record->text(), QStringLiteral("录制"));
        record->click();
        QVERIFY(window->Recording().IsCountingDown());
        record->click();
        QVERIFY(!window->Recording().IsCountingDown());
        QVERIFY(!window->Countdown()->isVisible());
        QCOMPARE(record->text(), QStringLiteral("录制"));
        QTest::qWait(3500);  // past the time the countdown would have ended
        QVERIFY(!window->Recording().State().workerThread);
        QCOMPARE(SavedGifs(), before + 1);
    }
};

}  // namespace app

QTEST_MAIN(app::PauseCountdownTest)
#include "pause_countdown_uitest.moc"
