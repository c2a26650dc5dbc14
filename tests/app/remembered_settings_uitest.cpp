// Settings that stay: the INI store on its own, and the main window through a restart, a damaged
// file and "恢复默认设置".
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "app/core/encoder.h"
#include "app/core/status_texts.h"
#include "app/ui/ini_settings_store.h"
#include "app/ui/main_window.h"
#include "bitmap/picture_codec.h"
#include "bmp_builder.h"
#include "platform/desktop.h"

namespace app {
namespace {

// A picture as the program holds a watermark: a 24-bit BMP as the picture codec writes it.
PictureBytes Watermark(int width, int height) {
    const std::vector<uint8_t> bmp = apptest::MakeBmp(width, height, 24, [](int x, int y) {
        return apptest::Px{uint8_t(x * 7), uint8_t(y * 5), uint8_t(x ^ y)};
    });
    bitmap::Image24 image;
    if (bitmap::DecodePicture(bmp, image) != bitmap::DecodeStatus::Ok) return {};
    return bitmap::EncodeBmp24(image);
}

// Every field away from its default.
RememberedSettings Unusual() {
    RememberedSettings s;
    s.captureMode = 2;
    s.region = {100, 50, 740, 530};
    s.frameIntervalPosition = 7;
    s.playSpeedPosition = 5;
    s.brightnessPosition = 14;
    s.blackWhitePosition = 4;
    s.watermarkOn = true;
    s.watermarkPicture = Watermark(196, 33);
    s.watermarkWidth = 196;
    s.watermarkHeight = 33;
    s.wholeFrames = true;
    s.exactColours = true;
    s.colours = "exact";
    s.quality = 70;
    s.outputScalePercent = 50;
    s.sizeLimitMegabytes = 10;
    s.countdown = true;
    s.fixedDelays = true;
    s.language = "en";
    return s;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class RememberedSettingsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<MainWindow> Start(RememberedSettingsStore& store) {
        MainWindow::Services services{
            desktop,
            [this](int32_t l, int32_t t, int32_t w, int32_t h, std::vector<uint8_t>& f) {
                desktop.GrabInto(l, t, w, h, f);
            },
            MakeGifMakerEncoder(),
            desktopDir.path(),
            [] {},
            {},
            store.Load(),
            &store};
        return std::make_unique<MainWindow>(std::move(services));
    }
    template <class T>
    static T* Find(MainWindow& window, const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
    static QString Status(MainWindow& window) { return Find<QLineEdit>(window, "动态框")->text(); }

    platform::NullDesktop desktop{platform::Size{1280, 720}};
    QTemporaryDir desktopDir;

  private slots:
    void storeKeepsEverySettingThroughARestart() {
        QTemporaryDir config;
        const QString folder = config.filePath(QStringLiteral("gifrec"));
        QVERIFY(IniSettingsStore(folder).Save(Unusual()));
        SettingsLoad load = IniSettingsStore(folder).Load();
        QCOMPARE(load.outcome, SettingsLoad::Outcome::Loaded);
        QVERIFY(load.settings == Unusual());
        // The picture lies beside the file, for the user to see.
        QImageReader png(folder + QStringLiteral("/watermark.png"));
        QCOMPARE(png.format(), QByteArray("png"));
        QCOMPARE(png.size(), QSize(196, 33));

        // A file from before a setting existed loads, the new setting at its default.
        WriteFile(folder + QStringLiteral("/gifrec.conf"),
                  "[gifrec]\nversion=1\n[sliders]\nbrightness=12\n");
        load = IniSettingsStore(folder).Load();
        QCOMPARE(load.outcome, SettingsLoad::Outcome::Loaded);
        QCOMPARE(load.settings.brightnessPosition, 12);
        QCOMPARE(load.settings.quality, 100);
    }

    void damagedOrUnreadableFilesGiveOnlyTheDefaults() {
        const QByteArray head = "[gifrec]\nversion=1\n";
        const QByteArray picture = "[watermark]\npicture=watermark.png\nwidth=4\nheight=4\n";
        const struct {
            const char* what;
            QByteArray conf;
            QByteArray png;  // watermark.png's bytes; none when empty
        } cases[] = {
            {"binary junk", QByteArray("\x00\xff\xfe\x01[[[\n=\n", 10), {}},
            {"no version", "[sliders]\nbrightness=12\n", {}},
            {"a version to come", "[gifrec]\nversion=2\n", {}},
            // Usable values beside a bad one: none of them is taken.
            {"out of range", head + "[sliders]\nbrightness=12\nblackWhite=11\n", {}},
            {"not a number", head + "[sliders]\nbrightness=12x\n", {}},
            {"not a switch", head + "[tools]\ncountdown=yes\n", {}},
            {"a list", head + "[tools]\ncolours=best, exact\n", {}},
            {"unknown mode", head + "[capture]\nmode=3\n", {}},
            {"picture missing", head + picture, {}},
            {"picture damaged", head + picture, "\x89PNG\r\n\x1a\n not really"},
            {"picture elsewhere", head + "[watermark]\npicture=/etc/passwd\n", {}},
            {"too large", head + QByteArray(2 << 20, '\n'), {}},
        };
        for (const auto& c : cases) {
            QTemporaryDir folder;
            WriteFile(folder.filePath(QStringLiteral("gifrec.conf")), c.conf);
            if (!c.png.isEmpty())
                WriteFile(folder.filePath(QStringLiteral("watermark.png")), c.png);
            const SettingsLoad load = IniSettingsStore(folder.path()).Load();
            QVERIFY2(load.outcome == SettingsLoad::Outcome::Damaged, c.what);
            QVERIFY2(load.settings == RememberedSettings{}, c.what);
            QVERIFY2(!load.detail.empty(), c.what);
        }
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("gifrec.conf")));
        const SettingsLoad load = IniSettingsStore(folder.path()).Load();
        QCOMPARE(load.outcome, SettingsLoad::Outcome::Unreadable);
        QVERIFY(load.settings == RememberedSettings{});
    }

