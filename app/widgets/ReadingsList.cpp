#include "app/widgets/ReadingsList.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tarnby {

namespace {
// What a screen reader reads from the list: its name and, as its value, one line per row.
class ReadingsListAccessible : public QAccessibleWidget {
public:
    explicit ReadingsListAccessible(ReadingsList* list)
        : QAccessibleWidget(list, QAccessible::List) {}
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Value)
            return QAccessibleWidget::text(t);
        const auto* list = static_cast<const ReadingsList*>(widget());
        QStringList lines;
        const QStringList values = list->values();
        const QStringList labels = list->labels();
        for (qsizetype i = 0; i < values.size(); ++i)
            lines << values[i] + u' ' + labels[i];
        return lines.join(u'\n');
    }
};

QAccessibleInterface* readingsListAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("tarnby::ReadingsList") && object && object->isWidgetType())
        return new ReadingsListAccessible(static_cast<ReadingsList*>(object));
    return nullptr;
}
} // namespace

ReadingsList::ReadingsList(QWidget* parent) : QFrame(parent) {
    static const bool accessibleInstalled =
        (QAccessible::installFactory(readingsListAccessible), true);
    Q_UNUSED(accessibleInstalled);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    fontChanged();
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
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].value != rows_[i].value) {
            rows_[i].value = rows[i].value;
            update(cellRect(int(i), 1));
        }
        if (rows[i].label != rows_[i].label) {
            rows_[i].label = rows[i].label;
            update(cellRect(int(i), 2));
        }
    }
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

QRect ReadingsList::cellRect(int row, int column) const {
    const QRect inside = contentsRect();
    const QRect cell(columnLeft_[column], inside.top() + row * rowHeight_, columnWidth_[column],
                     rowHeight_);
    return cell.intersected(inside);
}

void ReadingsList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        fontChanged();
    QFrame::changeEvent(event);
}

void ReadingsList::fontChanged() {
    const QFontMetrics metrics(font());
    rowHeight_ = metrics.height();
    baseline_ = metrics.ascent();
    text_.setFont(font());
    update();
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
            painter.setClipRect(cell);
            const QString& text = column == 1 ? rows_[row].value : rows_[row].label;
            text_.draw(painter, QPointF(cell.left() + textMargin_, cell.top() + baseline_), text,
                       cell.width());
        }
    }
}

} // namespace tarnby
