// The interface in English: the captions are English, yet the record button and the mode button
// steer exactly as with their Chinese captions; status texts and the library's errors follow the
// language; the output folder keeps its name.
#include <QComboBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/core/encoder.h"
#include "app/core/recording.h"
#include "app/core/status_texts.h"
#include "app/core/texts.h"
#include "app/ui/interface_language.h"
#include "app/ui/main_window.h"
#include "app/ui/steering_caption.h"
#include "main_window_support.h"

namespace app {

class EnglishInterfaceTest : public QObject {
    Q_OBJECT

  private:
    platform::NullDesktop desktop_{platform::Size{640, 480}};
    QTemporaryDir folder_;

    static QPushButton* Button(MainWindow& window, const char* name) {
        return window.findChild<QPushButton*>(QString::fromUtf8(name));
    }

  private slots:
    void initTestCase() {
        QVERIFY(InstallInterfaceLanguage(*QCoreApplication::instance(), QStringLiteral("en")));
        QCOMPARE(LibraryLanguage(), gif::Language::English);
    }

    void theCaptionsAreEnglish() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        QCOMPARE(window->windowTitle(), QStringLiteral("GIF Recorder"));
        QCOMPARE(Button(*window, "按钮1")->text(), QStringLiteral("Rec"));
        QCOMPARE(SteeringCaption(Button(*window, "按钮1")), QStringLiteral("录制"));
        auto* modes = window->findChild<QComboBox*>(QStringLiteral("组合框1"));
        QCOMPARE(modes->itemText(0), QStringLiteral("Screen"));
        QCOMPARE(modes->itemText(1), QStringLiteral("Window"));
        QCOMPARE(modes->itemText(2), QStringLiteral("Region"));
        QCOMPARE(window->findChild<QGroupBox*>(QStringLiteral("zxd"))->title(),
                 QStringLiteral("Recording"));
        // No Chinese left in what the window shows at start.
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (!button) continue;
            for (QChar c : button->text() + button->toolTip())
                QVERIFY2(c.unicode() < 0x2E80, qPrintable(button->objectName()));
        }
    }

    void theRecordButtonSteersUnderItsEnglishCaption() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        QPushButton* record = Button(*window, "按钮1");
        record->click();
        QVERIFY(window->Recording().IsRecording());
        QCOMPARE(record->text(), QStringLiteral("Stop"));
        QCOMPARE(SteeringCaption(record), QString::fromUtf8(kCaptionRecording));
        // Stopped once a frame is in: the first grab may wait for the window to leave the screen.
        QLineEdit* status = window->findChild<QLineEdit*>(QStringLiteral("动态框"));
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("Recording, frame")),
                                 10000);
        record->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window->Recording().IsRecording(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(record->text(), QStringLiteral("Rec"), 10000);
        // The GIF went to the folder of the same name as in Chinese.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(folder_.filePath(QString::fromUtf8(kOutputFolderName)))
                                      .entryList({QStringLiteral("*.gif")})
                                      .isEmpty(),
                                 10000);
        QVERIFY(status->text().startsWith(QStringLiteral("Saved ")));
    }

    void theModeButtonPicksAndChoosesUnderEnglishCaptions() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* modes = window->findChild<QComboBox*>(QStringLiteral("组合框1"));
        QPushButton* mode = Button(*window, "按钮2");
        modes->setCurrentIndex(1);
        QCOMPARE(mode->text(), QStringLiteral("Pick"));
        QCOMPARE(SteeringCaption(mode), QStringLiteral("采集"));
        // A press starts the window pick's highlight, as under "采集".
        auto* highlight = window->findChild<QTimer*>(QStringLiteral("画圈"));
        QVERIFY(highlight);
        QTest::mousePress(mode, Qt::LeftButton);
        QVERIFY(highlight->isActive());
        QTest::mouseRelease(mode, Qt::LeftButton);
        QVERIFY(!highlight->isActive());

        modes->setCurrentIndex(2);
        QCOMPARE(mode->text(), QStringLiteral("Area"));
        QCOMPARE(SteeringCaption(mode), QStringLiteral("区域"));
    }

    void statusTextsAndLibraryErrorsAreEnglish() {
        auto window = MakeTestWindow(desktop_, folder_.path());
        window->findChild<QSlider*>(QStringLiteral("亮度"))->setValue(1);
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("动态框"))->text(),
                 QStringLiteral("Brightness: -90"));
        QCOMPARE(WatermarkSwitchStatus(true), std::string("Watermark: on"));
        QCOMPARE(FrameIntervalStatus(1), std::string("Interval: 05m/hz"));

        std::unique_ptr<Encoder> encoder = MakeGifMakerEncoder();
        encoder->Create({});
        QVERIFY(!encoder->SaveGif(folder_.filePath(QStringLiteral("none.gif")).toStdString()));
        QCOMPARE(encoder->GetError(), std::string("No picture has been added yet"));
    }
};

}  // namespace app

QTEST_MAIN(app::EnglishInterfaceTest)
#include "english_interface_uitest.moc"