    void mainWindowKeepsEverySettingThroughARestart() {
        QTemporaryDir config;
        RememberedSettings stored;
        // Choices without a control of their own yet are carried through unchanged.
        stored.colours = "dither";
        stored.quality = 40;
        stored.outputScalePercent = 75;
        stored.sizeLimitMegabytes = 25;
        stored.countdown = true;
        stored.fixedDelays = true;
        QVERIFY(IniSettingsStore(config.path()).Save(stored));
        {
            IniSettingsStore store(config.path());
            auto window = Start(store);
            Find<QComboBox>(*window, "组合框1")->setCurrentIndex(2);
            window->SetRegion({100, 50, 740, 530});
            Find<QSlider>(*window, "帧数")->setValue(7);
            Find<QSlider>(*window, "播放速度")->setValue(5);
            Find<QSlider>(*window, "亮度")->setValue(14);
            Find<QSlider>(*window, "黑白")->setValue(4);
            Find<QCheckBox>(*window, "水印开关")->click();
            const PictureBytes mark = Watermark(196, 33);
            window->SetWatermarkPicture(
                QByteArray(reinterpret_cast<const char*>(mark.data()), qsizetype(mark.size())), 196,
                33);
            window->WholeFramesAction()->trigger();
            window->ExactColoursAction()->trigger();
            Find<QAction>(*window, "language-en")->trigger();
            QCoreApplication::processEvents();
        }
        IniSettingsStore store(config.path());
        auto window = Start(store);
        RememberedSettings expected = Unusual();
        expected.colours = "dither";
        expected.quality = 40;
        expected.outputScalePercent = 75;
        expected.sizeLimitMegabytes = 25;
        QVERIFY(window->CurrentSettings() == expected);
        QVERIFY(window->findChild<CaptureModeController*>()->RegionFrameShown());
        QVERIFY(!Find<QLabel>(*window, "图片框1")->pixmap().isNull());
        QVERIFY(Find<QAction>(*window, "language-en")->isChecked());
        // What the next recording uses.
        const CaptureSettings capture = window->Settings().Snapshot();
        QCOMPARE(capture.region, (CaptureRegion{100, 50, 740, 530}));
        QCOMPARE(capture.brightnessPosition, 14);
        QCOMPARE(capture.delayFactor, 0);
        QVERIFY(capture.watermarkOn && capture.watermarkPicture);
        QVERIFY(*capture.watermarkPicture == expected.watermarkPicture);
        QVERIFY(!window->Recording().State().makerOptions.optimise);
        QVERIFY(window->Recording().State().makerOptions.exactColours);
        QCOMPARE(Status(*window), QStringLiteral("按 F2 开始或停止录制"));
    }

