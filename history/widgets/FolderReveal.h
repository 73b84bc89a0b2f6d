#pragma once
// Keeps one folder of a file-system tree opened and in view while the model reads the folders
// on the way down to it. QFileSystemModel lists folders in the background and inserts and
// sorts their rows later, which moves a row scrolled to at once out of view again; so the tree
// is opened and scrolled again after each change of the model, until the user first touches
// the tree (a click, a key, the wheel, the scroll bar), from then on the tree is theirs.

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

class QFileSystemModel;
class QTreeView;

namespace tarnby {

class FolderReveal : public QObject {
    Q_OBJECT
public:
    FolderReveal(QTreeView& tree, QFileSystemModel& model, QObject* parent);
    // Makes `folder` the tree's current folder and keeps it in view.
    void show(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reveal();
    void stop();

    QTreeView& tree_;
    QFileSystemModel& model_;
    QPersistentModelIndex folder_;
    QTimer again_;
    bool following_ = false;
};

} // namespace tarnby
