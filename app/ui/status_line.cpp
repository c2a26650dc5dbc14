#include "app/ui/status_line.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace app {

StatusLine::StatusLine(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, &StatusLine::UpdateToolTip);
}

QRect StatusLine::TextRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    // QLineEdit keeps two pixels between its contents rectangle and the text.
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .marginsRemoved(textMargins())
        .adjusted(2, 0, -2, 0);
}

QString StatusLine::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, TextRect().width());
}

void StatusLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextRect(), Qt::AlignLeft | Qt::AlignVCenter, ShownText());
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    UpdateToolTip();
}

void StatusLine::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        UpdateToolTip();
}

void StatusLine::UpdateToolTip() {
    setToolTip(ShownText() == text() ? QString() : text());
}

}  // namespace app
