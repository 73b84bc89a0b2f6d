#include "app/widgets/ReadingsListAccessible.h"
#include "app/widgets/ReadingsList.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace tarnby {

namespace {

// One row of the list. It holds no copy of the texts: it reads them from the list when asked,
// so a screen reader never hears a stale value.
class ReadingRowAccessible : public QAccessibleInterface {
public:
    ReadingRowAccessible(ReadingsList* list, int row) : list_(list), row_(row) {}

    bool isValid() const override { return list_ && row_ < list_->rows().size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent()->window(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }
    QRect rect() const override {
        const QRect local = list_->rowRect(row_);
        return QRect(list_->mapToGlobal(local.topLeft()), local.size());
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid())
            return QString();
        const ReadingRow& row = list_->rows()[row_];
        return row.value + u' ' + row.label;
    }
    void setText(QAccessible::Text, const QString&) override {}

private:
    QPointer<ReadingsList> list_;
    int row_;
};

class ReadingsListAccessible : public QAccessibleWidget {
public:
    explicit ReadingsListAccessible(ReadingsList* list)
        : QAccessibleWidget(list, QAccessible::List) {}
    ~ReadingsListAccessible() override {
        for (QAccessible::Id id : rowIds_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(list()->rows().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Row items are made when first asked for and live as long as the list's interface.
        while (rowIds_.size() <= index)
            rowIds_.append(QAccessible::registerAccessibleInterface(
                new ReadingRowAccessible(list(), int(rowIds_.size()))));
        return QAccessible::accessibleInterface(rowIds_[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const qsizetype index =
            rowIds_.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child)));
        return index < childCount() ? int(index) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = list()->mapFromGlobal(QPoint(x, y));
        for (int row = 0; row < childCount(); ++row)
            if (list()->rowRect(row).contains(local))
                return child(row);
        return nullptr;
    }

private:
    ReadingsList* list() const { return static_cast<ReadingsList*>(widget()); }

    mutable QList<QAccessible::Id> rowIds_;
};

} // namespace

QAccessibleInterface* readingsListAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("tarnby::ReadingsList") && object && object->isWidgetType())
        return new ReadingsListAccessible(static_cast<ReadingsList*>(object));
    return nullptr;
}

} // namespace tarnby
