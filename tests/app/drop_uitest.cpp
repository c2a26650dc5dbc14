// Dropping files on the watermark picture box, and the help menu's about box.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "app/core/watermark_intake.h"
#include "app/ui/drop_receiver.h"
#include "app/ui/help_actions.h"
#include "bitmap/picture_codec.h"
#include "region_ui_support.h"

using app::DropReceiver;

namespace {

// Sends a drag over `target` and then the drop, as Qt delivers a file manager's drag.
bool DropOn(QWidget* target, QMimeData& data) {
    QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QString WriteBmp(const QString& path, uint32_t width, uint32_t height) {
    bitmap::Image24 image;
    image.width = width;
    image.height = height;
    image.pixels.assign(image.Stride() * height, 0x60);
    std::vector<uint8_t> bytes = bitmap::EncodeBmp24(image);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

}  // namespace

class DropTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void droppedFilesReachTheCallbackJoinedByCrLf();
    void otherDragsAndEventsPassOn();
    void uninstallPutsTheWidgetBack();
    void eachKindOfDropEndsWithItsMessage();
    void aboutBoxLiftsTheMainWindowOutOfTheTopLayer();

  private:
    QTemporaryDir folder_;
};

void DropTest::initTestCase() {
    QVERIFY(folder_.isValid());
}

void DropTest::droppedFilesReachTheCallbackJoinedByCrLf() {
    QLabel box;
    QStringList lists;
    DropReceiver receiver;
    receiver.Install(&box, [&](const QString& list) { lists << list; });
    receiver.Install(&box, [&](const QString&) { lists << "second install"; });  // ignored
    QVERIFY(box.acceptDrops());

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a b.png"), QUrl::fromLocalFile("/tmp/水印.bmp")});
    QVERIFY(DropOn(&box, data));
    QCOMPARE(lists, QStringList{"/tmp/a b.png\r\n/tmp/水印.bmp"});

    QMimeData one;
    one.setUrls({QUrl::fromLocalFile("/tmp/only.gif")});
    QVERIFY(DropOn(&box, one));
    QCOMPARE(lists.value(1), QStringLiteral("/tmp/only.gif"));
}

void DropTest::otherDragsAndEventsPassOn() {
    QLabel box;
    int calls = 0;
    DropReceiver receiver;
    receiver.Install(&box, [&](const QString&) { ++calls; });
    QMimeData text;
    text.setText(QStringLiteral("just words"));
    QVERIFY(!DropOn(&box, text));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.png"))});
    QVERIFY(!DropOn(&box, web));
    QCOMPARE(calls, 0);
    // Ordinary events still reach the widget.
    box.resize(50, 20);
    QCOMPARE(box.size(), QSize(50, 20));
    QResizeEvent resize(QSize(60, 30), QSize(50, 20));
    QVERIFY(!receiver.HandleMessage(&box, &resize));
}

void DropTest::uninstallPutsTheWidgetBack() {
    QLabel box;
    int calls = 0;
    {
        DropReceiver receiver;
        receiver.Uninstall();  // before any install: nothing happens
        receiver.Install(&box, [&](const QString&) { ++calls; });
        receiver.Uninstall();
        QVERIFY(!receiver.Installed());
        QVERIFY(!box.acceptDrops());
        receiver.Install(&box, [&](const QString&) { ++calls; });
        QVERIFY(receiver.Installed());
    }  // the destructor uninstalls
    QVERIFY(!box.acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a.png")});
    DropOn(&box, data);
    QCOMPARE(calls, 0);

    // A widget that goes first leaves a receiver that can still be destroyed.
    auto* gone = new QLabel;
    DropReceiver receiver;
    receiver.Install(gone, [](const QString&) {});
    delete gone;
    receiver.Uninstall();
    QVERIFY(!receiver.Installed());
}

void DropTest::eachKindOfDropEndsWithItsMessage() {
    QLabel box;
    QStringList messages;
    int watermarks = 0;
    QByteArray lastPicture;
    QSize lastSize;
    app::WatermarkTarget target{[&](const QString& text) { messages << text; },
                                [&](const QByteArray& bmp, int width, int height) {
                                    ++watermarks;
                                    lastPicture = bmp;
                                    lastSize = QSize(width, height);
                                }};
    DropReceiver receiver;
    receiver.Install(&box, [&](const QString& list) { app::OnFilesDropped(list, target, &box); });
    auto drop = [&](const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        DropOn(&box, data);
    };
    QString dir = folder_.path();
    QFile::copy(QStringLiteral(GIFREC_TESTDATA "/pictures/png-rgba.png"), dir + "/mark.png");
    QFile::copy(QStringLiteral(GIFREC_TESTDATA "/pictures/png-rgb.png"), dir + "/MARK.PNG");
    QFile fake(dir + "/fake.gif");
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("not a picture at all");
    fake.close();

    const struct {
        QStringList paths;
        app::WatermarkVerdict verdict;
    } drops[] = {
        {{dir + "/MARK.PNG"}, app::WatermarkVerdict::UnsupportedType},
        {{WriteBmp(dir + "/wide.bmp", 200, 10)}, app::WatermarkVerdict::TooLarge},
        {{dir + "/fake.gif"}, app::WatermarkVerdict::Unusable},
        {{WriteBmp(dir + "/one.bmp", 8, 8), dir + "/mark.png"}, app::WatermarkVerdict::Unusable},
        {{WriteBmp(dir + "/fits.bmp", 199, 199)}, app::WatermarkVerdict::Accepted},
        {{dir + "/mark.png"}, app::WatermarkVerdict::Accepted},
    };
    int accepted = 0;
    for (const auto& each : drops) {
        int before = static_cast<int>(messages.size());
        drop(each.paths);
        // The file is read off the UI thread: its answer comes through the event loop.
        QCOMPARE(messages.size(), before);
        QTRY_COMPARE(messages.size(), before + 1);
        QCOMPARE(messages.last(),
                 QString::fromStdString(app::WatermarkIntakeMessage(each.verdict)));
        if (each.verdict == app::WatermarkVerdict::Accepted) ++accepted;
        QCOMPARE(watermarks, accepted);  // only accepted drops change the watermark
    }
    // The last one, a PNG with a transparent corner, became a 24-bit BMP of its own size.
    QCOMPARE(lastSize, QSize(37, 23));
    QCOMPARE(lastPicture.left(2), QByteArray("BM"));
    QCOMPARE(static_cast<int>(lastPicture[28]), 24);
}

void DropTest::aboutBoxLiftsTheMainWindowOutOfTheTopLayer() {
    QWidget main(nullptr, Qt::WindowStaysOnTopHint);
    main.resize(286, 416);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    bool onTopWhileShown = true;
    QString shownText;
    QTimer::singleShot(300, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        onTopWhileShown = main.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        shownText = box->text();
        box->accept();
    });
    app::OnAboutItem(&main);
    QVERIFY(!onTopWhileShown);
    QCOMPARE(shownText.count(QStringLiteral("\r\n")), 1);
    QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(main.isVisible());

    // A main window that was not on top stays so.
    QWidget plain;
    plain.show();
    QTimer::singleShot(300, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    app::OnAboutItem(&plain);
    QVERIFY(!plain.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

GIFREC_UI_TEST_MAIN(DropTest)
#include "drop_uitest.moc"
