#include "components/cdiroutl/IndexedOutline.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QStyle>

Q_LOGGING_CATEGORY(lcIndexedOutline, "sorteka.components.cdiroutl.outline", QtWarningMsg)

EOutlineIndexError::EOutlineIndexError(int index)
    : std::runtime_error(QStringLiteral("項目番号 %1 の項目はありません").arg(index).toStdString()),
      index_(index) {}

TIndexedOutline::TIndexedOutline(QWidget* parent)
    : QTreeWidget(parent), pictureClosed_(style()->standardIcon(QStyle::SP_DirClosedIcon)),
      pictureOpen_(style()->standardIcon(QStyle::SP_DirOpenIcon)),
      pictureLeaf_(style()->standardIcon(QStyle::SP_FileIcon)) {
    setColumnCount(1);
    setHeaderHidden(true);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { Expand(indexOfItem(item)); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { Collapse(indexOfItem(item)); });
    connect(this, &QAbstractItemView::clicked, this, [this] { clickPending_ = true; });
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& changed) { forgetSizesFrom(changed); });
    // Removed items may leave their addresses to new ones: forget everything.
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] { subtreeSizes_.clear(); });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] { subtreeSizes_.clear(); });
    connect(model(), &QAbstractItemModel::layoutChanged, this, [this] { subtreeSizes_.clear(); });
}

TIndexedOutline::~TIndexedOutline() {
    // The base clears the model after this part is gone: its signals must not reach the cache.
    disconnect(model(), nullptr, this, nullptr);
}

int TIndexedOutline::subtreeSize(const QTreeWidgetItem* item) const {
    // Leaves are not kept: a folder of many thousands would fill the cache
    // with as many entries the first time its index is asked for.
    if (item->childCount() == 0)
        return 1;
    const auto known = subtreeSizes_.constFind(item);
    if (known != subtreeSizes_.constEnd())
        return *known;
    int size = 1;
    for (int i = 0; i < item->childCount(); ++i)
        size += subtreeSize(item->child(i));
    subtreeSizes_.insert(item, size);
    return size;
}

void TIndexedOutline::forgetSizesFrom(const QModelIndex& parent) {
    subtreeSizes_.remove(invisibleRootItem());
    for (const QTreeWidgetItem* item = itemFromIndex(parent); item != nullptr;
         item = item->parent())
        subtreeSizes_.remove(item);
}

int TIndexedOutline::itemCount() const {
    return subtreeSize(invisibleRootItem()) - 1;
}

QTreeWidgetItem* TIndexedOutline::itemAtIndex(int index) const {
    if (index < 0)
        throw EOutlineIndexError(index);
    QTreeWidgetItem* node = invisibleRootItem();
    int nodeIndex = 0;
    while (nodeIndex != index) {
        int start = nodeIndex + 1;
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && next == nullptr; ++i) {
            // The child that starts at the index needs no size: a big folder
            // just filled would be counted through for nothing.
            const int size = index == start ? 1 : subtreeSize(node->child(i));
            if (index < start + size)
                next = node->child(i);
            else
                start += size;
        }
        if (next == nullptr)
            throw EOutlineIndexError(index);
        node = next;
        nodeIndex = start;
    }
    return node;
}

int TIndexedOutline::indexOfItem(const QTreeWidgetItem* item) const {
    if (item == nullptr)
        return InvalidIndex;
    if (item == invisibleRootItem())
        return 0;
    if (item->treeWidget() != this)
        return InvalidIndex;
    int index = 0;
    for (const QTreeWidgetItem* n = item; n != nullptr; n = n->parent()) {
        const QTreeWidgetItem* parent = n->parent() ? n->parent() : invisibleRootItem();
        const int position = parent->indexOfChild(const_cast<QTreeWidgetItem*>(n));
        index += 1;
        for (int i = 0; i < position; ++i)
            index += subtreeSize(parent->child(i));
    }
    return index;
}

QString TIndexedOutline::itemText(int index) const {
    return itemAtIndex(index)->text(0);
}

QVariant TIndexedOutline::itemData(int index, int role) const {
    return itemAtIndex(index)->data(0, role);
}

void TIndexedOutline::setItemData(int index, int role, const QVariant& value) {
    itemAtIndex(index)->setData(0, role, value);
}

int TIndexedOutline::parentIndex(int index) const {
    const QTreeWidgetItem* item = itemAtIndex(index);
    if (index == 0)
        return InvalidIndex;
    return item->parent() ? indexOfItem(item->parent()) : 0;
}

int TIndexedOutline::firstChildIndex(int index) const {
    return itemAtIndex(index)->childCount() > 0 ? index + 1 : InvalidIndex;
}

int TIndexedOutline::nextChildIndex(int index) const {
    QTreeWidgetItem* item = itemAtIndex(index);
    if (index == 0)
        return InvalidIndex;
    const QTreeWidgetItem* parent = item->parent() ? item->parent() : invisibleRootItem();
    if (parent->indexOfChild(item) + 1 >= parent->childCount())
        return InvalidIndex;
    return index + subtreeSize(item);
}

