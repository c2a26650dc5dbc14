// The editor's timeline: one bar across the frames, the kept ones bright and the removed ones
// dim, the current frame marked, and a range dragged with the mouse selected for deletion.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

namespace app {

class EditTimeline : public QWidget {
    Q_OBJECT
  public:
    explicit EditTimeline(QWidget* parent = nullptr);

    void SetFrames(uint32_t count, std::function<bool(uint32_t)> kept);
    void SetCurrent(uint32_t frame);
    void ClearSelection();
    // The dragged range, first <= last; false when nothing is selected.
    bool Selection(uint32_t& first, uint32_t& last) const;
    // The frame under x, in widget pixels.
    uint32_t FrameAt(int x) const;

    QSize sizeHint() const override;

  signals:
    void frameChosen(uint32_t frame);
    void selectionChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int XOf(uint32_t frame) const;  // left edge of a frame's slot

    uint32_t count_ = 0;
    std::function<bool(uint32_t)> kept_;
    uint32_t current_ = 0;
    bool selecting_ = false, selected_ = false;
    uint32_t anchor_ = 0, end_ = 0;
};

}  // namespace app
