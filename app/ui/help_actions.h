// The help menu's two items: the tutorial text opened in the desktop's viewer, and the about box.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;
class QMessageBox;

namespace app {

QString TutorialText();

// A folder only this user can reach: gifrec/ in $XDG_RUNTIME_DIR when that is private, else
// gifrec-<user id> in the temporary folder. Empty when neither is (or can be made) private.
QString TutorialFolder();

// "软件简介.txt" in TutorialFolder(); empty without one.
QString TutorialPath();

// Writes the tutorial (created or replaced, UTF-8, no terminator) and opens it with `open`,
// by default the desktop's handler of the file. Returns the path written; when the write failed
// nothing is opened and the result is empty.
using UrlOpener = std::function<bool(const QUrl&)>;
QString OnTutorialItem(const UrlOpener& open = {});

// The about box: its two lines of text, caption and icon, not parented to a window.
QMessageBox* MakeAboutBox();

// Shows the about box modally. While it is up the main window is taken out of the
// always-on-top layer, so the box can come up above it; afterwards the main window's previous
// state is put back.
void OnAboutItem(QWidget* mainWindow);

}  // namespace app
