// The preview as an editor, driven as a user would: the arrow keys and I/O trim a recording,
// a dragged range is deleted and undone, "保存" writes the kept frames over the file, the
// original goes to the trash, the clipboard holds the new bytes, and a double-click on the
// picture still closes the window. Screenshots in $GIFREC_SHOTS for a person to look at.
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/edit_timeline.h"
#include "app/ui/editor_strip.h"
#include "app/ui/interface_language.h"
#include "app/ui/preview_window.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"
#include "region_ui_support.h"
#include "tool_run_support.h"

namespace app {
namespace {

// Twelve frames of 160 x 90, as the recorder writes them: a bar grows and a block moves.
std::vector<uint8_t> Recording() {
    gif::GifMaker maker;
    maker.SetOptions({true, true});
    maker.Create({});
    for (int i = 0; i < 12; ++i) {
        const auto picture = gif::testing::MakeImage(160, 90, [&](uint32_t x, uint32_t y) {
            if (y > 70 && x < uint32_t(12 * i + 10)) return gif::testing::Rgb{40, 160, 60};
            if (x >= uint32_t(10 * i) && x < uint32_t(10 * i + 20) && y > 20 && y < 50)
                return gif::testing::Rgb{220, 40, 40};
            return gif::testing::Rgb{235, 235, 240};
        });
        gif::FrameInfo info;
        info.DelayTime = uint16_t(20 + i);
        maker.AddFrame(info, std::nullopt, gif::testing::Bmp32(picture));
    }
    gif::MemorySink sink;
    maker.SaveGif(sink);
    return sink.bytes;
}

QString Suffix() {
    return qEnvironmentVariable("GIFREC_TEST_LANGUAGE", QStringLiteral("zh")) + "_" +
           QString::number(qEnvironmentVariableIntValue("QT_FONT_DPI"));
}

}  // namespace

class EditorTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    QPushButton* Button(PreviewWindow* preview, const char* name) {
        return preview->Strip()->findChild<QPushButton*>(QString::fromLatin1(name));
    }

  private slots:
    void initTestCase() {
        const QString language = qEnvironmentVariable("GIFREC_TEST_LANGUAGE", QStringLiteral("zh"));
        QVERIFY(InstallInterfaceLanguage(*QCoreApplication::instance(), language));
        qputenv("XDG_DATA_HOME", folder_.filePath(QStringLiteral("data")).toUtf8());
    }

    void trimWithTheKeysSaveAndFindTheOriginalInTheTrash() {
        const std::vector<uint8_t> original = Recording();
        const std::string path = folder_.filePath(QStringLiteral("rec.gif")).toStdString();
        gif::testing::WriteFileBytes(path, original);
        auto* preview = new PreviewWindow;
        preview->Open(QString::fromStdString(path), QRect(0, 0, 1920, 1080));
        preview->show();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QTRY_VERIFY(preview->Session().Indexed());
        QCOMPARE(preview->Session().FrameCount(), 12u);
        QCOMPARE(preview->PictureSize(), QSize(160, 90));

        // It plays; Home stops it on the first frame. Frame 3 (from 0) becomes the start,
        // frame 9 the end.
        QTRY_VERIFY(preview->CurrentFrame() > 1);
        QTest::keyClick(preview, Qt::Key_Home);
        QCOMPARE(preview->CurrentFrame(), 0u);
        for (int i = 0; i < 3; ++i) QTest::keyClick(preview, Qt::Key_Right);
        QCOMPARE(preview->CurrentFrame(), 3u);
        QTest::keyClick(preview, Qt::Key_I);
        for (int i = 0; i < 7; ++i) QTest::keyClick(preview, Qt::Key_Right);
        QTest::keyClick(preview, Qt::Key_Left);
        QTest::keyClick(preview, Qt::Key_O);
        QCOMPARE(preview->Session().Start(), 3u);
        QCOMPARE(preview->Session().End(), 9u);

        // A range dragged on the timeline, deleted, then undone.
        EditTimeline* timeline = preview->Strip()->Timeline();
        const int slot = timeline->width() / 12;
        QTest::mousePress(timeline, Qt::LeftButton, {}, QPoint(5 * slot + slot / 2, 5));
        QTest::mouseMove(timeline, QPoint(6 * slot + slot / 2, 5));
        QTest::mouseRelease(timeline, Qt::LeftButton, {}, QPoint(6 * slot + slot / 2, 5));
        Button(preview, "deleteSelected")->click();
        QVERIFY(!preview->Session().Kept(5) && !preview->Session().Kept(6));
        QTest::qWait(200);
        testing_ui::Screenshot("editor_trimmed_" + Suffix());
        Button(preview, "undo")->click();
        QVERIFY(preview->Session().Kept(5) && preview->Session().Kept(6));

        QSignalSpy saved(preview, &PreviewWindow::editSaved);
        Button(preview, "save")->click();
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.at(0).at(0).toBool(), true);
        QTest::qWait(200);
        testing_ui::Screenshot("editor_saved_" + Suffix());

