// The help menu's tutorial: written afresh each time into a folder only this user can reach,
// and opened only when gifrec has just written it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include "app/ui/help_actions.h"

namespace {

// Sets (or with a null value removes) an environment variable until the end of the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~ScopedEnv() {
        if (saved_.isNull()) {
            qunsetenv(name_);
        } else {
            qputenv(name_, saved_);
        }
    }

  private:
    const char* name_;
    QByteArray saved_;
};

int ModeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return -1;
    return info.st_mode & 07777;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool MakeFolder(const QString& path, int mode) {
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 &&
           ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

}  // namespace

class TutorialTest : public QObject {
    Q_OBJECT

    QList<QUrl> opened;
    app::UrlOpener opener = [this](const QUrl& url) {
        opened << url;
        return true;
    };

  private slots:
    void init() { opened.clear(); }

    void tutorialIsWrittenAndOpenedEachTime() {
        QString path = app::OnTutorialItem(opener);
        QCOMPARE(path, app::TutorialPath());
        QVERIFY(path.endsWith(QStringLiteral("/软件简介.txt")));
        QVERIFY(QFile(path).size() > 0);
        {
            QFile junk(path);
            QVERIFY(junk.open(QIODevice::Append));
            junk.write("leftover from before");
        }
        QCOMPARE(app::OnTutorialItem(opener), path);
        QCOMPARE(ReadFile(path), app::TutorialText().toUtf8());  // overwritten, no terminator
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.value(1).toLocalFile(), path);
    }

    void theRuntimeFolderIsUsedWhenPrivate() {
        QTemporaryDir temp;
        const QString runtime = temp.filePath(QStringLiteral("run"));
        QVERIFY(MakeFolder(runtime, 0700));
        ScopedEnv runtimeDir("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.filePath(QStringLiteral("tmp"))));

        const QString folder = runtime + QStringLiteral("/gifrec");
        QCOMPARE(app::OnTutorialItem(opener), folder + QStringLiteral("/软件简介.txt"));
        QCOMPARE(ModeOf(folder), 0700);
        QCOMPARE(opened.size(), 1);

        // A runtime folder others may enter is passed over for one of our own in the temporary
        // folder.
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0755) == 0);
        QVERIFY(MakeFolder(temp.filePath(QStringLiteral("tmp")), 0755));
        const QString own = temp.filePath(QStringLiteral("tmp/gifrec-%1").arg(::geteuid()));
        QCOMPARE(app::TutorialFolder(), own);
        QCOMPARE(ModeOf(own), 0700);
    }

    void aPlantedLinkInOurFolderIsReplacedNotWrittenThrough() {
        QTemporaryDir temp;
        ScopedEnv runtimeDir("XDG_RUNTIME_DIR", QByteArray());
        ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
        const QString path = app::TutorialPath();
        QCOMPARE(QFileInfo(path).path(),
                 temp.filePath(QStringLiteral("gifrec-%1").arg(::geteuid())));

        const QString victim = temp.filePath(QStringLiteral("victim.txt"));
        QVERIFY(WriteFile(victim, "keep me"));
        QVERIFY(QFile::link(victim, path));
        QCOMPARE(app::OnTutorialItem(opener), path);
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(ReadFile(path), app::TutorialText().toUtf8());
        QCOMPARE(ReadFile(victim), QByteArray("keep me"));

        // A folder in the way: nothing is written, and nothing is opened.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        QVERIFY(app::OnTutorialItem(opener).isEmpty());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    // Someone else got to the shared temporary folder first: gifrec writes nothing there and
    // shows nothing from there.
    void aFolderThatIsNotOursAloneIsRefused() {
        QTemporaryDir temp;
        ScopedEnv runtimeDir("XDG_RUNTIME_DIR", QByteArray());
        ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
        const QString planted = temp.filePath(QStringLiteral("gifrec-%1").arg(::geteuid()));
        const QString plantedFile = planted + QStringLiteral("/软件简介.txt");

        // Open to everyone, with a tutorial of its own inside.
        QVERIFY(MakeFolder(planted, 0777));
        QVERIFY(WriteFile(plantedFile, "not ours"));
        QVERIFY(app::TutorialFolder().isEmpty());
        QVERIFY(app::OnTutorialItem(opener).isEmpty());
        QVERIFY(opened.isEmpty());
        QCOMPARE(ReadFile(plantedFile), QByteArray("not ours"));

        // A link to a private folder is not that folder.
        QVERIFY(QFile::remove(plantedFile));
        QVERIFY(QDir(planted).removeRecursively());
        const QString elsewhere = temp.filePath(QStringLiteral("elsewhere"));
        QVERIFY(MakeFolder(elsewhere, 0700));
        QVERIFY(QFile::link(elsewhere, planted));
        QVERIFY(app::OnTutorialItem(opener).isEmpty());
        QVERIFY(opened.isEmpty());
        QVERIFY(QDir(elsewhere).isEmpty());

        // A runtime folder given as a relative path is not taken either; with the way cleared,
        // our own folder is made.
        QVERIFY(QFile::remove(planted));
        QDir(temp.path())
            .mkdir(QStringLiteral("run"),
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString savedCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(temp.path()));
        ScopedEnv relative("XDG_RUNTIME_DIR", "run");
        QCOMPARE(app::TutorialFolder(), planted);
        QDir::setCurrent(savedCurrent);
        QCOMPARE(ModeOf(planted), 0700);
    }
};

QTEST_MAIN(TutorialTest)
#include "tutorial_uitest.moc"
