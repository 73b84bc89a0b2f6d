#include "history/widgets/FolderFileList.h"

#include <QDir>
#include <algorithm>

namespace tarnby {

namespace {
bool nameBefore(const QString& a, const QString& b) {
    const int caseless = a.compare(b, Qt::CaseInsensitive);
    return caseless != 0 ? caseless < 0 : a < b;
}
} // namespace

FolderFileList::FolderFileList(const QStringList& nameFilters, QObject* parent)
    : QStringListModel(parent), nameFilters_(nameFilters) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderFileList::reread);
}

void FolderFileList::setFolder(const QString& folder) {
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    folder_ = folder;
    if (!folder_.isEmpty() && QFileInfo(folder_).isDir())
        watcher_.addPath(folder_);
    reread();
}

Qt::ItemFlags FolderFileList::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void FolderFileList::reread() {
    QStringList names;
    if (!folder_.isEmpty())
        names = QDir(folder_).entryList(nameFilters_, QDir::Files | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), nameBefore);
    // Both lists sorted alike: walk them together, removing and inserting single rows.
    int row = 0;
    for (const QString& name : names) {
        while (row < rowCount() && nameBefore(index(row).data().toString(), name))
            removeRows(row, 1);
        if (row < rowCount() && index(row).data().toString() == name) {
            ++row;
            continue;
        }
        insertRows(row, 1);
        setData(index(row), name);
        ++row;
    }
    if (row < rowCount())
        removeRows(row, rowCount() - row);
}

} // namespace tarnby
