#include "components/cdiroutl/Cdiroutl.h"

#include "components/cdiroutl/OutlinePaths.h"
#include "components/folderview/FullExpansion.h"
#include "components/folderview/ItemTextScrolling.h"
#include "components/folderview/SubfolderMarks.h"
#include "components/palette/Palette.h"
#include "components/volumes/VolumeRoots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

Q_LOGGING_CATEGORY(lcCdiroutl, "sorteka.components.cdiroutl", QtWarningMsg)

namespace {

// Set on an item once its folder level has been read.
constexpr int LevelReadRole = Qt::UserRole + 1;
// The folder's real name on disk (the volume's mount path for the top item);
// the shown text may be in another case.
constexpr int RealNameRole = Qt::UserRole + 2;

// A folder item keeps its real name and its case function in members, and
// makes its shown text and picture only when asked (for the rows on screen):
// a folder of many thousands opens several times faster than with the text
// and the picture stored as the base's values of every item. A new item shows
// its outline's leaf picture until it is given one of its own.
class FolderItem : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;
    using CaseProc = QString (*)(const QString&);
    FolderItem(QString realName, CaseProc caseProc)
        : QTreeWidgetItem(Type), realName_(std::move(realName)), caseProc_(caseProc) {}
    [[nodiscard]] const QString& realName() const { return realName_; }
    [[nodiscard]] QVariant data(int column, int role) const override {
        if (column != 0)
            return QTreeWidgetItem::data(column, role);
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (shownText_)
                return *shownText_;
            return caseProc_ ? caseProc_(realName_) : realName_;
        case Qt::DecorationRole:
            return picture();
        case RealNameRole:
            return realName_;
        default:
            return QTreeWidgetItem::data(column, role);
        }
    }
    void setData(int column, int role, const QVariant& value) override {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            if (value.toString() == data(column, role).toString())
                return;
            shownText_ = value.toString();
        } else if (column == 0 && role == Qt::DecorationRole) {
            const QIcon icon = value.value<QIcon>();
            if (icon.cacheKey() == picture().cacheKey())
                return;
            picture_ = icon;
        } else {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        emitDataChanged();
    }

private:
    [[nodiscard]] QIcon picture() const {
        if (picture_)
            return *picture_;
        const auto* outline = qobject_cast<const TIndexedOutline*>(treeWidget());
        return outline ? outline->pictureLeaf() : QIcon();
    }

    QString realName_;
    CaseProc caseProc_;
    // Each set only once the item is given a text or picture of its own.
    std::optional<QString> shownText_;
    std::optional<QIcon> picture_;
};

QString realName(const QTreeWidgetItem* item) {
    if (item->type() == FolderItem::Type)
        return static_cast<const FolderItem*>(item)->realName();
    return item->data(0, RealNameRole).toString();
}

bool foldedLess(const QString& a, const QString& b) {
    const QString left = a.toCaseFolded();
    const QString right = b.toCaseFolded();
    return left != right ? left < right : a < b;
}

} // namespace

EOutlineDirectoryError::EOutlineDirectoryError(const QString& path, const QString& reason)
    : std::runtime_error(
          QStringLiteral("フォルダー %1 に移動できません: %2").arg(path, reason).toStdString()) {}

TCDirectoryOutline::TCDirectoryOutline(QWidget* parent) : TIndexedOutline(parent) {
    // No lines or button to the left of the volume item.
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    // Folders without subfolders look like closed folders.
    setPictureLeaf(pictureClosed());
    AssignCaseProc();
    folderview::followCurrentItemText(*this);
    fullExpansion_ = new folderview::FullExpansion(
        *this, [this](const QTreeWidgetItem* item) { return diskPathOf(item); });
    subfolderMarks_ = new folderview::SubfolderMarks(this, [this](QTreeWidgetItem* item) {
        item->setChildIndicatorPolicy(hasSubfolder(diskPathOf(item))
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicator);
    });
}

QString TCDirectoryOutline::ForceCase(const QString& name) const {
    return caseProc_ ? caseProc_(name) : name;
}

void TCDirectoryOutline::AssignCaseProc() {
    switch (textCase_) {
    case tcLowerCase:
        caseProc_ = cdiroutl::fileNameLowerCase;
        break;
    case tcUpperCase:
        caseProc_ = cdiroutl::fileNameUpperCase;
        break;
    case tcAsIs:
        caseProc_ = nullptr;
        break;
    }
}

QString TCDirectoryOutline::CurDir() {
    std::vector<char> buffer(256);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr)
            break;
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    const QString path = QFile::decodeName(buffer.data());
    // Linux answers "(unreachable)/…" for a directory outside the process's root.
    return path.startsWith(u'/') ? path : QString();
}

