#include "app/widgets/ReadingsList.h"
#include "app/widgets/ReadingsListAccessible.h"

#include <QAccessible>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tarnby {

ReadingsList::ReadingsList(QWidget* parent) : QFrame(parent) {
    static const bool accessibleInstalled =
        (QAccessible::installFactory(readingsListAccessible), true);
    Q_UNUSED(accessibleInstalled);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    rowHeight_ = fontMetrics().height();
}

void ReadingsList::setColumnWidths(int first, int value, int label) {
    const int widths[3] = {first, value, label};
    int left = contentsRect().left();
    for (int c = 0; c < 3; ++c) {
        columnLeft_[c] = left;
        columnWidth_[c] = widths[c];
        left += widths[c];
    }
    update();
}

void ReadingsList::showRows(const QVector<ReadingRow>& rows) {
    if (rows.size() != rows_.size()) {
        rows_ = rows;
        update();
        if (QAccessible::isActive()) {
            QAccessibleEvent event(this, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&event);
        }
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool valueChanged = rows[i].value != rows_[i].value;
        const bool labelChanged = rows[i].label != rows_[i].label;
        if (valueChanged) {
            rows_[i].value = rows[i].value;
            update(cellRect(int(i), 1));
        }
        if (labelChanged) {
            rows_[i].label = rows[i].label;
            update(cellRect(int(i), 2));
        }
        if (valueChanged || labelChanged)
            rowTextChanged(int(i));
    }
}

void ReadingsList::rowTextChanged(int row) {
    if (!QAccessible::isActive())
        return; // no screen reader listening: no event to build
    QAccessibleEvent event(this, QAccessible::NameChanged);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

QStringList ReadingsList::values() const {
    QStringList texts;
    for (const ReadingRow& row : rows_)
        texts << row.value;
    return texts;
}

QStringList ReadingsList::labels() const {
    QStringList texts;
    for (const ReadingRow& row : rows_)
        texts << row.label;
    return texts;
}

QRect ReadingsList::rowRect(int row) const {
    const QRect inside = contentsRect();
    return QRect(inside.left(), inside.top() + row * rowHeight_, inside.width(), rowHeight_)
        .intersected(inside);
}

QRect ReadingsList::cellRect(int row, int column) const {
    const QRect band = rowRect(row);
    return QRect(columnLeft_[column], band.top(), columnWidth_[column], band.height())
        .intersected(band);
}

void ReadingsList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        rowHeight_ = fontMetrics().height();
        update();
    }
    QFrame::changeEvent(event);
}

void ReadingsList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The sunken box only when the repaint reaches it: a changed value repaints its cell alone.
    if (!contentsRect().contains(event->rect()))
        drawFrame(&painter);
    painter.setPen(palette().color(QPalette::Text));
    for (int row = 0; row < rows_.size(); ++row) {
        for (int column = 1; column < 3; ++column) {
            const QRect cell = cellRect(row, column);
            if (cell.isEmpty() || !event->region().intersects(cell))
                continue;
            const QString& text = column == 1 ? rows_[row].value : rows_[row].label;
            painter.drawText(cell.adjusted(textMargin_, 0, 0, 0),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
    }
}

} // namespace tarnby
