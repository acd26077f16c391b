#pragma once

// Turns a source folder into a stream of pictures shown one at a time: the
// folder's files in the order a file manager lists them (NameOrder.h),
// forwards only, skipping every file that does not load. The folder's names
// are read when it opens; the search stays one name ahead of the picture on
// screen, so the end is noticed while the last picture is still shown.

#include <QString>
#include <QStringList>
#include <functional>

// What browsing needs of the window around it.
class BrowsingView {
public:
    virtual ~BrowsingView() = default;
    // Loads the picture at `path` into the preview; false (preview unchanged)
    // when it cannot be loaded for any reason.
    virtual bool loadPicture(const QString& path) = 0;
    virtual void setCaption(const QString& caption) = 0;
    // The second status panel: the picture's path or the end text.
    virtual void setPicturePanel(const QString& text) = 0;
    virtual void clearLog() = 0;
    virtual void warning(const QString& text) = 0;
};

class PictureBrowser {
public:
    static inline const QString EndOfSearchText = QStringLiteral("最後まで検索しました");
    static inline const QString NoFilesMessage = QStringLiteral("ファイルがありません");
    static inline const QString NothingReadableMessage =
        QStringLiteral("読み込むことが出来るファイルが\nありませんでした");

    PictureBrowser(BrowsingView& view, QString applicationTitle);

    // The source folder; once a folder was opened it ends with "/". Relative
    // paths stay relative and resolve against the current directory at each use.
    QString CurrentDir;
    // Name of the picture last shown; digit keys act on CurrentDir + CurrentFile.
    QString CurrentFile;
    // True once a picture loaded since the folder was opened.
    bool PictureShown = false;

    enum class SearchState { None, Running, Exhausted };
    [[nodiscard]] SearchState searchState() const;

    void OpenDirectory(const QString& path);
    void NextPicture();
    bool ShowPicture(const QString& path);
    // Ends a running search (the window is closing).
    void CloseSearch();
    // Steps the search back to `name`, a file of CurrentDir that an undo put
    // back, and shows it: the picture that was on screen comes next again (if
    // it is still there), then the rest of the search as before.
    void stepBackTo(const QString& name);
    // The paths of the next files the search will try that `wanted` accepts,
    // at most `count`, in order; for decoding ahead. Looks a bounded way on.
    [[nodiscard]] QStringList upcomingPaths(const std::function<bool(const QString&)>& wanted,
                                            int count) const;

private:
    [[nodiscard]] bool hasNext() const { return next_ < names_.size(); }

    BrowsingView& view_;
    QString title_;
    bool searching_ = false; // false: no folder being searched at all
    QStringList names_;      // the folder's files in name order
    qsizetype next_ = 0;     // the next of them to try
};