QString TCDirectoryOutline::startingDirectory() {
    QString path = CurDir();
    if (path.isEmpty()) {
        // getcwd fails once the folder is deleted; the kernel still knows where it was.
        path = QFile::symLinkTarget(QStringLiteral("/proc/self/cwd"));
        const QString deleted = QStringLiteral(" (deleted)");
        if (path.endsWith(deleted))
            path.chop(deleted.size());
    }
    if (!path.startsWith(u'/'))
        return {};
    while (!QFileInfo(path).isDir() && path != QStringLiteral("/"))
        path = QFileInfo(path).path();
    return path;
}

int TCDirectoryOutline::DriveToInt(const QString& volume) const {
    const QStringList volumes = Volumes();
    const int exact = int(volumes.indexOf(volume));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < volumes.size(); ++i) {
        if (cdiroutl::sameNameIgnoringCase(volumes[i], volume))
            return i;
    }
    return -1;
}

QString TCDirectoryOutline::diskPathOf(const QTreeWidgetItem* item) const {
    QStringList names;
    for (const QTreeWidgetItem* n = item; n != nullptr; n = n->parent())
        names.prepend(realName(n));
    QString path;
    for (const QString& name : names) {
        if (!path.isEmpty() && !path.endsWith(u'/'))
            path += u'/';
        path += name;
    }
    return path;
}

QString TCDirectoryOutline::currentDirectoryOn(const QString& volume,
                                               const QStringList& volumes) const {
    const QString current = CurDir();
    if (!current.isEmpty() && volumes::volumeHolding(current, volumes) == volume)
        return current;
    const QString last = volumes::lastDirectoryOnVolume(volume);
    if (QFileInfo(last).isDir() && volumes::volumeHolding(last, volumes) == volume)
        return last;
    return volume;
}

void TCDirectoryOutline::enter(const QString& path, const QString& volume) {
    if (::chdir(QFile::encodeName(path).constData()) != 0)
        throw EOutlineDirectoryError(path, QString::fromLocal8Bit(std::strerror(errno)));
    volumes::rememberVolumeDirectory(volume, path);
}

void TCDirectoryOutline::readLevel(QTreeWidgetItem* item) {
    const QString path = diskPathOf(item);
    QStringList names = readFolder(path);
    qCDebug(lcCdiroutl) << "read" << path << names.size() << "subfolders";
    QList<QTreeWidgetItem*> added;
    if (item->childCount() == 0) {
        folderview::sortFolderNames(names);
        added.reserve(names.size());
        for (QString& name : names)
            added << new FolderItem(std::move(name), caseProc_);
        // In one go: one by one, a folder of many thousands took seconds.
        item->addChildren(added);
    } else {
        // Read again: only folders made since the last reading are new.
        QSet<QString> known;
        for (int i = 0; i < item->childCount(); ++i)
            known.insert(realName(item->child(i)));
        for (const QString& name : names) {
            if (known.contains(name))
                continue;
            int low = 0;
            int high = item->childCount();
            while (low < high) {
                const int middle = (low + high) / 2;
                if (foldedLess(realName(item->child(middle)), name))
                    low = middle + 1;
                else
                    high = middle;
            }
            QTreeWidgetItem* child = new FolderItem(name, caseProc_);
            item->insertChild(low, child);
            added << child;
        }
    }
    item->setData(0, LevelReadRole, true);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    updatePicture(item);
    subfolderMarks_->add(added);
}

void TCDirectoryOutline::BuildOneLevel(int rootItem) {
    readLevel(itemAtIndex(rootItem));
}

void TCDirectoryOutline::Expand(int index) {
    QTreeWidgetItem* item = itemAtIndex(index);
    if (index != 0 && !item->data(0, LevelReadRole).toBool())
        readLevel(item);
    TIndexedOutline::Expand(index);
}

void TCDirectoryOutline::BuildTree() {
    fullExpansion_->cancel();
    subfolderMarks_->clear();
    clearItems();
    // Nothing to show before a volume is known; the window's creation builds the tree again.
    // On a form designer's surface nothing either, whichever setting asks: the
    // designer would save the items into the form.
    if (drive_.isEmpty() || palette::onDesignSurface(*this))
        return;
    const int volumeItem = addChildItem(0, ForceCase(drive_));
    setItemData(volumeItem, RealNameRole, drive_);
    itemAtIndex(volumeItem)->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    WalkTree(directory_);
    Change();
}

void TCDirectoryOutline::BuildSubTree(int rootItem) {
    std::vector<folderview::FolderId> onTheWay;
    buildSubTreeAvoidingLoops(itemAtIndex(rootItem), onTheWay);
}

