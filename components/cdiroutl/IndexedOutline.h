#pragma once

// TIndexedOutline: a tree widget whose items are addressed by integer index, as
// an outline control does. Index 0 is the invisible root above all top items,
// 1 the first top item, and every item is numbered depth-first, collapsed ones
// included; -1 means no item. Asking for an index that does not exist raises
// EOutlineIndexError. Expanding an item runs the Expand hook (which raises
// OnExpand); a click or a keyboard move of the selection runs Click (OnClick).

#include <QHash>
#include <QIcon>
#include <QTreeWidget>
#include <QVariant>
#include <stdexcept>

class EOutlineIndexError : public std::runtime_error {
public:
    explicit EOutlineIndexError(int index);
    [[nodiscard]] int index() const { return index_; }

private:
    int index_;
};

class TIndexedOutline : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QIcon PictureClosed READ pictureClosed WRITE setPictureClosed)
    Q_PROPERTY(QIcon PictureOpen READ pictureOpen WRITE setPictureOpen)
    Q_PROPERTY(QIcon PictureLeaf READ pictureLeaf WRITE setPictureLeaf)
    Q_PROPERTY(int columnCount READ columnCount WRITE setColumnCount DESIGNABLE false)

public:
    static constexpr int InvalidIndex = -1;

    explicit TIndexedOutline(QWidget* parent = nullptr);
    ~TIndexedOutline() override;

    // Number of items below the invisible root.
    [[nodiscard]] int itemCount() const;
    // The item at `index` (0 gives the invisible root); throws for any other
    // index that does not exist.
    [[nodiscard]] QTreeWidgetItem* itemAtIndex(int index) const;
    // Index of `item`, or -1 when it is not an item of this outline.
    [[nodiscard]] int indexOfItem(const QTreeWidgetItem* item) const;

    [[nodiscard]] QString itemText(int index) const;
    [[nodiscard]] QVariant itemData(int index, int role) const;
    void setItemData(int index, int role, const QVariant& value);
    // Relatives of an item; -1 when there is none.
    [[nodiscard]] int parentIndex(int index) const;
    [[nodiscard]] int firstChildIndex(int index) const;
    [[nodiscard]] int nextChildIndex(int index) const;
    [[nodiscard]] int lastChildIndex(int index) const;
    // The texts of the item's ancestors below the invisible root and its own,
    // joined by "/" (without doubling the "/" a top item's text may end in).
    [[nodiscard]] QString itemFullPath(int index) const;

    [[nodiscard]] bool isItemExpanded(int index) const;
    // Expanding a collapsed item runs the Expand hook for it.
    void setItemExpanded(int index, bool expanded);

    void clearItems();
    // Appends a child after the last child of `parent`; answers the new index.
    int addChildItem(int parent, const QString& text);
    // Adds an item after `sibling` at the same level; answers the new index.
    int addItem(int sibling, const QString& text);
    // Inserts an item before `sibling` at the same level; answers the new index.
    int insertItem(int sibling, const QString& text);

    // The current item, or -1.
    [[nodiscard]] int selectedItem() const;
    void setSelectedItem(int index);

    [[nodiscard]] QIcon pictureClosed() const { return pictureClosed_; }
    void setPictureClosed(const QIcon& icon);
    [[nodiscard]] QIcon pictureOpen() const { return pictureOpen_; }
    void setPictureOpen(const QIcon& icon);
    [[nodiscard]] QIcon pictureLeaf() const { return pictureLeaf_; }
    void setPictureLeaf(const QIcon& icon);

signals:
    void OnExpand(int index);
    void OnCollapse(int index);
    void OnClick();

protected:
    // Runs after the item has opened; raises OnExpand.
    virtual void Expand(int index);
    // Runs after the item has closed; raises OnCollapse.
    virtual void Collapse(int index);
    // Runs after a click on an item or a keyboard move of the selection; raises OnClick.
    virtual void Click();

    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Shows the picture that fits the item: open, closed, or leaf without children.
    void updatePicture(QTreeWidgetItem* item) const;
    void updateAllPictures();
    // A new item showing the leaf picture, not yet part of the outline.
    [[nodiscard]] QTreeWidgetItem* newItem(const QString& text) const;

private:
    // User input reaches Click here, outside Qt's own handlers (a click may
    // rebuild the tree); failures are logged since no caller could catch them.
    void runClickFromInput();
    // Number of items in the subtree of `item`, itself included; kept between
    // calls and dropped along the parent chain when rows are added, so index
    // look-ups do not walk the whole outline every time.
    [[nodiscard]] int subtreeSize(const QTreeWidgetItem* item) const;
    void forgetSizesFrom(const QModelIndex& parent);

    mutable QHash<const QTreeWidgetItem*, int> subtreeSizes_;

    QIcon pictureClosed_;
    QIcon pictureOpen_;
    QIcon pictureLeaf_;
    bool clickPending_ = false;
};
