#include "history/widgets/FolderReveal.h"

#include <QEvent>
#include <QFileSystemModel>
#include <QScrollBar>
#include <QTreeView>

namespace tarnby {

FolderReveal::FolderReveal(QTreeView& tree, QFileSystemModel& model, QObject* parent)
    : QObject(parent), tree_(tree), model_(model) {
    again_.setSingleShot(true);
    again_.setInterval(0); // after the model's own deferred sorting
    connect(&again_, &QTimer::timeout, this, &FolderReveal::reveal);
    const auto later = [this] {
        if (following_)
            again_.start();
    };
    connect(&model_, &QFileSystemModel::directoryLoaded, this, later);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, later);
    connect(&model_, &QAbstractItemModel::layoutChanged, this, later);
    tree_.viewport()->installEventFilter(this);
    tree_.installEventFilter(this);
    connect(tree_.verticalScrollBar(), &QScrollBar::actionTriggered, this, &FolderReveal::stop);
}

void FolderReveal::show(const QString& folder) {
    const QModelIndex index = model_.index(folder);
    folder_ = index;
    tree_.setCurrentIndex(index);
    following_ = true;
    reveal();
}

void FolderReveal::reveal() {
    if (!following_ || !folder_.isValid())
        return;
    for (QModelIndex parent = folder_.parent(); parent.isValid(); parent = parent.parent())
        tree_.expand(parent);
    tree_.scrollTo(folder_, QAbstractItemView::PositionAtCenter);
}

void FolderReveal::stop() {
    following_ = false;
    again_.stop();
}

bool FolderReveal::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        stop();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnby
