#include "app/widgets/StatusLabel.h"

#include <QEvent>
#include <QPainter>

namespace tarnby {

StatusLabel::StatusLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    // Painting its own background spares the window's repaint beneath it.
    setAutoFillBackground(true);
    text_.setFont(font());
}

void StatusLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        text_.setFont(font());
    QLabel::changeEvent(event);
}

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inside = contentsRect();
    const QFontMetrics metrics(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const qreal baseline =
        inside.top() + (inside.height() - metrics.height()) / 2 + metrics.ascent();
    text_.draw(painter, QPointF(inside.left(), baseline), text(), inside.width());
}

} // namespace tarnby
