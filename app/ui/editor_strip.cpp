#include "app/ui/editor_strip.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/edit_timeline.h"
#include "app/ui/ui_scale.h"

namespace app {
namespace {

QString Clock(uint32_t hundredths) {
    const uint32_t seconds = hundredths / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace

const double EditorStrip::kSpeeds[4] = {0.5, 1.0, 1.5, 2.0};

QPushButton* EditorStrip::Button(const QString& name, const QString& text,
                                 void (EditorStrip::*signal)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    // The keys stay with the window: arrows step, I and O mark.
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, signal);
    return button;
}

EditorStrip::EditorStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("editorStrip"));
    timeline_ = new EditTimeline(this);

    play_ = Button(QStringLiteral("play"), tr("暂停"), &EditorStrip::playToggled);
    QPushButton* back =
        Button(QStringLiteral("stepBack"), QStringLiteral("◀"), &EditorStrip::stepBack);
    back->setToolTip(tr("上一帧 (←)"));
    QPushButton* forward =
        Button(QStringLiteral("stepForward"), QStringLiteral("▶"), &EditorStrip::stepForward);
    forward->setToolTip(tr("下一帧 (→)"));
    position_ = new QLabel(this);
    position_->setObjectName(QStringLiteral("position"));
    speed_ = new QComboBox(this);
    speed_->setObjectName(QStringLiteral("speed"));
    speed_->setFocusPolicy(Qt::NoFocus);
    for (double speed : kSpeeds) speed_->addItem(QString::number(speed) + QStringLiteral("×"));
    speed_->setCurrentIndex(1);
    connect(speed_, &QComboBox::activated, this,
            [this](int index) { emit speedChosen(kSpeeds[index]); });
    auto* speedLabel = new QLabel(tr("速度"), this);

    QPushButton* start = Button(QStringLiteral("setStart"), tr("设为开头"), &EditorStrip::setStart);
    start->setToolTip(tr("当前帧之前的都去掉 (I)"));
    QPushButton* end = Button(QStringLiteral("setEnd"), tr("设为结尾"), &EditorStrip::setEnd);
    end->setToolTip(tr("当前帧之后的都去掉 (O)"));
    QPushButton* remove =
        Button(QStringLiteral("deleteSelected"), tr("删除所选"), &EditorStrip::deleteSelected);
    remove->setToolTip(tr("删除在时间轴上拖选的帧 (Delete)"));
    undo_ = Button(QStringLiteral("undo"), tr("撤销"), &EditorStrip::undo);
    undo_->setToolTip(tr("撤销上一次修改 (Ctrl+Z)"));
    save_ = Button(QStringLiteral("save"), tr("保存"), &EditorStrip::save);
    save_->setToolTip(tr("覆盖保存；原文件移到回收站 (Ctrl+S)"));
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);
    // Room for two lines, so that a long message does not need a taller window.
    message_->setMinimumHeight(2 * message_->fontMetrics().lineSpacing());
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* playRow = new QHBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(play_), static_cast<QWidget*>(back),
                            static_cast<QWidget*>(forward)})
        playRow->addWidget(widget);
    playRow->addStretch(1);
    playRow->addWidget(speedLabel);
    playRow->addWidget(speed_);
    auto* editRow = new QHBoxLayout;
    for (QWidget* widget : {start, end, remove}) editRow->addWidget(widget);
    editRow->addStretch(1);
    editRow->addWidget(undo_);
    editRow->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(6), Px(4), Px(6), Px(6));
    layout->setSpacing(Px(4));
    layout->addWidget(timeline_);
    layout->addWidget(position_);
    layout->addLayout(playRow);
    layout->addLayout(editRow);
    layout->addWidget(message_);
    SetUndoable(false);
    SetSaveAllowed(false);
}

void EditorStrip::SetFrames(uint32_t count, std::function<bool(uint32_t)> kept) {
    timeline_->SetFrames(count, std::move(kept));
}

void EditorStrip::ShowPosition(uint32_t frame, uint32_t count, uint32_t time, uint32_t total) {
    timeline_->SetCurrent(frame);
    position_->setText(
        tr("第 %1/%2 帧  %3 / %4").arg(frame + 1).arg(count).arg(Clock(time), Clock(total)));
}

void EditorStrip::ShowPlaying(bool playing) {
    play_->setText(playing ? tr("暂停") : tr("播放"));
}

void EditorStrip::ShowSpeed(double speed) {
    for (int i = 0; i < 4; ++i)
        if (kSpeeds[i] == speed) speed_->setCurrentIndex(i);
}

void EditorStrip::ShowMessage(const QString& text) {
    message_->setText(text);
}

void EditorStrip::SetUndoable(bool undoable) {
    undoable_ = undoable;
    undo_->setEnabled(undoable);
}

void EditorStrip::SetSaveAllowed(bool allowed) {
    saveAllowed_ = allowed;
    save_->setEnabled(allowed);
}

void EditorStrip::SetBusy(bool busy) {
    for (QWidget* child : findChildren<QWidget*>())
        if (child != message_) child->setEnabled(!busy);
    if (busy) return;
    save_->setEnabled(saveAllowed_);
    undo_->setEnabled(undoable_);
}

}  // namespace app
