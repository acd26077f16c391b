#pragma once

// A window that shows the current picture as large as the screen allows, for
// judging a photo before sorting it. Its digit keys, Space and its nine
// numbered buttons go to the main window's own key handling, so a folder can
// be sorted without leaving it; Esc or Enter close it (Esc never ends the
// program here), F11 toggles full screen. Its place, size and full-screen
// state are kept in the settings file's "View" section.

#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class PicturePreview;
class QIcon;
class Picture;
class QLabel;
class QPushButton;

class TfrmLargeView : public QWidget {
    Q_OBJECT
public:
    // `keyHandler` is the main window's FormKeyPress.
    explicit TfrmLargeView(std::function<void(QChar&)> keyHandler, QWidget* parent = nullptr);
    ~TfrmLargeView() override;

    // Opens the window where it was last, or brings it forward.
    void open();
    // Shows `picture` (decoded for this window's size), named `path`, whose
    // own size is `pixelSize`.
    void showPicture(std::unique_ptr<Picture> picture, const QString& path, QSize pixelSize);
    // The text for the end of the search, shown under the picture.
    void showStatus(const QString& text);
    [[nodiscard]] PicturePreview* preview() const { return preview_; }
    // The picture area in device pixels, for decoding at its size.
    [[nodiscard]] QSize pictureArea() const;
    // Marks button `number` (1 … 9) with `icon`, explained by `toolTip`; a
    // null icon and an empty text take the mark away.
    void setClashMark(int number, const QIcon& icon, const QString& toolTip);

    std::array<QPushButton*, 9> numberButtons{};

signals:
    void pictureAreaChanged();
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void restorePlace();
    void storePlace();
    void rememberNormalPlace();

    std::function<void(QChar&)> keyHandler_;
    PicturePreview* preview_ = nullptr;
    QLabel* status_ = nullptr;
    bool placed_ = false;
    // The window's place out of full screen, without the frame: the window
    // manager's frame is known only late, so a frame position drifts.
    QRect normalPlace_;
};

// Where a window kept at `place` (without its frame) opens on a
// screen whose free area is `screen`: there if it fits, moved onto it if only
// its position is off, else `fallback` (the screen changed, or its scale).
[[nodiscard]] QRect placeOnScreen(const QRect& place, const QRect& screen, const QRect& fallback);
