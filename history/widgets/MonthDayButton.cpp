#include "history/widgets/MonthDayButton.h"

#include "common/widgets/Palette.h"

#include <QKeyEvent>
#include <QPainter>

namespace tarnby {

MonthDayButton::MonthDayButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::ClickFocus); // the month view makes one day the Tab stop
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MonthDayButton::setMark(const MonthDayMark& mark, bool zeroLine, double zeroY) {
    mark_ = mark;
    zeroLine_ = zeroLine;
    zeroY_ = zeroY;
    setObjectName(QStringLiteral("day") + mark.number);
    setAccessibleName(mark.readout);
    update();
}

void MonthDayButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect whole = rect();
    painter.fillRect(whole, underMouse() ? palette::pointedDay : palette::plotBackground);
    const int numberHeight = fontMetrics().height() + 4;
    const QRect plot(whole.left(), whole.top(), whole.width(), whole.height() - numberHeight);
    const auto rowOf = [&plot](double fraction) {
        return plot.top() + fraction * (plot.height() - 1);
    };

    if (zeroLine_) {
        painter.setPen(QPen(palette::zeroLine, 0));
        painter.drawLine(QPointF(plot.left(), rowOf(zeroY_)), QPointF(plot.right(), rowOf(zeroY_)));
    }
    const double slot = plot.width();
    if (mark_.bar) {
        const QRectF bar(QPointF(plot.left() + slot * 0.2, rowOf(mark_.barTop)),
                         QPointF(plot.left() + slot * 0.8, rowOf(mark_.barBottom)));
        painter.fillRect(bar.height() < 1 ? bar.adjusted(0, 0, 0, 1) : bar,
                         mark_.best ? palette::bestDayEnergy : palette::dayEnergy);
    }
    if (mark_.volts) {
        const double centre = plot.left() + slot / 2;
        const double high = rowOf(mark_.voltsHigh), low = rowOf(mark_.voltsLow);
        painter.setPen(QPen(palette::dayVolts, 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(centre, high), QPointF(centre, std::max(low, high + 1)));
        painter.drawLine(QPointF(centre - slot * 0.3, high), QPointF(centre + slot * 0.3, high));
        painter.drawLine(QPointF(centre - slot * 0.3, low), QPointF(centre + slot * 0.3, low));
    }
    if (mark_.state == DayState::OverLimit || mark_.state == DayState::Unreadable) {
        // A day the plot refuses shows that it has a log but no figure.
        painter.setPen(QPen(palette::refusedDay, 1, Qt::DashLine));
        painter.drawRect(QRectF(plot).adjusted(slot * 0.2, 2, -slot * 0.2, -2));
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("!"));
    }
    painter.setPen(palette::dayNumber);
    QFont numberFont = font();
    numberFont.setBold(mark_.best);
    painter.setFont(numberFont);
    painter.drawText(QRect(whole.left(), plot.bottom() + 1, whole.width(), numberHeight),
                     Qt::AlignCenter, mark_.number);
    if (hasFocus()) {
        painter.setPen(QPen(palette::dayFocus, 1, Qt::DotLine));
        painter.drawRect(whole.adjusted(0, 0, -1, -1));
    }
}

void MonthDayButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        click();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        event->ignore(); // for the month view
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void MonthDayButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    emit pointed(mark_.readout);
}

void MonthDayButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void MonthDayButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

void MonthDayButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    emit pointed(mark_.readout);
    emit focused();
}

} // namespace tarnby
