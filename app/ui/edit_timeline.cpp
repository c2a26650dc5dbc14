#include "app/ui/edit_timeline.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "app/ui/ui_scale.h"

namespace app {

EditTimeline::EditTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("editTimeline"));
    setMinimumHeight(Px(22));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

QSize EditTimeline::sizeHint() const {
    return Px(300, 22);
}

void EditTimeline::SetFrames(uint32_t count, std::function<bool(uint32_t)> kept) {
    count_ = count;
    kept_ = std::move(kept);
    update();
}

void EditTimeline::SetCurrent(uint32_t frame) {
    current_ = frame;
    update();
}

void EditTimeline::ClearSelection() {
    selected_ = selecting_ = false;
    update();
    emit selectionChanged();
}

bool EditTimeline::Selection(uint32_t& first, uint32_t& last) const {
    if (!selected_) return false;
    first = std::min(anchor_, end_);
    last = std::max(anchor_, end_);
    return true;
}

int EditTimeline::XOf(uint32_t frame) const {
    return count_ ? int(int64_t{width()} * frame / count_) : 0;
}

uint32_t EditTimeline::FrameAt(int x) const {
    if (count_ == 0 || width() <= 0) return 0;
    const int64_t frame = int64_t(std::max(x, 0)) * count_ / width();
    return uint32_t(std::min<int64_t>(frame, count_ - 1));
}

void EditTimeline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const int h = height();
    painter.fillRect(rect(), colours.color(QPalette::Mid));
    // Runs of kept and removed frames, so a long recording paints a few rectangles.
    for (uint32_t i = 0; i < count_;) {
        const bool kept = !kept_ || kept_(i);
        uint32_t j = i + 1;
        while (j < count_ && (!kept_ || kept_(j)) == kept) ++j;
        const QColor colour =
            kept ? colours.color(QPalette::Highlight).lighter(130) : colours.color(QPalette::Dark);
        painter.fillRect(QRect(XOf(i), 2, std::max(1, XOf(j) - XOf(i)), h - 4), colour);
        i = j;
    }
    uint32_t first, last;
    if (Selection(first, last)) {
        QColor shade = colours.color(QPalette::Text);
        shade.setAlpha(90);
        painter.fillRect(QRect(XOf(first), 0, std::max(2, XOf(last + 1) - XOf(first)), h), shade);
    }
    if (count_) {
        const int x = (XOf(current_) + XOf(current_ + 1)) / 2;
        painter.fillRect(QRect(x - Px(1), 0, Px(2) + 1, h), colours.color(QPalette::Text));
    }
}

void EditTimeline::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || count_ == 0) return;
    anchor_ = end_ = FrameAt(int(event->position().x()));
    selecting_ = true;
    selected_ = false;
    emit frameChosen(anchor_);
    emit selectionChanged();
    update();
}

void EditTimeline::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_) return;
    const uint32_t frame = FrameAt(int(event->position().x()));
    if (frame == end_ && selected_) return;
    end_ = frame;
    selected_ = end_ != anchor_;
    emit frameChosen(frame);
    emit selectionChanged();
    update();
}

void EditTimeline::mouseReleaseEvent(QMouseEvent*) {
    selecting_ = false;
}

}  // namespace app
