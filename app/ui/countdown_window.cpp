#include "app/ui/countdown_window.h"

#include <QPainter>
#include <QRegion>

namespace app {

CountdownWindow::CountdownWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("倒计时"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kSide, kSide);
}

QPainterPath CountdownWindow::DigitPath() const {
    QFont font = this->font();
    font.setPixelSize(kSide * 3 / 4);
    font.setBold(true);
    QPainterPath path;
    path.addText(0, 0, font, QString::number(seconds_));
    // Centred in the window.
    path.translate(QRectF(rect()).center() - path.boundingRect().center());
    return path;
}

void CountdownWindow::ShowSeconds(int secondsLeft, const QRect& area) {
    seconds_ = secondsLeft;
    const QPainterPath path = DigitPath();
    // The outline too belongs to the window's shape.
    QPainterPathStroker stroker;
    stroker.setWidth(8);
    setMask(QRegion(stroker.createStroke(path).united(path).toFillPolygon().toPolygon()));
    move(area.center() - rect().center());
    show();
    raise();
    update();
}

void CountdownWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QPen(Qt::black, 8));
    painter.setBrush(QColor(230, 40, 40));
    painter.drawPath(DigitPath());
}

}  // namespace app
