#pragma once
// The names of one folder's files that match a name pattern, as a flat list model: one row per
// file at the model's top level, sorted by name (case ignored), kept current by a file-system
// watcher. Rows come and go one by one, so a view keeps its current row when another file
// appears.
//
// Flat on purpose: Qt 6.4's accessibility for item views counts the rows and columns at the
// model's top level, whatever the view's root index. A QFileSystemModel shown from a folder's
// index has one top-level row (the file system's root) and four columns, so a screen reader would
// find one row, the first file, in a list of many.

#include <QFileSystemWatcher>
#include <QStringListModel>

namespace tarnby {

class FolderFileList : public QStringListModel {
    Q_OBJECT
public:
    FolderFileList(const QStringList& nameFilters, QObject* parent);

    // Lists `folder` (empty: nothing) and follows its changes.
    void setFolder(const QString& folder);
    // Names are shown and chosen, never edited.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void reread();

    QStringList nameFilters_;
    QString folder_;
    QFileSystemWatcher watcher_;
};

} // namespace tarnby
