#include "app/ui/help_actions.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryFile>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace app {

namespace {

void SetStaysOnTop(QWidget* window, bool onTop) {
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing a window's flags hides it.
    if (visible) window->show();
}

}  // namespace

QString TutorialText() {
    return QObject::tr(
        "gifrec 使用简介\r\n"
        "\r\n"
        "1. 在主窗口的列表中选择录制范围:\r\n"
        "   全屏 —— 录制整个主屏幕;\r\n"
        "   窗口 —— 按住\"采集\"按钮, 把鼠标移到要录制的窗口上, 该窗口会闪出红框, 松开即选定;\r\n"
        "   区域 —— 点击\"区域\"按钮, 在冻结的屏幕画面上按住左键拖出矩形; 右键取上一次的矩形。\r\n"
        "2. 按\"录制\"或 F2 开始录制, 再按一次\"停止\"或 F2 结束。\r\n"
        "3. 动画保存在桌面的\"GIF动画\"文件夹中, 同时复制到剪贴板, 可直接粘贴。\r\n"
        "4. 滑块调节采集间隔、播放速度、亮度和黑白效果。\r\n"
        "5. 把小于 200×200 的 bmp、jpg、png 或 gif 图片拖到水印框上即可设为水印;\r\n"
        "   "
        "也可以在\"工具\"菜单中用水印制作器生成文字水印。勾选水印框中的开关后录制时加上水印。\r\n");
}

namespace {

// A folder of ours that nobody else may write in: a real directory (not a link), owned by us,
// with no rights for group or others.
bool IsPrivateFolder(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// `path` made as a private folder, or found as one already.
bool EnsurePrivateFolder(const QString& path) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) return false;
    return IsPrivateFolder(path);
}

}  // namespace

QString TutorialFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)) {
        const QString folder = QDir(runtime).filePath(QStringLiteral("gifrec"));
        if (EnsurePrivateFolder(folder)) return folder;
    }
    // The shared temporary folder: a folder named after our user id, which must be ours alone.
    // One planted there by someone else is refused, never used.
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("gifrec-%1").arg(::geteuid()));
    return EnsurePrivateFolder(folder) ? folder : QString();
}

QString TutorialPath() {
    const QString folder = TutorialFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("软件简介.txt"));
}

namespace {

// Writes `text` to `path` through a fresh file beside it that is then renamed over it. The
// rename replaces whatever has that name, a planted symbolic link included, and never writes
// through it (QSaveFile would follow the link to its target).
bool ReplaceFile(const QString& path, const QByteArray& text) {
    QTemporaryFile fresh(path + QStringLiteral(".XXXXXX"));
    if (!fresh.open() || fresh.write(text) != text.size() || !fresh.flush()) return false;
    fresh.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                         QFileDevice::ReadOther);
    if (::rename(QFile::encodeName(fresh.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0) {
        return false;  // the temporary file removes itself
    }
    fresh.setAutoRemove(false);
    return true;
}

}  // namespace

QString OnTutorialItem(const UrlOpener& open) {
    const QString path = TutorialPath();
    // Only a file just written here is opened: whatever else has that name is not ours to show.
    if (path.isEmpty() || !ReplaceFile(path, TutorialText().toUtf8())) return QString();
    QUrl url = QUrl::fromLocalFile(path);
    if (open) {
        open(url);
    } else {
        QDesktopServices::openUrl(url);
    }
    return path;
}

QMessageBox* MakeAboutBox() {
    auto* box = new QMessageBox(QMessageBox::Information, QObject::tr("关于 gifrec"),
                                QObject::tr("gifrec 屏幕录制 GIF 动画工具\r\n"
                                            "录下屏幕的一部分, 保存为 GIF 动画并复制到剪贴板"),
                                QMessageBox::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

void OnAboutItem(QWidget* mainWindow) {
    QPointer<QWidget> window(mainWindow);
    bool wasOnTop = window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    SetStaysOnTop(window, false);
    QMessageBox* box = MakeAboutBox();
    box->exec();
    delete box;
    if (wasOnTop) SetStaysOnTop(window, true);
}

}  // namespace app