    void aFailedSaveIsToldOnce() {
        QTemporaryDir config;
        const QString blocked = config.filePath(QStringLiteral("gifrec"));
        WriteFile(blocked, "a file where the folder belongs");
        IniSettingsStore store(blocked);
        auto window = Start(store);
        QCOMPARE(Status(*window), QStringLiteral("无法保存设置"));
        Find<QSlider>(*window, "亮度")->setValue(5);
        QCoreApplication::processEvents();
        QCOMPARE(Status(*window), QString::fromStdString(BrightnessStatus(5)));
    }

    void aDamagedFileStartsFromTheDefaultsAndSaysSo() {
        QTemporaryDir config;
        const QString conf = config.filePath(QStringLiteral("gifrec.conf"));
        const QByteArray damaged =
            "[gifrec]\nversion=1\n[capture]\nmode=2\n[sliders]\nbrightness=99\n";
        WriteFile(conf, damaged);
        IniSettingsStore store(config.path());
        auto window = Start(store);
        QVERIFY(window->CurrentSettings().captureMode == 0);
        QCOMPARE(Find<QSlider>(*window, "亮度")->value(), 10);
        QCOMPARE(Status(*window),
                 QString::fromStdString(SettingsLoadStatus(SettingsLoad::Outcome::Damaged)));
        QCoreApplication::processEvents();
        QCOMPARE(ReadFile(conf), damaged);  // left for the user until a setting changes
        Find<QSlider>(*window, "亮度")->setValue(12);
        QCoreApplication::processEvents();
        const SettingsLoad load = IniSettingsStore(config.path()).Load();
        QCOMPARE(load.outcome, SettingsLoad::Outcome::Loaded);
        QCOMPARE(load.settings.brightnessPosition, 12);
    }

    void restoringTheDefaultsPutsThemBackAndWritesThem() {
        QTemporaryDir config;
        QVERIFY(IniSettingsStore(config.path()).Save(Unusual()));
        IniSettingsStore store(config.path());
        auto window = Start(store);
        QCOMPARE(window->CurrentSettings().brightnessPosition, 14);
        auto* restore = Find<QAction>(*window, "恢复默认设置");
        QVERIFY(restore);
        restore->trigger();

        RememberedSettings defaults;
        defaults.region = {0, 0, 1280, 720};  // full screen: the screen as it is now
        QVERIFY(window->CurrentSettings() == defaults);
        QVERIFY(Find<QLabel>(*window, "图片框1")->pixmap().isNull());
        QVERIFY(!window->findChild<CaptureModeController*>()->RegionFrameShown());
        QVERIFY(window->Recording().State().makerOptions.optimise);
        QVERIFY(!window->Recording().State().makerOptions.exactColours);
        QVERIFY(Find<QAction>(*window, "language-")->isChecked());
        QCOMPARE(Status(*window), QStringLiteral("已恢复默认设置"));
        const SettingsLoad load = IniSettingsStore(config.path()).Load();
        QCOMPARE(load.outcome, SettingsLoad::Outcome::Loaded);
        QVERIFY(load.settings == defaults);
        QVERIFY(!QFile::exists(config.filePath(QStringLiteral("watermark.png"))));
    }
};

}  // namespace app

QTEST_MAIN(app::RememberedSettingsTest)
#include "remembered_settings_uitest.moc"
