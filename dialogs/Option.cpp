#include "dialogs/Option.h"

#include "core/Prompter.h"
#include "dialogs/ApplicationTitle.h"
#include "dialogs/Dirbrowse.h"
#include "dialogs/FormFont.h"
#include "dialogs/RadioGroup.h"
#include "dialogs/StringGrid.h"
#include "settings/RegIniFile.h"
#include "settings/RegistryException.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QShowEvent>

namespace {

constexpr int BrowseButtonGap = 8; // between the grid's label and its "..." button

} // namespace

TfrmOption::TfrmOption(Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
    buildControls();
    buildGrid();
    showDefaults();
    // The button follows the label's real width in the font in use.
    cmdDirBrowse->move(lblDirectory->x() + lblDirectory->width() + BrowseButtonGap,
                       cmdDirBrowse->y());
}

void TfrmOption::buildControls() {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedForm(*this, 400, 423);
    move(536, 156);

    ogrpOverwrite = new RadioGroup(QStringLiteral("上書き設定(&O)"),
                                   {QStringLiteral("上書きの確認をする(&D)"),
                                    QStringLiteral("新しいファイルに自動的に番号を振る(&N)"),
                                    QStringLiteral("古いファイルに自動的に番号を振る(&L)")},
                                   this);
    ogrpOverwrite->setObjectName(QStringLiteral("ogrpOverwrite"));
    ogrpOverwrite->setGeometry(8, 8, 281, 81);
    for (int i = 0; i < ogrpOverwrite->count(); ++i)
        ogrpOverwrite->item(i)->setObjectName(QStringLiteral("ogrpOverwriteItem%1").arg(i));

    fraSusie = new QGroupBox(QStringLiteral("Susie プラグイン"), this);
    fraSusie->setObjectName(QStringLiteral("fraSusie"));
    fraSusie->setGeometry(8, 96, 385, 65);

    chkUseSusieDir = new QCheckBox(QStringLiteral("Susieのディレクトリを使用(&U)"), fraSusie);
    chkUseSusieDir->setObjectName(QStringLiteral("chkUseSusieDir"));
    chkUseSusieDir->setGeometry(88, 16, 257, 17);
    // Every change of state, by the user or by loading, updates the controls.
    connect(chkUseSusieDir, &QCheckBox::toggled, this, &TfrmOption::chkUseSusieDirClick);

    Label1 = new QLabel(QStringLiteral("ディレクトリ(&P):"), fraSusie);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 40);

    txtSusieDir = new QLineEdit(fraSusie);
    txtSusieDir->setObjectName(QStringLiteral("txtSusieDir"));
    txtSusieDir->setGeometry(88, 38, 265, 20);
    // Sized after the buddy is set: until then the "&" shows as a character.
    Label1->setBuddy(txtSusieDir);
    Label1->adjustSize();

    cmdSusieDirBrowse = new QPushButton(QStringLiteral("..."), fraSusie);
    cmdSusieDirBrowse->setObjectName(QStringLiteral("cmdSusieDirBrowse"));
    cmdSusieDirBrowse->setGeometry(360, 40, 17, 17);
    connect(cmdSusieDirBrowse, &QPushButton::clicked, this, &TfrmOption::cmdSusieDirBrowseClick);

    fraOthers = new QGroupBox(QStringLiteral("その他の設定"), this);
    fraOthers->setObjectName(QStringLiteral("fraOthers"));
    fraOthers->setGeometry(8, 168, 385, 41);

    chkCanQuitESC = new QCheckBox(QStringLiteral("ESCキーで終了できるようにする(&E)"), fraOthers);
    chkCanQuitESC->setObjectName(QStringLiteral("chkCanQuitESC"));
    chkCanQuitESC->setGeometry(8, 16, 345, 17);

    lblDirectory = new QLabel(QStringLiteral("保存ディレクトリ(&S)"), this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    lblDirectory->move(16, 216);

    grdDirectory = new StringGrid(GridRows, GridColumns, this);
    grdDirectory->setObjectName(QStringLiteral("grdDirectory"));
    grdDirectory->setGeometry(8, 232, 385, 153);
    lblDirectory->setBuddy(grdDirectory);
    lblDirectory->adjustSize();

    cmdDirBrowse = new QPushButton(QStringLiteral("..."), this);
    cmdDirBrowse->setObjectName(QStringLiteral("cmdDirBrowse"));
    cmdDirBrowse->setGeometry(120, 212, 17, 17);
    connect(cmdDirBrowse, &QPushButton::clicked, this, &TfrmOption::cmdDirBrowseClick);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(232, 392, 73, 25);
    cmdOK->setDefault(true);
    // The result is set before the handler runs, so a failed save still accepts.
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        setResult(1);
        cmdOKClick();
    });

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(312, 392, 73, 25);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        setResult(2);
        cmdCancelClick();
    });

    setTabOrder(ogrpOverwrite->item(0), ogrpOverwrite->item(1));
    setTabOrder(ogrpOverwrite->item(1), ogrpOverwrite->item(2));
    setTabOrder(ogrpOverwrite->item(2), chkUseSusieDir);
    setTabOrder(chkUseSusieDir, txtSusieDir);
    setTabOrder(txtSusieDir, cmdSusieDirBrowse);
    setTabOrder(cmdSusieDirBrowse, chkCanQuitESC);
    setTabOrder(chkCanQuitESC, grdDirectory);
    setTabOrder(grdDirectory, cmdDirBrowse);
    setTabOrder(cmdDirBrowse, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
}