void TCDirectoryOutline::buildSubTreeAvoidingLoops(QTreeWidgetItem* item,
                                                   std::vector<folderview::FolderId>& onTheWay) {
    const std::optional<folderview::FolderId> id = folderview::folderIdOf(diskPathOf(item));
    if (!id || std::find(onTheWay.begin(), onTheWay.end(), *id) != onTheWay.end())
        return;
    // A level already read keeps its children; reading it again would list them twice.
    if (!item->data(0, LevelReadRole).toBool())
        readLevel(item);
    onTheWay.push_back(*id);
    for (int i = 0; i < item->childCount(); ++i)
        buildSubTreeAvoidingLoops(item->child(i), onTheWay);
    onTheWay.pop_back();
}

QTreeWidgetItem* TCDirectoryOutline::childNamed(QTreeWidgetItem* item, const QString& name) {
    item->setExpanded(true);
    QTreeWidgetItem* sameButCase = nullptr;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        const QString real = realName(child);
        if (real == name)
            return child;
        if (sameButCase == nullptr && QString::compare(real, name, Qt::CaseInsensitive) == 0)
            sameButCase = child;
    }
    return sameButCase;
}

void TCDirectoryOutline::WalkTree(const QString& dest) {
    int current = RootIndex;
    QString rest = dest;
    if (dest.startsWith(u'/')) {
        if (cdiroutl::isSameOrBelow(dest, drive_, Qt::CaseInsensitive))
            rest = dest.mid(drive_.size());
        else
            current = InvalidIndex; // another volume's path has no item here
    }
    QTreeWidgetItem* item = itemAtIndex(current);
    for (const QString& component : rest.split(u'/', Qt::SkipEmptyParts)) {
        QTreeWidgetItem* child = childNamed(item, component);
        if (child == nullptr) {
            // A folder made after its parent was read: read that level again.
            readLevel(item);
            child = childNamed(item, component);
        }
        if (child == nullptr)
            throw EOutlineIndexError(InvalidIndex);
        item = child;
    }
    setCurrentItem(item);
    scrollToItem(item);
}

int TCDirectoryOutline::GetChildNamed(const QString& name, int item) {
    return indexOfItem(childNamed(itemAtIndex(item), name));
}

void TCDirectoryOutline::SetDirectory(const QString& value) {
    if (value.isEmpty())
        return;
    const QString base = CurDir();
    const QString absolute =
        QDir::cleanPath(base.isEmpty() ? value : QDir(base).absoluteFilePath(value));
    const QStringList volumes = Volumes();
    const QString real = cdiroutl::resolveOnDisk(absolute, volumes);
    if (real == directory_)
        return;

    // Everything is checked before anything changes.
    const QString volume = volumes::volumeHolding(real, volumes);
    if (volume.isEmpty())
        throw EOutlineDirectoryError(real, QStringLiteral("ボリュームの外です"));
    for (const QString& name : real.mid(volume.size()).split(u'/', Qt::SkipEmptyParts)) {
        if (name.startsWith(u'.'))
            throw EOutlineDirectoryError(real, QStringLiteral("隠しフォルダーです"));
    }
    if (!QFileInfo(real).isDir())
        throw EOutlineDirectoryError(real, QStringLiteral("フォルダーがありません"));
    const QString before = CurDir();
    enter(real, volume);

    if (drive_.isEmpty() || volume != drive_) {
        drive_ = volume;
        directory_ = real;
        if (!loading_)
            BuildTree();
        return;
    }
    try {
        WalkTree(real);
    } catch (...) {
        if (!before.isEmpty())
            QDir::setCurrent(before);
        throw;
    }
    directory_ = real;
    Change();
}

void TCDirectoryOutline::SetDrive(const QString& volume) {
    const QStringList volumes = Volumes();
    QString chosen = volumes.contains(volume) ? volume : QString();
    for (int i = 0; i < volumes.size() && chosen.isEmpty() && !volume.isEmpty(); ++i) {
        if (cdiroutl::sameNameIgnoringCase(volumes[i], volume))
            chosen = volumes[i];
    }
    if (chosen.isEmpty() || chosen == drive_)
        return;
    QString target = currentDirectoryOn(chosen, volumes);
    try {
        enter(target, chosen);
    } catch (const EOutlineDirectoryError&) {
        // A folder that cannot be entered is shown from the volume's mount path.
        target = chosen;
        enter(target, chosen);
    }
    drive_ = chosen;
    directory_ = target;
    if (!loading_)
        BuildTree();
}

void TCDirectoryOutline::SetTextCase(TTextCase value) {
    if (value == textCase_)
        return;
    textCase_ = value;
    AssignCaseProc();
    if (value == tcAsIs) {
        const QString current = CurDir();
        const QString volume =
            current.isEmpty() ? QString() : volumes::volumeHolding(current, Volumes());
        if (!volume.isEmpty()) {
            drive_ = volume;
            directory_ = current;
        }
    }
    if (!loading_)
        BuildTree();
}

