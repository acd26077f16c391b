#include "app/PictureBrowser.h"

#include "platform/Paths.h"

PictureBrowser::PictureBrowser(BrowsingView& view, QString applicationTitle)
    : view_(view), title_(std::move(applicationTitle)) {}

PictureBrowser::SearchState PictureBrowser::searchState() const {
    if (!searching_)
        return SearchState::None;
    return current_ ? SearchState::Running : SearchState::Exhausted;
}

void PictureBrowser::OpenDirectory(const QString& path) {
    CurrentDir = path;
    view_.setCaption(title_ + QStringLiteral(" - ") + CurrentDir);
    CurrentDir = platform::includeTrailingSeparator(CurrentDir);

    CloseSearch();
    searching_ = true;
    enumeration_ =
        platform::DirectoryEnumeration::open(CurrentDir, platform::AttributeRule::filesOnly());
    advance();
    if (!current_) {
        view_.warning(NoFilesMessage);
        return;
    }
    view_.clearLog();
    PictureShown = false;
    NextPicture();
}

void PictureBrowser::NextPicture() {
    if (!searching_) {
        CurrentFile.clear();
        return;
    }
    bool ok = false;
    while (current_ && !ok) {
        const QString name = current_->name;
        ok = ShowPicture(CurrentDir + name);
        if (ok)
            CurrentFile = name;
        advance();
    }
    if (!ok && !PictureShown)
        view_.warning(NothingReadableMessage);
    if (!current_) {
        view_.setPicturePanel(EndOfSearchText);
        CloseSearch();
    }
}

bool PictureBrowser::ShowPicture(const QString& path) {
    if (!view_.loadPicture(path))
        return false;
    view_.setPicturePanel(path);
    PictureShown = true;
    return true;
}

void PictureBrowser::CloseSearch() {
    if (enumeration_)
        enumeration_->close();
    enumeration_.reset();
    current_.reset();
    searching_ = false;
}

void PictureBrowser::advance() {
    current_ = enumeration_ ? enumeration_->next() : std::nullopt;
    if (!current_ && enumeration_) {
        // Release the folder as soon as its last entry has been fetched.
        enumeration_->close();
        enumeration_.reset();
    }
}
