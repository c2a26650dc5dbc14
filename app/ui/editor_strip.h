// The strip below the preview's animation that makes it an editor: the timeline, play/pause,
// a frame back and forward, the start and end marks, deleting a dragged range, the speed,
// undo and save, and a line for what happened. It only shows and asks; the preview acts.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace app {

class EditTimeline;

class EditorStrip : public QWidget {
    Q_OBJECT
  public:
    explicit EditorStrip(QWidget* parent = nullptr);

    static const double kSpeeds[4];

    void SetFrames(uint32_t count, std::function<bool(uint32_t)> kept);
    // The current frame (from 0) and the time before it and in all, in hundredths.
    void ShowPosition(uint32_t frame, uint32_t count, uint32_t time, uint32_t total);
    void ShowPlaying(bool playing);
    void ShowSpeed(double speed);
    void ShowMessage(const QString& text);
    void SetUndoable(bool undoable);
    // While saving, nothing but the message line responds.
    void SetBusy(bool busy);
    void SetSaveAllowed(bool allowed);
    EditTimeline* Timeline() const { return timeline_; }

  signals:
    void playToggled();
    void stepBack();
    void stepForward();
    void setStart();
    void setEnd();
    void deleteSelected();
    void speedChosen(double speed);
    void undo();
    void save();

  private:
    QPushButton* Button(const QString& name, const QString& text, void (EditorStrip::*signal)());

    EditTimeline* timeline_;
    QPushButton *play_, *undo_, *save_;
    QComboBox* speed_;
    QLabel *position_, *message_;
    bool saveAllowed_ = false, undoable_ = false;
};

}  // namespace app
