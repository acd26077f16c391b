#include "dialogs/Dirbrowse.h"

#include "core/Prompter.h"
#include "dialogs/ApplicationTitle.h"
#include "dialogs/DirbrowseIcons.h"
#include "dialogs/DirbrowseList.h"
#include "dialogs/DirbrowseVolumes.h"
#include "dialogs/FormFont.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <cerrno>

TfrmDirBrowse* frmDirBrowse = nullptr;

namespace {

constexpr int ItemHeight = 16;
constexpr int IndentPerLevel = 8;

// Rows of the list are 16 pixels high and indented by their level.
class DirEntryDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indentOf(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize natural = QStyledItemDelegate::sizeHint(option, index);
        return {natural.width() + indentOf(index), ItemHeight};
    }

private:
    static int indentOf(const QModelIndex& index) {
        return index.data(TfrmDirBrowse::LevelRole).toInt() * IndentPerLevel;
    }
};

bool namesSameDirectory(const QString& a, const QString& b) {
    return platform::excludeTrailingSeparator(a) == platform::excludeTrailingSeparator(b);
}

QStringList cleanedVolumes(QStringList volumes) {
    for (QString& volume : volumes)
        volume = platform::excludeTrailingSeparator(volume);
    return volumes;
}

} // namespace

TfrmDirBrowse::TfrmDirBrowse(Prompter& prompter, QWidget* parent)
    : TfrmDirBrowse(prompter, parent, mountedVolumePaths()) {}

TfrmDirBrowse::TfrmDirBrowse(Prompter& prompter, QWidget* parent, QStringList volumes)
    : QDialog(parent), prompter_(prompter), volumes_(cleanedVolumes(std::move(volumes))) {
    buildControls();

    // The list starts at the process's current directory. Should that have
    // been deleted under us, the root is the one place certain to exist.
    QString start = platform::currentDirectory();
    if (start.isEmpty() || !platform::directoryExists(start)) {
        platform::setCurrentDirectory(QStringLiteral("/"));
        start = platform::currentDirectory();
    }
    showDirectory(start);
}

