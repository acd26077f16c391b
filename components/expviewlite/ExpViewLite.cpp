#include "components/expviewlite/ExpViewLite.h"

#include "components/folderview/FullExpansion.h"
#include "components/folderview/ItemTextScrolling.h"
#include "components/folderview/SubfolderMarks.h"
#include "components/folderview/SubfolderReading.h"
#include "components/palette/Palette.h"
#include "components/volumes/VolumeRoots.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

Q_LOGGING_CATEGORY(lcExpViewLite, "sorteka.components.expviewlite", QtWarningMsg)

namespace {

// The hourglass for the time a folder is read, restored on every way out.
class BusyCursor {
public:
    explicit BusyCursor(QWidget* widget) : widget_(widget) { widget_->setCursor(Qt::WaitCursor); }
    ~BusyCursor() { widget_->unsetCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* widget_;
};

// A folder node keeps its name in a member rather than in the base's list of
// stored values: a folder of many thousands opens noticeably faster.
class FolderNode : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    explicit FolderNode(QString name) : QTreeWidgetItem(Type), name_(std::move(name)) {}

    [[nodiscard]] QVariant data(int column, int role) const override {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
            return name_;
        return QTreeWidgetItem::data(column, role);
    }
    void setData(int column, int role, const QVariant& value) override {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            name_ = value.toString();
            emitDataChanged();
            return;
        }
        QTreeWidgetItem::setData(column, role, value);
    }

private:
    QString name_;
};

} // namespace

TExpViewLite::TExpViewLite(QWidget* parent) : QTreeWidget(parent) {
    // One column of folder names; a header would only say "1".
    setColumnCount(1);
    setHeaderHidden(true);
    // Connected first, so the children exist before anyone else hears of the expansion.
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { CanExpand(node); });
    setUniformRowHeights(true);
    folderview::followCurrentItemText(*this);
    fullExpansion_ = new folderview::FullExpansion(
        *this, [](const QTreeWidgetItem* node) { return NodePath(node); });
    subfolderMarks_ = new folderview::SubfolderMarks(
        this, [this](QTreeWidgetItem* node) { SubFolderCheck(node); });
}

QString TExpViewLite::NodePath(const QTreeWidgetItem* node) {
    QString path;
    for (const QTreeWidgetItem* n = node; n != nullptr; n = n->parent()) {
        QString part = n->text(0);
        // A root's text is a mount path, and the root "/" already ends in one.
        if (!part.endsWith(u'/'))
            part += u'/';
        path.prepend(part);
    }
    return path;
}

QString TExpViewLite::GetFolderName() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : NodePath(selected.first());
}

void TExpViewLite::Loaded() {
    loaded_ = true;
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const QString& root : volumeRoots()) {
        auto* node = new QTreeWidgetItem(QStringList{root});
        addTopLevelItem(node);
        SubFolderCheck(node);
    }
}

bool TExpViewLite::CanExpand(QTreeWidgetItem* node) {
    bool allowExpansion = true;
    emit OnExpanding(node, &allowExpansion);
    // The answer is deliberately not used: a folder always opens.
    if (node->childCount() > 0)
        return true;

    const BusyCursor busy(this);
    const QString path = NodePath(node);
    QStringList names = readSubfolders(path, false);
    qCDebug(lcExpViewLite) << "read" << path << names.size() << "subfolders";
    folderview::sortFolderNames(names);
    QList<QTreeWidgetItem*> children;
    children.reserve(names.size());
    for (QString& name : names)
        children << new FolderNode(std::move(name));
    // Added in one go: one by one, a folder of many thousands took seconds.
    node->addChildren(children);
    subfolderMarks_->add(children);
    return true;
}

void TExpViewLite::keyPressEvent(QKeyEvent* event) {
    if (!fullExpansion_->handleKey(event, currentItem()))
        QTreeWidget::keyPressEvent(event);
}

void TExpViewLite::SubFolderCheck(QTreeWidgetItem* node) {
    if (!readSubfolders(NodePath(node), true).isEmpty())
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

QStringList TExpViewLite::volumeRoots() const {
    return volumes::realVolumeRoots();
}

QStringList TExpViewLite::readSubfolders(const QString& folderPath, bool stopAtFirst) const {
    return folderview::readSubfolderNames(folderPath, stopAtFirst);
}

void TExpViewLite::showEvent(QShowEvent* event) {
    // Qt has no "finished loading" notification; the first showing stands in for it.
    if (!loaded_ && !palette::onDesignSurface(*this))
        Loaded();
    QTreeWidget::showEvent(event);
}

namespace {

void drawFolder(QPainter& painter, const QRectF& body, const QColor& fill) {
    QPainterPath shape;
    shape.moveTo(body.left(), body.top() + 1.5);
    shape.lineTo(body.left() + body.width() * 0.4, body.top() + 1.5);
    shape.lineTo(body.left() + body.width() * 0.5, body.top());
    shape.lineTo(body.right(), body.top());
    shape.lineTo(body.right(), body.bottom());
    shape.lineTo(body.left(), body.bottom());
    shape.closeSubpath();
    painter.setPen(QPen(fill.darker(170), 1));
    painter.setBrush(fill);
    painter.drawPath(shape);
}

QIcon paletteIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawLine(QPointF(5.5, 9), QPointF(5.5, 20));
    painter.drawLine(QPointF(5.5, 13), QPointF(11, 13));
    painter.drawLine(QPointF(5.5, 20), QPointF(11, 20));
    const QColor yellow(0xf0, 0xc4, 0x4c);
    drawFolder(painter, QRectF(1.5, 2.5, 11, 7), yellow);
    drawFolder(painter, QRectF(11.5, 10.5, 10, 5), yellow);
    drawFolder(painter, QRectF(11.5, 17.5, 10, 5), yellow);
    return QIcon(pixmap);
}

} // namespace

namespace ExpViewLite {

void Register() {
    palette::registerComponent({
        QStringLiteral("TExpViewLite"),
        QStringLiteral("components/expviewlite/ExpViewLite.h"),
        QStringLiteral("フォルダーのツリー表示"),
        QStringLiteral("ボリュームごとのフォルダーを、開いたときに読み込むツリー表示。"
                       "FolderName は選択したフォルダーのパス。"),
        paletteIcon(),
        QStringLiteral("<ui language=\"c++\">\n"
                       " <widget class=\"TExpViewLite\" name=\"expViewLite\">\n"
                       "  <property name=\"geometry\">\n"
                       "   <rect><x>0</x><y>0</y><width>200</width><height>240</height></rect>\n"
                       "  </property>\n"
                       " </widget>\n"
                       "</ui>\n"),
        [](QWidget* parent) -> QWidget* { return new TExpViewLite(parent); },
    });
}

} // namespace ExpViewLite
