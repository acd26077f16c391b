#include "components/cdiroutl/Cdiroutl.h"

#include "components/cdiroutl/OutlinePaths.h"
#include "components/palette/Palette.h"
#include "components/volumes/VolumeRoots.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QPainter>
#include <cerrno>
#include <unistd.h>
#include <vector>

Q_LOGGING_CATEGORY(lcCdiroutl, "sorteka.components.cdiroutl", QtWarningMsg)

namespace {

// Set on an item once its folder level has been read.
constexpr int LevelReadRole = Qt::UserRole + 1;
// The folder's real name on disk (the volume's mount path for the top item);
// the shown text may be in another case.
constexpr int RealNameRole = Qt::UserRole + 2;

// The directory last set on each volume in this run, as the system would keep
// a current directory per drive. Shared by every outline of the process,
// because the current directory is the process's.
QHash<QString, QString>& lastDirectoryOnVolume() {
    static QHash<QString, QString> directories;
    return directories;
}

bool textLess(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

TCDirectoryOutline::TCDirectoryOutline(QWidget* parent) : TIndexedOutline(parent) {
    // No lines or button to the left of the volume item.
    setRootIsDecorated(false);
    // Folders without subfolders look like closed folders.
    setPictureLeaf(pictureClosed());
    AssignCaseProc();
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
        names.prepend(n->data(0, RealNameRole).toString());
    QString path;
    for (const QString& name : names) {
        if (!path.isEmpty() && !path.endsWith(u'/'))
            path += u'/';
        path += name;
    }
    return path;
}

QString TCDirectoryOutline::volumeOf(const QString& path) const {
    const QStringList volumes = Volumes();
    return cdiroutl::volumeHolding(cdiroutl::resolveOnDisk(path, volumes), volumes);
}

QString TCDirectoryOutline::currentDirectoryOn(const QString& volume) const {
    const QStringList volumes = Volumes();
    const QString current = CurDir();
    if (!current.isEmpty() && cdiroutl::volumeHolding(current, volumes) == volume)
        return current;
    const QString last = lastDirectoryOnVolume().value(volume);
    if (!last.isEmpty() && QFileInfo(last).isDir() &&
        cdiroutl::volumeHolding(last, volumes) == volume)
        return last;
    return volume;
}

bool TCDirectoryOutline::changeProcessDirectory(const QString& path) const {
    const QStringList volumes = Volumes();
    const QString real = cdiroutl::resolveOnDisk(path, volumes);
    if (!QDir::setCurrent(real)) {
        qCDebug(lcCdiroutl) << "cannot make" << real << "the current directory";
        return false;
    }
    const QString volume = cdiroutl::volumeHolding(real, volumes);
    if (!volume.isEmpty())
        lastDirectoryOnVolume().insert(volume, real);
    return true;
}

void TCDirectoryOutline::BuildOneLevel(int rootItem) {
    QTreeWidgetItem* root = itemAtIndex(rootItem);
    const QStringList names = readFolder(diskPathOf(root));
    qCDebug(lcCdiroutl) << "read" << diskPathOf(root) << names.size() << "subfolders";
    for (const QString& realName : names) {
        const QString name = ForceCase(realName);
        // Children stay in case-insensitive order: the new one goes before the
        // first child whose text is not less than its name.
        int low = 0;
        int high = root->childCount();
        while (low < high) {
            const int middle = (low + high) / 2;
            if (textLess(root->child(middle)->text(0), name))
                low = middle + 1;
            else
                high = middle;
        }
        QTreeWidgetItem* child = newItem(name);
        child->setData(0, RealNameRole, realName);
        // Not read yet: offer the button until reading tells otherwise.
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        root->insertChild(low, child);
    }
    root->setData(0, LevelReadRole, true);
    root->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    updatePicture(root);
}

void TCDirectoryOutline::Expand(int index) {
    if (index != 0 && !itemData(index, LevelReadRole).toBool())
        BuildOneLevel(index);
    TIndexedOutline::Expand(index);
}

void TCDirectoryOutline::BuildTree() {
    clearItems();
    // Nothing to show before a volume is known; the window's creation builds the tree again.
    if (drive_.isEmpty())
        return;
    const int volumeItem = addChildItem(0, ForceCase(drive_));
    setItemData(volumeItem, RealNameRole, drive_);
    itemAtIndex(volumeItem)->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    WalkTree(directory_);
    Change();
}

void TCDirectoryOutline::BuildSubTree(int rootItem) {
    QStringList foldersOnTheWay;
    buildSubTreeAvoidingLoops(itemAtIndex(rootItem), foldersOnTheWay);
}

void TCDirectoryOutline::buildSubTreeAvoidingLoops(QTreeWidgetItem* item,
                                                   QStringList& foldersOnTheWay) {
    const QString folder = QFileInfo(diskPathOf(item)).canonicalFilePath();
    if (foldersOnTheWay.contains(folder))
        return;
    // A level already read keeps its children; reading it again would list them twice.
    if (!item->data(0, LevelReadRole).toBool())
        BuildOneLevel(indexOfItem(item));
    foldersOnTheWay << folder;
    for (int i = 0; i < item->childCount(); ++i)
        buildSubTreeAvoidingLoops(item->child(i), foldersOnTheWay);
    foldersOnTheWay.removeLast();
}

void TCDirectoryOutline::WalkTree(const QString& dest) {
    const QString path = ForceCase(dest);
    int current = RootIndex;
    QString rest = path;
    if (path.startsWith(u'/')) {
        const QString volumeText = itemText(RootIndex);
        if (cdiroutl::isSameOrBelow(path, volumeText, Qt::CaseInsensitive))
            rest = path.mid(volumeText.size());
        else
            current = InvalidIndex; // another volume's path has no item here
    }
    for (const QString& component : rest.split(u'/', Qt::SkipEmptyParts))
        current = GetChildNamed(component, current);
    setSelectedItem(current);
}

int TCDirectoryOutline::GetChildNamed(const QString& name, int item) {
    setItemExpanded(item, true);
    const QTreeWidgetItem* parent = itemAtIndex(item);
    const QString wanted = name.toUpper();
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0).toUpper() == wanted)
            return indexOfItem(parent->child(i));
    }
    return InvalidIndex;
}

