#include "app/Main.h"

#include "app/ClashMarks.h"
#include "app/Hints.h"
#include "app/KeyPreview.h"
#include "app/LargeView.h"
#include "app/PluginSetup.h"
#include "app/ToolbarArt.h"
#include "core/Prompter.h"
#include "decoder/CatalogueFormats.h"
#include "decoder/DecoderPool.h"
#include "dialogs/About.h"
#include "dialogs/ApplicationTitle.h"
#include "dialogs/Dirbrowse.h"
#include "dialogs/FormFont.h"
#include "dialogs/Option.h"
#include "dialogs/QueuedInput.h"
#include "graphics/DecodedPicture.h"
#include "graphics/PictureFormats.h"
#include "graphics/PicturePreview.h"
#include "platform/InstallPaths.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "settings/RegIniFile.h"
#include "settings/RegistryException.h"
#include "settings/SettingsSchema.h"
#include "settings/SusieKey.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <optional>
#include <utility>

TfrmMain::TfrmMain(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), browser_(*this, applicationTitle()),
      sortAction_(prompter, [this] { return readOverwritePolicy(); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(applicationTitle());
    // The installed icon theme's, so the window matches the desktop entry; the
    // drawn one in a build tree.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("sorteka"), programIcon()));
    // Fixed border: system menu, minimize and close, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(formFont());
    // The decoders load the plug-ins while the window builds.
    decoders_ = std::make_unique<decoder::DecoderPool>();
    connect(decoders_.get(), &decoder::DecoderPool::pictureReady, this, &TfrmMain::takePicture);
    startLoadingPlugins();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(687, 390);
    setCentralWidget(client);
    buildToolBar(client);
    buildPanes(client);
    buildStatusBar(client);
    buildMenu();
    clashMarks_ = new ClashMarks(lvDirList, tbNum, this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The form's place, moved onto the screen where a small screen at a high
    // scale would leave part of the window off it.
    const QRect place(QPoint(283, 247), sizeHint());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : place;
    move(placeOnScreen(place, area, QRect(area.topLeft(), place.size())).topLeft());

    helpOpener = [](const QString& file) { QDesktopServices::openUrl(QUrl::fromLocalFile(file)); };

    browser_.CurrentDir.clear();
    browser_.CurrentFile.clear();
    LoadDirList();
    loadStoredState();
    paneUpdate_ = new QTimer(this);
    paneUpdate_->setSingleShot(true);
    paneUpdate_->setInterval(PaneAfterLargeViewMs);
    connect(paneUpdate_, &QTimer::timeout, this, [this] { showInPane(paneImage_); });
    imgPreview->setPicture(std::make_unique<DecodedPicture>(QImage()));
    decoders_->setViewSize(imgPreview->size());
    awaitPlugins();
    keyPreview_ = new KeyPreview(*this, [this](QChar& key) { FormKeyPress(key); });
    sortAction_.setJournal(&journal_);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::attachForms(TfrmOption* option, TfrmAboutBox* about) {
    frmOption_ = option;
    frmAboutBox_ = about;
}

void TfrmMain::loadStoredState() {
    const TRegIniFile store(settings::KeyPath);
    if (!store.isOpen())
        prompter_.warning(store.openError() +
                          QStringLiteral("\n設定は保存されません。既定の設定で起動します。"));
    setMethodIndex(store.ReadInteger(settings::SectionSetting, settings::ValueMethod,
                                     settings::DefaultMethod));
    browser_.CurrentDir = store.ReadString(settings::SectionSetting, settings::ValueCurrentDir,
                                           platform::currentDirectory());
}

void TfrmMain::LoadDirList() {
    const TRegIniFile store(settings::KeyPath);
    destinations_ = settings::readDestinations(store);
    for (const TDestination& d : destinations_) {
        QTreeWidgetItem* row = lvDirList->topLevelItem(settings::listRowOfDestination(d.Number));
        row->setText(1, d.Description);
        row->setText(2, d.Directory);
    }
    clashMarks_->refresh(destinations_);
}

void TfrmMain::LoadPlugins() {
    startLoadingPlugins();
    awaitPlugins();
}

void TfrmMain::startLoadingPlugins() {
    QStringList masks;
    {
        const TRegIniFile store(settings::KeyPath);
        if (store.ReadBool(settings::SectionSetting, settings::ValueUseSusieDirectory,
                           settings::DefaultUseSusieDirectory)) {
            // A viewer key with an empty "Path" names no folder at all.
            const QString folder =
                settings::susiePluginDirectory(platform::installedPluginDirectory());
            if (!folder.isEmpty())
                masks.append(pluginSearchMask(folder));
        } else {
            masks.append(pluginSearchMask(
                store.ReadString(settings::SectionSetting, settings::ValueSPIDirectory, {})));
        }
    }
    decoders_->setPluginMasks(masks);
}

void TfrmMain::awaitPlugins() {
    // The log lines and the formats the window offers follow what the decoders
    // loaded; the plug-ins load there meanwhile, with the window painting.
    QEventLoop loop;
    const auto done =
        connect(decoders_.get(), &decoder::DecoderPool::catalogueReady, &loop, &QEventLoop::quit);
    if (!decoders_->hasCatalogue())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    disconnect(done);
    takeCatalogue(decoders_->catalogue());
}

void TfrmMain::takeCatalogue(const decoder::Catalogue& catalogue) {
    decodable_.clear();
    for (const PictureFormat& format : PictureFormats().formats())
        decodable_.insert(format.extension.toLower());
    for (const decoder::CatalogueFormat& format : decoder::importFilterFormats(catalogue))
        decodable_.insert(format.extension.toLower());
    pluginCount_ = int(catalogue.plugins.size());
    // Plug-ins that crashed, hung or quit while loading stay named in the log,
    // also after opening a folder clears it.
    pluginNotices_.clear();
    for (const decoder::LeftOutPlugin& plugin : catalogue.leftOut)
        if (plugin.reason != decoder::NotAPluginReason)
            pluginNotices_.append(decoder::pluginLeftOutMessage(plugin.file, plugin.reason));
    clearLog();
    if (catalogue.plugins.isEmpty()) {
        AddMessage(NoPluginsMessage);
        AddMessage(OnlyBuiltInFormatsMessage);
    }
}

int TfrmMain::pluginCount() const {
    return pluginCount_;
}

void TfrmMain::AddMessage(const QString& text) {
    log_.add(platform::displayPath(text));
    Message->setPlainText(log_.text());
    Message->verticalScrollBar()->setValue(Message->verticalScrollBar()->maximum());
}

void TfrmMain::DisplayHint(const QString& hint) {
    statusPanels[0]->setText(longHint(hint));
}

int TfrmMain::methodIndex() const {
    for (size_t i = 0; i < methodItems.size(); ++i)
        if (methodItems[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

void TfrmMain::setMethodIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(methodItems.size()) - 1);
    if (index >= 0) {
        methodItems[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // No option selected: exclusive buttons refuse to clear themselves.
    for (QRadioButton* item : methodItems) {
        item->setAutoExclusive(false);
        item->setChecked(false);
        item->setAutoExclusive(true);
    }
}

void TfrmMain::FormShow() {
    for (const QString& argument : std::as_const(commandLine)) {
        // Only "-" starts a switch: "/" starts every absolute path here.
        if (argument.startsWith(u'-')) {
            prompter_.warning(QStringLiteral("コマンドラインが無効です"));
            return;
        }
        OpenDirectory(argument);
    }
}

void TfrmMain::OpenDirectory(const QString& path) {
    clashMarks_->clear();
    browser_.OpenDirectory(path);
    decodeAhead();
    discardQueuedInput();
}

void TfrmMain::NextPicture() {
    // The picture on screen is leaving; the next one gets marks of its own.
    clashMarks_->clear();
    browser_.NextPicture();
    // The new picture goes on screen now, in the key's own turn of the event
    // loop, and only then do the decoders get their next requests: decoding
    // at once, they would compete for the memory with the copy of a
    // screen-sized picture into the window.
    QCoreApplication::sendPostedEvents(largeView_ && largeView_->isVisible()
                                           ? static_cast<QWidget*>(largeView_)
                                           : static_cast<QWidget*>(this),
                                       QEvent::UpdateRequest);
    decodeAhead();
    // A key typed while the next picture was loading was meant for the one
    // before it: no key acts on a picture the user has not seen.
    discardQueuedInput();
}

bool TfrmMain::ShowPicture(const QString& path) {
    return browser_.ShowPicture(path);
}

namespace {

QString absoluteInCurrentDirectory(const QString& path) {
    return path.startsWith(platform::PathSeparator)
               ? path
               : platform::joinPath(platform::currentDirectory(), path);
}

} // namespace

bool TfrmMain::loadPicture(const QString& path) {
    // A folder may hold thousands of files that are no picture; turning those
    // away before asking a decoder spares a round trip for each.
    if (!decodable_.contains(platform::extensionOf(path).toLower()))
        return false;
    // The decoders work while this waits; the window keeps painting. Keys and
    // clicks wait too, and are dropped once the next picture is on screen.
    // The decoders have current folders of their own.
    awaitedPath_ = absoluteInCurrentDirectory(path);
    awaited_.reset();
    decoders_->requestPicture(awaitedPath_);
    if (!awaited_) {
        QEventLoop loop;
        waiting_ = &loop;
        loading_ = true;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        loading_ = false;
        waiting_ = nullptr;
    }
    const std::optional<decoder::PictureResult> result = std::exchange(awaited_, std::nullopt);
    awaitedPath_.clear();
    if (!result || !result->ok) {
        // A decoder that crashed, hung or quit on it says so; a file that is
        // simply no picture is passed over quietly, as it always was.
        if (result && result->decoderEnded)
            AddMessage(QStringLiteral("%1: %2").arg(path, result->error));
        return false;
    }
    if (largeView_ && largeView_->isVisible()) {
        largeView_->showPicture(std::make_unique<DecodedPicture>(result->image), path,
                                result->fullSize);
        // The pane, mostly under the large view, scales the screen-sized
        // picture down once the view has shown it.
        paneImage_ = result->image;
        paneUpdate_->start();
    } else {
        showInPane(result->image);
    }
    return true;
}

void TfrmMain::takePicture(const decoder::PictureResult& result) {
    if (awaitedPath_.isEmpty() || result.path != awaitedPath_)
        return;
    awaited_ = result;
    if (waiting_)
        waiting_->quit();
}

void TfrmMain::showInPane(QImage image) {
    // By value: the image may be paneImage_ itself, emptied here.
    paneUpdate_->stop();
    paneImage_ = QImage();
    imgPreview->setPicture(std::make_unique<DecodedPicture>(std::move(image)));
}

void TfrmMain::ShowLargeView() {
    if (!largeView_) {
        largeView_ = new TfrmLargeView([this](QChar& key) { FormKeyPress(key); }, this);
        largeView_->addAction(mnuFileUndo); // Ctrl+Z there too
        clashMarks_->setLargeView(largeView_);
        // A resized view gets the picture decoded at its new size once the
        // resizing settles.
        auto* settle = new QTimer(largeView_);
        settle->setSingleShot(true);
        settle->setInterval(150);
        connect(settle, &QTimer::timeout, this, [this] {
            if (!largeView_->isVisible() || browser_.CurrentFile.isEmpty() || loading_)
                return;
            updateViewSize();
            (void)loadPicture(browser_.CurrentDir + browser_.CurrentFile);
        });
        connect(largeView_, &TfrmLargeView::pictureAreaChanged, settle,
                qOverload<>(&QTimer::start));
        connect(largeView_, &TfrmLargeView::closed, this, [this] {
            // Back to the pane's size once the window has gone.
            QMetaObject::invokeMethod(
                this, [this] { updateViewSize(); }, Qt::QueuedConnection);
        });
    }
    largeView_->open();
    clashMarks_->refresh(destinations_);
    updateViewSize();
    // The picture on screen again, now at the large view's size.
    if (!browser_.CurrentFile.isEmpty())
        (void)loadPicture(browser_.CurrentDir + browser_.CurrentFile);
}

void TfrmMain::updateViewSize() {
    const bool large = largeView_ && largeView_->isVisible();
    decoders_->setViewSize(large ? largeView_->pictureArea()
                                 : imgPreview->size() * imgPreview->devicePixelRatioF());
}

void TfrmMain::decodeAhead() {
    // The decoders keep what fits their budget of the list, front first.
    constexpr int AheadAtMost = 16;
    QStringList upcoming = browser_.upcomingPaths(
        [this](const QString& name) {
            return decodable_.contains(platform::extensionOf(name).toLower());
        },
        AheadAtMost);
    for (QString& path : upcoming)
        path = absoluteInCurrentDirectory(path);
    decoders_->setUpcoming(upcoming);
}

void TfrmMain::setCaption(const QString& caption) {
    setWindowTitle(platform::displayPath(caption));
}

void TfrmMain::setPicturePanel(const QString& text) {
    // A long path loses its middle, not the file name; the tooltip has it whole.
    QLabel* panel = statusPanels[1];
    const QString shown = platform::displayPath(text);
    // indent() is -1 (none set) unless a style asks for one.
    const int room =
        panel->contentsRect().width() - 2 * panel->margin() - 2 * std::max(panel->indent(), 0);
    panel->setText(panel->fontMetrics().elidedText(shown, Qt::ElideMiddle, std::max(room, 1)));
    panel->setToolTip(text == PictureBrowser::EndOfSearchText ? QString() : shown);
    // A path here is the picture just shown: its clashes are looked up now,
    // before any key. The end text leaves the last picture's marks, as it can
    // still be sorted.
    if (text != PictureBrowser::EndOfSearchText)
        clashMarks_->show(text, destinations_);
    if (largeView_ && text == PictureBrowser::EndOfSearchText)
        largeView_->showStatus(text);
}

void TfrmMain::clearLog() {
    log_.clear();
    Message->clear();
    for (const QString& notice : std::as_const(pluginNotices_))
        AddMessage(notice);
}

void TfrmMain::warning(const QString& text) {
    prompter_.warning(text);
}

void TfrmMain::FormClose() {
    try {
        TRegIniFile store(settings::KeyPath);
        store.WriteInteger(settings::SectionSetting, settings::ValueMethod, methodIndex());
        store.WriteString(settings::SectionSetting, settings::ValueCurrentDir, browser_.CurrentDir);
    } catch (const ERegistryException& error) {
        // Closing still ends the program; say what could not be kept.
        prompter_.error(applicationTitle(), error.message());
    }
    browser_.CloseSearch();
}

void TfrmMain::FormKeyPress(QChar& key) {
    // While the next picture is on its way, no picture the key could mean is
    // on screen: the one shown was sorted or passed over already.
    if (loading_ && key != QChar(0x1B))
        return;
    if (key == u'\r') {
        ShowLargeView();
    } else if (key == u' ') {
        NextPicture();
    } else if (key == QChar(0x1B)) {
        const TRegIniFile store(settings::KeyPath);
        if (store.ReadBool(settings::SectionSetting, settings::ValueCanQuitESC,
                           settings::DefaultCanQuitESC))
            mnuExitClick();
    } else if (const int number = settings::destinationOfDigitKey(key)) {
        sortTo(number);
    }
}

void TfrmMain::sortTo(int number) {
    if (browser_.CurrentFile.isEmpty())
        return;
    const TDestination& destination = destinations_.at(static_cast<std::size_t>(number - 1));
    const SortResult result = sortAction_.run({number, destination.Directory, browser_.CurrentDir,
                                               browser_.CurrentFile, methodIndex() != smCopy});
    if (!result.done) {
        // A refused or failed sort may still have made a folder or renamed a file.
        clashMarks_->refresh(destinations_);
        return;
    }
    AddMessage(result.logLine);
    if (!result.notice.isEmpty())
        AddMessage(result.notice);
    NextPicture();
}

void TfrmMain::mnuFileUndoClick() {
    // Not while the next picture is on its way (the search is mid-step), and
    // one undo at a time: a warning's own event loop must not start another.
    if (loading_ || undoing_)
        return;
    undoing_ = true;
    const auto done = qScopeGuard([this] { undoing_ = false; });
    const UndoOutcome outcome = undo_.undoLast();
    if (outcome.state == UndoOutcome::State::Nothing) {
        AddMessage(Undo::NothingToUndo);
        return;
    }
    if (outcome.state == UndoOutcome::State::Refused) {
        prompter_.warning(outcome.problem);
        return;
    }
    AddMessage(outcome.logLine);
    if (!outcome.problem.isEmpty())
        prompter_.warning(outcome.problem);
    // A picture of the folder being browsed is shown again and the search
    // goes on after it; one of another folder is only put back.
    const QString folder = platform::directoryOf(outcome.entry.source);
    if (!browser_.CurrentDir.isEmpty() &&
        folder == absoluteInCurrentDirectory(browser_.CurrentDir)) {
        browser_.stepBackTo(platform::fileNameOf(outcome.entry.source));
        decodeAhead();
        discardQueuedInput();
    } else {
        // Files came and went in the destinations of the picture on screen.
        clashMarks_->refresh(destinations_);
    }
}

int TfrmMain::readOverwritePolicy() const {
    const TRegIniFile store(settings::KeyPath);
    return store.ReadInteger(settings::SectionSetting, settings::ValueOverwrite,
                             settings::DefaultOverwrite);
}

void TfrmMain::tbNumClick(int tag) {
    const int number = settings::destinationOfToolbarTag(tag);
    if (number == 0)
        return;
    QChar key = settings::digitKeyOfDestination(number);
    FormKeyPress(key);
}

void TfrmMain::mnuFileDirOpenClick() {
    TfrmDirBrowse chooser(prompter_, this);
    frmDirBrowse = &chooser;
    const auto forget = qScopeGuard([] { frmDirBrowse = nullptr; });
    chooser.BrowseDir = browser_.CurrentDir;
    chooser.ShowMkDir = false;
    if (chooser.exec() == 1)
        OpenDirectory(chooser.BrowseDir);
}

void TfrmMain::mnuExitClick() {
    // Leaves the event loop at once; the close handler that saves does not run.
    QCoreApplication::exit(0);
}

void TfrmMain::mnuHelpContentsClick() {
    if (helpOpener)
        helpOpener(HelpFile);
}

void TfrmMain::mnuHelpAboutClick() {
    if (frmAboutBox_)
        frmAboutBox_->exec();
}

void TfrmMain::ShowOption() {
    if (frmOption_ && frmOption_->exec() == QDialog::Accepted) {
        LoadDirList();
        LoadPlugins();
    }
}

bool TfrmMain::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        DisplayHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Pictures come from the decoders at the pane's size in device pixels.
    updateViewSize();
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}