void TfrmDirBrowse::buildControls() {
    setObjectName(QStringLiteral("frmDirBrowse"));
    setWindowTitle(QStringLiteral("ディレクトリ選択"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedForm(*this, 257, 284);
    move(621, 410);

    lblDrive = new QLabel(QStringLiteral("ドライブ(&D)"), this);
    lblDrive->setObjectName(QStringLiteral("lblDrive"));
    lblDrive->move(8, 8);
    lblDrive->adjustSize();

    drvCombo = new QComboBox(this);
    drvCombo->setObjectName(QStringLiteral("drvCombo"));
    drvCombo->setGeometry(8, 24, 241, 18);
    drvCombo->addItems(volumes_);
    lblDrive->setBuddy(drvCombo);
    connect(drvCombo, &QComboBox::activated, this, &TfrmDirBrowse::drvComboChange);

    lblDirectory = new QLabel(QStringLiteral("フォルダ(&F)"), this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    lblDirectory->move(8, 48);
    lblDirectory->adjustSize();

    dirList = new QListWidget(this);
    dirList->setObjectName(QStringLiteral("dirList"));
    dirList->setGeometry(8, 64, 241, 177);
    dirList->setIconSize(QSize(16, 16));
    dirList->setUniformItemSizes(true);
    dirList->setItemDelegate(new DirEntryDelegate(dirList));
    dirList->installEventFilter(this);
    lblDirectory->setBuddy(dirList);
    connect(dirList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { dirListDblClick(dirList->row(item)); });

    cmdMkDir = new QPushButton(QStringLiteral("作成(&C)..."), this);
    cmdMkDir->setObjectName(QStringLiteral("cmdMkDir"));
    cmdMkDir->setGeometry(8, 248, 73, 25);
    cmdMkDir->setAutoDefault(false);
    connect(cmdMkDir, &QPushButton::clicked, this, &TfrmDirBrowse::cmdMkDirClick);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(96, 248, 73, 25);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmDirBrowse::cmdOKClick);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(176, 248, 73, 25);
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmDirBrowse::cmdCancelClick);

    setTabOrder(drvCombo, dirList);
    setTabOrder(dirList, cmdMkDir);
    setTabOrder(cmdMkDir, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
}

void TfrmDirBrowse::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring a minimised window is no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TfrmDirBrowse::FormShow() {
    cmdMkDir->setVisible(ShowMkDir);
    if (!BrowseDir.isEmpty() && !namesSameDirectory(BrowseDir, directory_))
        changeDirectory(BrowseDir);
    syncVolumeSelector();
}

void TfrmDirBrowse::cmdOKClick() {
    BrowseDir = directory_;
    done(1);
}

void TfrmDirBrowse::cmdCancelClick() {
    done(2);
}

void TfrmDirBrowse::reject() {
    cmdCancelClick();
}

void TfrmDirBrowse::cmdMkDirClick() {
    const std::optional<QString> name =
        prompter_.inputText(QStringLiteral("フォルダ作成"),
                            directory_ + QStringLiteral("の下に作成します"), QString(), 255);
    if (!name)
        return;
    // The name goes in as typed: a "/" in it names a deeper directory whose
    // parents must exist; an empty one names the current directory and fails.
    if (!platform::createDirectory(newDirectoryPath(directory_, *name))) {
        prompter_.warning(QStringLiteral("作成に失敗しました\n不正な名前かすでに存在しています"));
        return;
    }
    refreshList();
}

void TfrmDirBrowse::dirListDblClick(int row) {
    const QListWidgetItem* item = dirList->item(row);
    if (item != nullptr)
        changeDirectory(item->data(PathRole).toString());
}

void TfrmDirBrowse::drvComboChange(int index) {
    if (index < 0 || index >= volumes_.size() || index == volumeIndexOf(directory_, volumes_))
        return;
    const QString& volume = volumes_[index];
    QString target = lastDirectoryOnVolume(volume);
    int error = enterDirectory(target);
    // The directory last shown there may be gone by now; the volume itself is
    // the next best place.
    if (error != 0 && target != volume) {
        target = volume;
        error = enterDirectory(target);
    }
    if (error != 0) {
        reportCannotEnter(target, error);
        syncVolumeSelector();
    }
}

bool TfrmDirBrowse::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a highlighted entry opens it; on the open directory itself it
    // falls through to the default button (OK).
    if (watched == dirList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QListWidgetItem* item = dirList->currentItem();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && item != nullptr &&
            item->data(PathRole).toString() != directory_) {
            dirListDblClick(dirList->row(item));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int TfrmDirBrowse::enterDirectory(const QString& path) {
    errno = 0;
    if (!platform::setCurrentDirectory(path))
        return errno != 0 ? errno : ENOENT;
    // Read back what the kernel made of it: no "..", no trailing "/".
    showDirectory(platform::currentDirectory());
    return 0;
}

bool TfrmDirBrowse::changeDirectory(const QString& path) {
    const int error = enterDirectory(path);
    if (error != 0)
        reportCannotEnter(path, error);
    return error == 0;
}

void TfrmDirBrowse::reportCannotEnter(const QString& path, int error) {
    prompter_.error(applicationTitle(),
                    QStringLiteral("ディレクトリに移動できません: %1\n%2")
                        .arg(path, platform::FileResult::failure(error).errorText));
}

void TfrmDirBrowse::showDirectory(const QString& dir) {
    directory_ = dir;
    const int volume = volumeIndexOf(directory_, volumes_);
    if (volume >= 0)
        rememberVolumeDirectory(volumes_[volume], directory_);
    refreshList();
    syncVolumeSelector();
}

void TfrmDirBrowse::refreshList() {
    dirList->clear();
    int currentRow = -1;
    for (const DirListEntry& entry :
         dirListEntries(directory_, visibleSubdirectories(directory_))) {
        auto* item = new QListWidgetItem(dirEntryIcon(entry.kind), entry.caption, dirList);
        item->setData(PathRole, entry.path);
        item->setData(LevelRole, entry.level);
        item->setData(KindRole, static_cast<int>(entry.kind));
        if (entry.kind == DirEntryKind::CurrentFolder)
            currentRow = dirList->row(item);
    }
    dirList->setCurrentRow(currentRow);
    dirList->scrollToItem(dirList->item(currentRow));
}

void TfrmDirBrowse::syncVolumeSelector() {
    const QSignalBlocker blocker(drvCombo);
    drvCombo->setCurrentIndex(volumeIndexOf(directory_, volumes_));
}
