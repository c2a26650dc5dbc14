// Shared by the window tests of the capture region, overlays, clipboard, drop and maker windows:
// a main() that prepares the X11 layer, external X clients run while Qt keeps serving events,
// and screen pixels read back.
#pragma once

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QThread>

#include "platform/loader.h"

namespace testing_ui {

// Runs an X client (xdotool, xclip) to its end while this process keeps answering the X server.
// Returns its standard output; `ok` tells whether it ran and exited with 0.
inline QByteArray RunClient(const QString& program, const QStringList& arguments,
                            bool* ok = nullptr, int timeoutMs = 15000) {
    QProcess process;
    process.start(program, arguments);
    bool started = process.waitForStarted(5000);
    QElapsedTimer clock;
    clock.start();
    while (started && process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    if (ok)
        *ok = started && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

inline bool Xdotool(const QStringList& arguments) {
    bool ok = false;
    RunClient(QStringLiteral("xdotool"), arguments, &ok);
    return ok;
}

// Moves the pointer and waits until the server has it there. xdotool's own wait would never end
// when the pointer is there already.
inline bool MovePointer(QPoint to) {
    if (QCursor::pos() == to) return true;
    return Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(to.x()),
                    QString::number(to.y())});
}

// Lets the X server and Qt settle: pending events handled for `ms` milliseconds.
inline void Settle(int ms = 150) {
    QTest::qWait(ms);
}

// The whole primary screen as the X server holds it now.
inline QImage ScreenImage() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// Saves the screen under $GIFREC_SHOTS/<name>.png when that folder is given, for a person to
// look at.
inline void Screenshot(const QString& name) {
    QByteArray folder = qgetenv("GIFREC_SHOTS");
    if (!folder.isEmpty()) ScreenImage().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

inline bool IsRed(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

}  // namespace testing_ui

// QTEST_MAIN with the X11 layer prepared before Qt talks to the server.
#define GIFREC_UI_TEST_MAIN(TestClass)          \
    int main(int argc, char** argv) {           \
        platform::Init();                       \
        QApplication application(argc, argv);   \
        TestClass test;                         \
        return QTest::qExec(&test, argc, argv); \
    }
