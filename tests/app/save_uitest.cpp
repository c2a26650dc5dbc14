// A save that takes its time runs beside the event loop: the window keeps handling events and
// shows the progress, the record button waits, and closing the window waits for the file.
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#include "app/core/encoder.h"
#include "app/ui/main_window.h"
#include "platform/desktop.h"

namespace app {
namespace {

// The real maker, with a save that takes about a second and reports its progress meanwhile.
class SlowEncoder final : public Encoder {
  public:
    void Reset() override { inner_->Reset(); }
    void Clear() override { inner_->Clear(); }
    bool Create(const gif::AnimationInfo& info) override {
        ++creates;
        return inner_->Create(info);
    }
    bool AddFrame(const gif::FrameInfo& info, std::span<const uint8_t> picture) override {
        const bool added = inner_->AddFrame(info, picture);
        frames += added;
        return added;
    }
    bool SaveGif(const std::string& path) override {
        saveThread = std::this_thread::get_id();
        for (size_t step = 1; step <= 10; ++step) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (progress_) progress_(step, 20);
        }
        return inner_->SaveGif(path);
    }
    std::string GetError() override { return inner_->GetError(); }
    void KeepFramesIn(std::unique_ptr<gif::FrameStore> store) override {
        inner_->KeepFramesIn(std::move(store));
    }
    void SetSaveProgress(std::function<void(size_t, size_t)> progress) override {
        progress_ = progress;
        inner_->SetSaveProgress(std::move(progress));
    }
    bool HasFrames() override { return inner_->HasFrames(); }

    std::atomic<int> frames{0};
    std::atomic<int> creates{0};
    std::thread::id saveThread;

  private:
    std::unique_ptr<Encoder> inner_ = MakeGifMakerEncoder();
    std::function<void(size_t, size_t)> progress_;
};

}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

  private slots:
    void aSlowSaveLeavesTheWindowResponsive() {
        platform::NullDesktop desktop{platform::Size{640, 480}};
        QTemporaryDir folder;
        auto slow = std::make_unique<SlowEncoder>();
        SlowEncoder& encoder = *slow;
        bool ended = false;
        MainWindow window(MainWindow::Services{
            desktop,
            [&desktop](int32_t l, int32_t t, int32_t w, int32_t h, std::vector<uint8_t>& f) {
                desktop.GrabInto(l, t, w, h, f);
            },
            std::move(slow), folder.path(), [&] { ended = true; }});
        window.show();
        window.SetRegion({0, 0, 64, 48});
        auto* record = window.findChild<QPushButton*>(QStringLiteral("按钮1"));
        auto* status = window.findChild<QLineEdit*>(QStringLiteral("动态框"));
        QVERIFY(record && status);

        record->click();
        QTRY_VERIFY(encoder.frames >= 2);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);

        QElapsedTimer stop;
        stop.start();
        record->click();
        QVERIFY2(stop.elapsed() < 500, "the stop waited for the save");
        QCOMPARE(record->text(), QStringLiteral("停止"));
        QTRY_VERIFY(status->text().startsWith(QStringLiteral("正在保存…")));
        QVERIFY(status->text().endsWith(QStringLiteral("%")));

        // Neither the button nor a second close cut in.
        record->click();
        QCOMPARE(encoder.creates.load(), 1);
        window.close();
        QVERIFY(window.isVisible());
        QVERIFY(!ended);

        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 5000);
        QVERIFY2(ticks >= 20, qPrintable(QStringLiteral("only %1 timer ticks").arg(ticks)));
        QVERIFY(encoder.saveThread != std::this_thread::get_id());
        const QString path = QString::fromStdString(window.Recording().OutputPath().string());
        QVERIFY(QFile::exists(path));
        QCOMPARE(record->text(), QStringLiteral("录制"));
        QVERIFY(status->text().contains(
            QString::fromStdString(window.Recording().State().fileBaseName)));
        QVERIFY(!ended);  // an ordinary close, not the abandoning one
    }
};

}  // namespace app

QTEST_MAIN(app::SaveTest)
#include "save_uitest.moc"