void TCDirectoryOutline::SetDirectory(const QString& value) {
    if (value.isEmpty())
        return;
    const QString base = CurDir();
    const QString absolute = base.isEmpty() ? value : QDir(base).absoluteFilePath(value);
    QString full = ForceCase(QDir::cleanPath(absolute));
    if (full.size() > 1 && full.endsWith(u'/'))
        full.chop(1);
    if (full == directory_)
        return;
    directory_ = full;
    changeProcessDirectory(full); // a folder that cannot be entered still becomes the value
    const QString volume = volumeOf(full);
    if (!drive_.isEmpty() && volume == drive_) {
        WalkTree(directory_);
        Change();
    } else {
        SetDrive(volume);
    }
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
    drive_ = chosen;
    const QString target = currentDirectoryOn(chosen);
    // A volume that cannot be entered is shown from its mount path.
    directory_ = ForceCase(changeProcessDirectory(target) ? target : chosen);
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
        const QString volume = current.isEmpty() ? QString() : volumeOf(current);
        if (!volume.isEmpty()) {
            drive_ = volume;
            directory_ = current;
        }
    } else {
        // The directory is kept in the text case, like every name shown.
        directory_ = ForceCase(directory_);
    }
    if (!loading_)
        BuildTree();
}

void TCDirectoryOutline::Change() {
    emit OnChange();
}

void TCDirectoryOutline::Click() {
    TIndexedOutline::Click();
    const int selected = selectedItem();
    if (selected != InvalidIndex)
        SetDirectory(itemFullPath(selected));
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
        const QString current = CurDir();
        const QString volume = current.isEmpty() ? QString() : volumeOf(current);
        if (!volume.isEmpty()) {
            drive_ = volume;
            directory_ = ForceCase(current);
        }
    }
    if (!loading_)
        BuildTree();
}

QStringList TCDirectoryOutline::Volumes() const {
    return volumes::realVolumeRoots();
}

QStringList TCDirectoryOutline::readFolder(const QString& folderPath) const {
    QStringList names;
    QDirIterator it(folderPath, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        // A link to a folder counts as a folder; names beginning with "." are hidden.
        if (it.fileInfo().isDir() && !it.fileName().startsWith(u'.'))
            names << it.fileName();
    }
    return names;
}

void TCDirectoryOutline::showEvent(QShowEvent* event) {
    // The first showing is where a native control would have created its window.
    if (!windowCreated_) {
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