void TfrmOption::buildGrid() {
    grdDirectory->setCellWidth(NumberColumn, 30);
    grdDirectory->setCellWidth(DescriptionColumn, 160);
    grdDirectory->setCellWidth(DirectoryColumn, 170);
    grdDirectory->setCellHeights(GridRowHeight);
    grdDirectory->setCellText(0, NumberColumn, QStringLiteral("No"));
    grdDirectory->setCellText(0, DescriptionColumn, QStringLiteral("項目名"));
    grdDirectory->setCellText(0, DirectoryColumn, QStringLiteral("ディレクトリ名"));
    for (int number = 1; number <= DestinationCount; ++number)
        grdDirectory->setCellText(settings::gridRowOfDestination(number), NumberColumn,
                                  QString::number(number));
}

void TfrmOption::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring a minimised window is no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TfrmOption::FormShow() {
    showDefaults();
    try {
        loadSettings();
    } catch (const ERegistryException& error) {
        prompter_.error(applicationTitle(), error.message());
    }
    ogrpOverwrite->focusItems();
}

void TfrmOption::showDefaults() {
    ogrpOverwrite->setItemIndex(settings::DefaultOverwrite);
    chkUseSusieDir->setChecked(settings::DefaultUseSusieDirectory);
    chkUseSusieDirClick(); // the state may not have changed, the controls must still agree
    txtSusieDir->clear();
    chkCanQuitESC->setChecked(settings::DefaultCanQuitESC);
    for (int number = 1; number <= DestinationCount; ++number) {
        const int row = settings::gridRowOfDestination(number);
        grdDirectory->setCellText(row, DescriptionColumn, settings::defaultDescription(number));
        grdDirectory->setCellText(row, DirectoryColumn, settings::defaultDirectory());
    }
}

void TfrmOption::loadSettings() {
    using namespace settings;
    // Each value goes into its control as soon as it is read, so a failure
    // leaves everything read before it on show.
    const TRegIniFile store(KeyPath);
    ogrpOverwrite->setItemIndex(
        store.ReadInteger(SectionSetting, ValueOverwrite, DefaultOverwrite));
    chkUseSusieDir->setChecked(
        store.ReadBool(SectionSetting, ValueUseSusieDirectory, DefaultUseSusieDirectory));
    txtSusieDir->setText(store.ReadString(SectionSetting, ValueSPIDirectory, QString()));
    chkCanQuitESC->setChecked(store.ReadBool(SectionSetting, ValueCanQuitESC, DefaultCanQuitESC));
    for (int number = 1; number <= DestinationCount; ++number) {
        const QString section = sectionOfDestination(number);
        const int row = gridRowOfDestination(number);
        grdDirectory->setCellText(
            row, DescriptionColumn,
            store.ReadString(section, ValueDescription, defaultDescription(number)));
        grdDirectory->setCellText(row, DirectoryColumn,
                                  store.ReadString(section, ValueDirectory, defaultDirectory()));
    }
}

void TfrmOption::chkUseSusieDirClick() {
    const bool editable = !chkUseSusieDir->isChecked();
    txtSusieDir->setEnabled(editable);
    QPalette palette = txtSusieDir->palette();
    const QPalette standard = QApplication::palette(txtSusieDir);
    const QColor background = editable ? standard.color(QPalette::Active, QPalette::Base)
                                       : standard.color(QPalette::Active, QPalette::Button);
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    txtSusieDir->setPalette(palette);
    cmdSusieDirBrowse->setEnabled(editable);
}

std::optional<QString> TfrmOption::chooseDirectory(const QString& start, bool showMkDir) {
    TfrmDirBrowse chooser(prompter_, this);
    frmDirBrowse = &chooser;
    const auto forget = qScopeGuard([] { frmDirBrowse = nullptr; });
    chooser.BrowseDir = start;
    chooser.ShowMkDir = showMkDir;
    if (chooser.exec() != 1)
        return std::nullopt;
    return chooser.BrowseDir;
}

void TfrmOption::cmdSusieDirBrowseClick() {
    if (const auto chosen = chooseDirectory(txtSusieDir->text(), false))
        txtSusieDir->setText(*chosen);
}

void TfrmOption::cmdDirBrowseClick() {
    grdDirectory->commitEditing();
    const int row = grdDirectory->currentGridRow();
    if (!settings::isDestinationNumber(row))
        return;
    if (const auto chosen = chooseDirectory(grdDirectory->cellText(row, DirectoryColumn), true))
        grdDirectory->setCellText(row, DirectoryColumn, *chosen);
}

TDestinations TfrmOption::destinationsInGrid() const {
    TDestinations destinations;
    for (int number = 1; number <= DestinationCount; ++number) {
        const int row = settings::gridRowOfDestination(number);
        destinations[static_cast<size_t>(number - 1)] = {
            number, grdDirectory->cellText(row, DescriptionColumn),
            grdDirectory->cellText(row, DirectoryColumn)};
    }
    return destinations;
}

void TfrmOption::saveSettings() {
    using namespace settings;
    // Nothing is checked: every text is stored exactly as typed.
    TRegIniFile store(KeyPath);
    store.WriteInteger(SectionSetting, ValueOverwrite, ogrpOverwrite->itemIndex());
    store.WriteBool(SectionSetting, ValueUseSusieDirectory, chkUseSusieDir->isChecked());
    store.WriteString(SectionSetting, ValueSPIDirectory, txtSusieDir->text());
    store.WriteBool(SectionSetting, ValueCanQuitESC, chkCanQuitESC->isChecked());
    writeDestinations(store, destinationsInGrid());
}

void TfrmOption::cmdOKClick() {
    // A cell still being edited counts with what has been typed so far.
    grdDirectory->commitEditing();
    try {
        saveSettings();
    } catch (const ERegistryException& error) {
        prompter_.error(applicationTitle(), error.message());
    }
    done(1);
}

void TfrmOption::cmdCancelClick() {
    done(2);
}

void TfrmOption::reject() {
    cmdCancelClick();
}
