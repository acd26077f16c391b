#include "app/LargeView.h"

#include "core/PictureBrowser.h"
#include "graphics/Picture.h"
#include "graphics/PicturePreview.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "settings/RegIniFile.h"
#include "settings/RegistryException.h"
#include "settings/SettingsSchema.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

const QString SectionView = QStringLiteral("View");

} // namespace

TfrmLargeView::TfrmLargeView(std::function<void(QChar&)> keyHandler, QWidget* parent)
    : QWidget(parent, Qt::Window), keyHandler_(std::move(keyHandler)) {
    setObjectName(QStringLiteral("frmLargeView"));
    setWindowTitle(QStringLiteral("大きく表示"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    preview_ = new PicturePreview(this);
    preview_->setObjectName(QStringLiteral("imgLargeView"));
    preview_->setMinimumSize(64, 64);
    layout->addWidget(preview_, 1);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(4, 0, 4, 0);
    for (int n = 1; n <= 9; ++n) {
        auto* button = new QPushButton(QString::number(n), this);
        button->setObjectName(QStringLiteral("cmdNum%1").arg(n));
        // Buttons take no keyboard focus: every key goes to the window.
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumWidth(24);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, n] {
            QChar key(QChar(u'0' + n));
            keyHandler_(key);
        });
        numberButtons[size_t(n - 1)] = button;
        row->addWidget(button);
    }
    status_ = new QLabel(this);
    // The end of the search is told here: the view is never made so narrow
    // that the buttons leave no room for it.
    status_->setMinimumWidth(
        status_->fontMetrics().horizontalAdvance(PictureBrowser::EndOfSearchText) +
        2 * status_->margin());
    row->addWidget(status_, 1);
    layout->addLayout(row);
    setFocusPolicy(Qt::StrongFocus);
}

TfrmLargeView::~TfrmLargeView() = default;

void TfrmLargeView::open() {
    if (!placed_) {
        restorePlace();
        placed_ = true;
    } else if (isHidden()) {
        // Shown again the way it was first shown: placed while hidden, then
        // full screen. A window manager that is handed a window already full
        // screen keeps it screen-sized when it leaves full screen.
        const Qt::WindowStates state = windowState();
        setWindowState(state & ~Qt::WindowFullScreen);
        setGeometry(normalPlace_);
        setWindowState(state);
    }
    if (isHidden())
        show();
    raise();
    activateWindow();
}

void TfrmLargeView::showPicture(std::unique_ptr<Picture> picture, const QString& path,
                                QSize pixelSize) {
    preview_->setPicture(std::move(picture));
    // The title follows the picture's paint: the window manager redraws the
    // frame for it, and the picture is what the key was for.
    const QString title = QStringLiteral("%1 (%2 × %3)")
                              .arg(platform::displayPath(platform::fileNameOf(path)))
                              .arg(pixelSize.width())
                              .arg(pixelSize.height());
    QMetaObject::invokeMethod(
        this, [this, title] { setWindowTitle(title); }, Qt::QueuedConnection);
    if (!status_->text().isEmpty()) // a cleared label lays the window out again
        status_->clear();
}

void TfrmLargeView::showStatus(const QString& text) {
    status_->setText(text);
}

QSize TfrmLargeView::pictureArea() const {
    return preview_->size() * preview_->devicePixelRatioF();
}

void TfrmLargeView::setClashMark(int number, const QIcon& icon, const QString& toolTip) {
    QPushButton* button = numberButtons.at(size_t(number - 1));
    button->setIcon(icon);
    button->setToolTip(toolTip);
}

void TfrmLargeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        close();
        return;
    case Qt::Key_F11:
        rememberNormalPlace();
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && (text[0] == u' ' || (text[0] >= u'1' && text[0] <= u'9'))) {
        QChar key = text[0];
        keyHandler_(key);
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmLargeView::closeEvent(QCloseEvent* event) {
    storePlace();
    event->accept();
    emit closed();
}

void TfrmLargeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rememberNormalPlace();
    emit pictureAreaChanged();
}

void TfrmLargeView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    rememberNormalPlace();
}

void TfrmLargeView::rememberNormalPlace() {
    if (isVisible() &&
        !(windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized)))
        normalPlace_ = geometry();
}

QRect placeOnScreen(const QRect& place, const QRect& screen, const QRect& fallback) {
    if (!place.isValid() || place.width() > screen.width() || place.height() > screen.height())
        return fallback;
    QRect moved = place;
    moved.moveLeft(std::clamp(place.left(), screen.left(), screen.right() - place.width() + 1));
    moved.moveTop(std::clamp(place.top(), screen.top(), screen.bottom() - place.height() + 1));
    return moved;
}

void TfrmLargeView::restorePlace() {
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect primaryArea = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    // Most of the screen the first time, or when the kept place no longer fits.
    const auto firstPlace = [](const QRect& area) {
        return area.adjusted(area.width() / 10, area.height() / 10, -area.width() / 10,
                             -area.height() / 10);
    };
    QRect place = firstPlace(primaryArea);
    bool fullScreen = false;
    try {
        const TRegIniFile store(settings::KeyPath);
        place = QRect(store.ReadInteger(SectionView, QStringLiteral("Left"), place.left()),
                      store.ReadInteger(SectionView, QStringLiteral("Top"), place.top()),
                      store.ReadInteger(SectionView, QStringLiteral("Width"), place.width()),
                      store.ReadInteger(SectionView, QStringLiteral("Height"), place.height()));
        fullScreen = store.ReadBool(SectionView, QStringLiteral("FullScreen"), false);
    } catch (const ERegistryException&) {
        // A store that cannot be read leaves the window where it would go first.
    }
    // A screen unplugged, or scaled up since, must not leave the window (and
    // its buttons) off screen, nor its title bar: this window's frame is not
    // known before it is shown, so the main window's stands in for it.
    QMargins frame;
    if (const QWidget* owner = parentWidget(); owner && owner->isVisible()) {
        const QRect outer = owner->frameGeometry();
        const QRect inner = owner->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    QScreen* screen = QGuiApplication::screenAt(place.center());
    const QRect area = (screen ? screen->availableGeometry() : primaryArea) - frame;
    place = placeOnScreen(place, area, firstPlace(area));
    place.setSize(place.size().expandedTo(minimumSizeHint()));
    setGeometry(place);
    normalPlace_ = place;
    if (fullScreen)
        setWindowState(windowState() | Qt::WindowFullScreen);
}

void TfrmLargeView::storePlace() {
    const bool fullScreen = windowState() & Qt::WindowFullScreen;
    rememberNormalPlace();
    const QRect place = normalPlace_.isValid() ? normalPlace_ : geometry();
    try {
        TRegIniFile store(settings::KeyPath);
        store.WriteInteger(SectionView, QStringLiteral("Left"), place.left());
        store.WriteInteger(SectionView, QStringLiteral("Top"), place.top());
        store.WriteInteger(SectionView, QStringLiteral("Width"), place.width());
        store.WriteInteger(SectionView, QStringLiteral("Height"), place.height());
        store.WriteBool(SectionView, QStringLiteral("FullScreen"), fullScreen);
    } catch (const ERegistryException&) {
        // Not kept: the window opens where it would go first next time.
    }
}