int TIndexedOutline::lastChildIndex(int index) const {
    const QTreeWidgetItem* item = itemAtIndex(index);
    if (item->childCount() == 0)
        return InvalidIndex;
    return indexOfItem(item->child(item->childCount() - 1));
}

QString TIndexedOutline::itemFullPath(int index) const {
    QStringList texts;
    for (const QTreeWidgetItem* n = itemAtIndex(index); n != nullptr && n != invisibleRootItem();
         n = n->parent())
        texts.prepend(n->text(0));
    QString path;
    for (const QString& text : texts) {
        if (!path.isEmpty() && !path.endsWith(u'/'))
            path += u'/';
        path += text;
    }
    return path;
}

bool TIndexedOutline::isItemExpanded(int index) const {
    return index == 0 || itemAtIndex(index)->isExpanded();
}

void TIndexedOutline::setItemExpanded(int index, bool expanded) {
    QTreeWidgetItem* item = itemAtIndex(index);
    // The invisible root is always open.
    if (index != 0)
        item->setExpanded(expanded);
}

void TIndexedOutline::clearItems() {
    clear();
}

QTreeWidgetItem* TIndexedOutline::newItem(const QString& text) const {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, pictureLeaf_);
    return item;
}

int TIndexedOutline::addChildItem(int parent, const QString& text) {
    QTreeWidgetItem* parentItem = itemAtIndex(parent);
    QTreeWidgetItem* child = newItem(text);
    parentItem->addChild(child);
    updatePicture(parentItem);
    return indexOfItem(child);
}

int TIndexedOutline::addItem(int sibling, const QString& text) {
    if (sibling == 0)
        return addChildItem(0, text);
    QTreeWidgetItem* siblingItem = itemAtIndex(sibling);
    QTreeWidgetItem* parent = siblingItem->parent() ? siblingItem->parent() : invisibleRootItem();
    QTreeWidgetItem* item = newItem(text);
    parent->insertChild(parent->indexOfChild(siblingItem) + 1, item);
    return indexOfItem(item);
}

int TIndexedOutline::insertItem(int sibling, const QString& text) {
    QTreeWidgetItem* siblingItem = itemAtIndex(sibling);
    QTreeWidgetItem* item = newItem(text);
    if (sibling == 0) {
        invisibleRootItem()->insertChild(0, item);
    } else {
        QTreeWidgetItem* parent =
            siblingItem->parent() ? siblingItem->parent() : invisibleRootItem();
        parent->insertChild(parent->indexOfChild(siblingItem), item);
    }
    return indexOfItem(item);
}

int TIndexedOutline::selectedItem() const {
    return currentItem() ? indexOfItem(currentItem()) : InvalidIndex;
}

void TIndexedOutline::setSelectedItem(int index) {
    QTreeWidgetItem* item = itemAtIndex(index);
    if (index == 0) {
        setCurrentItem(nullptr);
        return;
    }
    setCurrentItem(item);
    scrollToItem(item);
}

void TIndexedOutline::setPictureClosed(const QIcon& icon) {
    pictureClosed_ = icon;
    updateAllPictures();
}

void TIndexedOutline::setPictureOpen(const QIcon& icon) {
    pictureOpen_ = icon;
    updateAllPictures();
}

void TIndexedOutline::setPictureLeaf(const QIcon& icon) {
    pictureLeaf_ = icon;
    updateAllPictures();
}

void TIndexedOutline::updatePicture(QTreeWidgetItem* item) const {
    if (item == nullptr || item == invisibleRootItem())
        return;
    if (item->childCount() == 0)
        item->setIcon(0, pictureLeaf_);
    else
        item->setIcon(0, item->isExpanded() ? pictureOpen_ : pictureClosed_);
}

void TIndexedOutline::updateAllPictures() {
    QList<QTreeWidgetItem*> pending{invisibleRootItem()};
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeLast();
        updatePicture(item);
        for (int i = 0; i < item->childCount(); ++i)
            pending << item->child(i);
    }
}

void TIndexedOutline::Expand(int index) {
    updatePicture(itemAtIndex(index));
    emit OnExpand(index);
}

void TIndexedOutline::Collapse(int index) {
    updatePicture(itemAtIndex(index));
    emit OnCollapse(index);
}

void TIndexedOutline::Click() {
    emit OnClick();
}

void TIndexedOutline::mouseReleaseEvent(QMouseEvent* event) {
    clickPending_ = false;
    QTreeWidget::mouseReleaseEvent(event);
    if (clickPending_) {
        clickPending_ = false;
        runClickFromInput();
    }
}

void TIndexedOutline::keyPressEvent(QKeyEvent* event) {
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() != nullptr && currentItem() != before)
        runClickFromInput();
}

void TIndexedOutline::runClickFromInput() {
    try {
        Click();
    } catch (const std::exception& error) {
        qCWarning(lcIndexedOutline) << "click:" << error.what();
    }
}
