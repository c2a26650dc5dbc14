// The full-screen window on which the user drags the capture region over a frozen picture of
// the screen, with guide lines through the pointer and a coordinate read-out.
#pragma once

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QScreen>

#include <cstdint>
#include <optional>

#include "app/core/settings.h"
#include "platform/desktop.h"

namespace app {

// The last drag, kept for the whole run: after a completed drag the corners, sorted; during one
// the press point and the last pointer position; all zero before the first.
struct SelectionState {
    int16_t selStartX = 0;
    int16_t selStartY = 0;
    int16_t selEndX = 0;
    int16_t selEndY = 0;
    bool selDragging = false;
};

SelectionState& ProgramSelectionState();

// Where the read-out of pointer (cx, cy) goes on a screen of sw × sh: beside the pointer, turned
// away from the edges. On the table's exact boundaries it goes to the top-left corner (0, 0).
QPoint ReadoutPosition(int cx, int cy, int sw, int sh);

class RegionSelectionWindow : public QDialog {
    Q_OBJECT
  public:
    // `frozenScreen` is the screen as it was when the selection began, the rectangle `area` of
    // it in screen pixels (an empty one: the primary screen from 0, 0); the window covers that
    // area. Where the window's own pixels are not the screen's (a scaled Wayland output, whose
    // stream counts device pixels), pointer positions are scaled to the picture's pixels.
    RegionSelectionWindow(const QPixmap& frozenScreen, SelectionState& state,
                          QWidget* parent = nullptr, QRect area = {});

    // The monitors inside the area, so that the read-out turns away from each one's edges.
    void SetMonitors(const QList<QRect>& monitors) { monitors_ = monitors; }

    // A point of the window in screen pixels, and back.
    QPoint ToScreen(QPointF windowPoint) const;
    QPoint ToWindow(QPoint screenPoint) const;

    // The region written by the left-button release or the right-button press; nothing when the
    // window was left another way (Escape).
    std::optional<CaptureRegion> ChosenRegion() const { return chosen_; }

    // x and y are screen pixels.
    void OnSelectionLeftDown(int x, int y);
    void OnSelectionMove(int x, int y);
    void OnSelectionLeftUp(int x, int y);
    void OnSelectionRightDown();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void WriteRegion(int left, int top, int right, int bottom);
    void PaintReadout(class QPainter& painter) const;

    QPixmap frozen_;
    SelectionState& state_;
    QRect area_;
    QList<QRect> monitors_;
    std::optional<QPoint> pointer_;  // screen pixels; set by the first move, nothing drawn before
    bool showRectangle_ = false;
    std::optional<CaptureRegion> chosen_;
};

// The screen as the selection shows it: the picture, the rectangle of the screen it shows in
// screen pixels, the monitors in it, and whether our window can be put over that rectangle (else
// it goes full-screen where the desktop puts it).
struct FrozenScreen {
    QPixmap picture;
    QRect area;
    QList<QRect> monitors;
    bool placeable = true;
    QScreen* screen = nullptr;  // where the full-screen window goes, where known
};

// `desktop` supplies the monitors and the picture (on Wayland the cast's monitor); without one,
// the toolkit's primary screen.
FrozenScreen FreezeScreen(platform::Desktop* desktop);

// Freezes every monitor, lets the user drag a region on them and returns that region, or nothing
// when the selection was given up.
std::optional<CaptureRegion> SelectRegion(QWidget* parent, platform::Desktop* desktop = nullptr);

}  // namespace app
