#pragma once

// TExpViewLite: a tree of the file system's folders that fills itself on demand.
// Each volume is a root node whose text is its mount path; the subfolders of a
// folder are read from disk the first time its node expands, once; a node shows
// an expand button only when its folder holds at least one subfolder. Names
// beginning with "." are never shown. FolderName is the path of the selected
// node: the root's mount path and the folder names, ending in "/".
// "*" opens everything below the current node in steps (Esc stops it), never
// following a link back to a folder on the way down. In a big folder only the
// first children are checked for subfolders at once, the rest in steps.

#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace folderview {
class FullExpansion;
class SubfolderMarks;
} // namespace folderview

class TExpViewLite : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QString FolderName READ GetFolderName STORED false)
    // The view fills and orders its nodes itself, so these are not offered for design.
    Q_PROPERTY(int indentation READ indentation WRITE setIndentation DESIGNABLE false)
    Q_PROPERTY(bool rootIsDecorated READ rootIsDecorated WRITE setRootIsDecorated DESIGNABLE false)
    Q_PROPERTY(bool itemsExpandable READ itemsExpandable WRITE setItemsExpandable DESIGNABLE false)
    Q_PROPERTY(bool sortingEnabled READ isSortingEnabled WRITE setSortingEnabled DESIGNABLE false)
    Q_PROPERTY(int columnCount READ columnCount WRITE setColumnCount DESIGNABLE false)

public:
    explicit TExpViewLite(QWidget* parent = nullptr);

    // Path of the selected node, or empty when nothing is selected.
    [[nodiscard]] QString GetFolderName() const;

    // Appends one root node per volume and runs the subfolder check on each.
    // Runs by itself when the view is first shown, unless it was called before.
    virtual void Loaded();

    // The root's mount path and the folder names down to `node`, each followed by "/".
    [[nodiscard]] static QString NodePath(const QTreeWidgetItem* node);

signals:
    // Raised before a node's subfolders are read. The view opens the node
    // whatever the handler leaves in *allowExpansion.
    void OnExpanding(QTreeWidgetItem* node, bool* allowExpansion);

protected:
    // Reads the node's subfolders on first use; always answers true.
    virtual bool CanExpand(QTreeWidgetItem* node);
    // Sets the node's expand button when its folder holds a subfolder.
    void SubFolderCheck(QTreeWidgetItem* node);

    // Mount paths of the root nodes: "/" and the real, ready volumes.
    [[nodiscard]] virtual QStringList volumeRoots() const;
    // Names of the subfolders of `folderPath` that do not begin with ".", in the
    // file system's order; with `stopAtFirst` no more than the first. The only
    // place the view reads the disk; an unreadable folder has none.
    [[nodiscard]] virtual QStringList readSubfolders(const QString& folderPath,
                                                     bool stopAtFirst) const;

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool loaded_ = false;
    folderview::FullExpansion* fullExpansion_ = nullptr;
    folderview::SubfolderMarks* subfolderMarks_ = nullptr;
};

namespace ExpViewLite {
// Adds TExpViewLite to the component palette.
void Register();
} // namespace ExpViewLite