void TCDirectoryOutline::Change() {
    emit OnChange();
}

void TCDirectoryOutline::Click() {
    TIndexedOutline::Click();
    const QTreeWidgetItem* item = currentItem();
    if (item == nullptr)
        return;
    // The item is already selected: no walk and no index look-up, so moving
    // through a folder of many thousands stays quick.
    const QString path = diskPathOf(item);
    if (path == directory_)
        return;
    try {
        enter(path, drive_);
    } catch (const EOutlineDirectoryError&) {
        // Refused (no permission): the selection goes back to the directory.
        WalkTree(directory_);
        throw;
    }
    directory_ = path;
    Change();
}

void TCDirectoryOutline::keyPressEvent(QKeyEvent* event) {
    if (!fullExpansion_->handleKey(event, currentItem()))
        TIndexedOutline::keyPressEvent(event);
}

void TCDirectoryOutline::Loaded() {
    struct LoadingGuard {
        bool& flag;
        explicit LoadingGuard(bool& f) : flag(f) { flag = true; }
        ~LoadingGuard() { flag = false; }
        LoadingGuard(const LoadingGuard&) = delete;
        LoadingGuard& operator=(const LoadingGuard&) = delete;
    } guard(loading_);
    AssignCaseProc();
    BuildTree();
}

void TCDirectoryOutline::CreateWnd() {
    if (drive_.isEmpty()) {
        const QString start = startingDirectory();
        const QString volume =
            start.isEmpty() ? QString() : volumes::volumeHolding(start, Volumes());
        if (!volume.isEmpty()) {
            drive_ = volume;
            directory_ = start;
            if (start != CurDir())
                enter(start, volume);
        }
    }
    if (!loading_)
        BuildTree();
}

QStringList TCDirectoryOutline::Volumes() const {
    return volumes::realVolumeRoots();
}

QStringList TCDirectoryOutline::readFolder(const QString& folderPath) const {
    return folderview::readSubfolderNames(folderPath);
}

bool TCDirectoryOutline::hasSubfolder(const QString& folderPath) const {
    return folderview::hasSubfolder(folderPath);
}

void TCDirectoryOutline::showEvent(QShowEvent* event) {
    // The first showing is where a native control would have created its window.
    if (!windowCreated_ && !palette::onDesignSurface(*this)) {
        windowCreated_ = true;
        try {
            CreateWnd();
        } catch (const std::exception& error) {
            qCWarning(lcCdiroutl) << "building the outline:" << error.what();
        }
    }
    TIndexedOutline::showEvent(event);
}

namespace {

QIcon paletteIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The volume: a small drive box.
    painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    painter.setBrush(QColor(0xc8, 0xcc, 0xd4));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 12, 6), 1.5, 1.5);
    painter.setBrush(QColor(0x3c, 0xb0, 0x4c));
    painter.drawEllipse(QPointF(11, 4.5), 1, 1);
    // The outline: indented rows joined by lines.
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawLine(QPointF(4.5, 8), QPointF(4.5, 20.5));
    for (const qreal y : {12.5, 16.5, 20.5})
        painter.drawLine(QPointF(4.5, y), QPointF(8, y));
    const QColor yellow(0xf0, 0xc4, 0x4c);
    painter.setPen(QPen(yellow.darker(170), 1));
    painter.setBrush(yellow);
    for (const qreal y : {10.5, 14.5, 18.5})
        painter.drawRect(QRectF(8.5, y, 7, 4));
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    for (const qreal y : {12.5, 16.5, 20.5})
        painter.drawLine(QPointF(17.5, y), QPointF(22.5, y));
    return QIcon(pixmap);
}

} // namespace

namespace Cdiroutl {

void Register() {
    palette::registerComponent({
        QStringLiteral("TCDirectoryOutline"),
        QStringLiteral("components/cdiroutl/Cdiroutl.h"),
        QStringLiteral("ディレクトリのアウトライン"),
        QStringLiteral("一つのボリュームのフォルダーを表示し、選んだフォルダーを"
                       "カレント ディレクトリにするアウトライン。"),
        paletteIcon(),
        QStringLiteral("<ui language=\"c++\">\n"
                       " <widget class=\"TCDirectoryOutline\" name=\"directoryOutline\">\n"
                       "  <property name=\"geometry\">\n"
                       "   <rect><x>0</x><y>0</y><width>200</width><height>240</height></rect>\n"
                       "  </property>\n"
                       " </widget>\n"
                       "</ui>\n"),
        [](QWidget* parent) -> QWidget* { return new TCDirectoryOutline(parent); },
    });
}

} // namespace Cdiroutl