        // The file shows frames 3 to 9 for their times.
        const std::vector<uint8_t> edited = gif::testing::ReadFileBytes(path);
        const auto frames = gif::testing::FramesWithGiflib(original);
        std::vector<std::pair<size_t, uint32_t>> kept;
        for (size_t i = 3; i <= 9; ++i) kept.push_back({i, uint32_t(20 + i)});
        QCOMPARE(QString::fromStdString(gif::testing::TimelineDifference(
                     gif::testing::PickFrames(frames, kept), gif::testing::PlayWithGiflib(edited))),
                 QString());
        // The original is in the trash, the new bytes on the clipboard.
        const QString trash = folder_.filePath(QStringLiteral("data/Trash"));
        QVERIFY(gif::testing::ReadFileBytes((trash + "/files/rec.gif").toStdString()) == original);
        QVERIFY(QFile::exists(trash + "/info/rec.gif.trashinfo"));
        const QByteArray clip = QGuiApplication::clipboard()->mimeData()->data("image/gif");
        QCOMPARE(clip, QByteArray(reinterpret_cast<const char*>(edited.data()),
                                  qsizetype(edited.size())));
        // The editor now holds the edit, with nothing to undo.
        QTRY_VERIFY(preview->Session().Indexed());
        QCOMPARE(preview->Session().FrameCount(), 7u);
        QVERIFY(!Button(preview, "undo")->isEnabled());

        // A double-click on the strip does not close it; on the picture it does.
        QSignalSpy closed(preview, &PreviewWindow::closed);
        QTest::mouseDClick(preview->Strip(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(closed.count(), 0);
        QTest::mouseDClick(preview, Qt::LeftButton, {}, preview->Picture()->geometry().center());
        QCOMPARE(closed.count(), 1);
    }

    void aFailedSaveLeavesTheOriginalAndSaysWhy() {
        const std::vector<uint8_t> original = Recording();
        const std::string path = folder_.filePath(QStringLiteral("gone.gif")).toStdString();
        gif::testing::WriteFileBytes(path, original);
        auto* preview = new PreviewWindow;
        preview->Open(QString::fromStdString(path), QRect(0, 0, 1920, 1080));
        preview->show();
        QTRY_VERIFY(preview->Session().Indexed());
        QTest::keyClick(preview, Qt::Key_Right);
        QTest::keyClick(preview, Qt::Key_I);
        // The file is cut short under the editor: the save cannot read it whole.
        gif::testing::WriteFileBytes(path, {original.begin(), original.begin() + 20});
        QSignalSpy saved(preview, &PreviewWindow::editSaved);
        Button(preview, "save")->click();
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.at(0).at(0).toBool(), false);
        QCOMPARE(gif::testing::ReadFileBytes(path).size(), size_t(20));
        const QString message = preview->Strip()->findChild<QLabel*>("message")->text();
        QVERIFY2(message.contains(tr("保存失败")) || message.contains("failed"),
                 qPrintable(message));
        QTest::qWait(200);
        testing_ui::Screenshot("editor_failed_" + Suffix());
        preview->close();
    }
};

}  // namespace app

GIFREC_UI_TEST_MAIN(app::EditorTest)
#include "editor_uitest.moc"
