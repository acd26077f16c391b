#include "core/PictureBrowser.h"

#include "core/NameOrder.h"
#include "platform/DirectoryEnumeration.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

PictureBrowser::PictureBrowser(BrowsingView& view, QString applicationTitle)
    : view_(view), title_(std::move(applicationTitle)) {}

PictureBrowser::SearchState PictureBrowser::searchState() const {
    if (!searching_)
        return SearchState::None;
    return hasNext() ? SearchState::Running : SearchState::Exhausted;
}

void PictureBrowser::OpenDirectory(const QString& path) {
    CurrentDir = path;
    view_.setCaption(title_ + QStringLiteral(" - ") + CurrentDir);
    CurrentDir = platform::includeTrailingSeparator(CurrentDir);

    CloseSearch();
    searching_ = true;
    if (auto enumeration = platform::DirectoryEnumeration::open(
            CurrentDir, platform::AttributeRule::filesOnly())) {
        while (auto entry = enumeration->next())
            names_.append(std::move(entry->name));
    }
    names_ = sortedInNameOrder(std::move(names_));
    if (!hasNext()) {
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
    while (hasNext() && !ok) {
        const QString name = names_[next_++];
        ok = ShowPicture(CurrentDir + name);
        if (ok)
            CurrentFile = name;
    }
    if (!ok && !PictureShown)
        view_.warning(NothingReadableMessage);
    if (!hasNext()) {
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

void PictureBrowser::stepBackTo(const QString& name) {
    QStringList back{name};
    if (!CurrentFile.isEmpty() && CurrentFile != name &&
        platform::fileExists(CurrentDir + CurrentFile))
        back.append(CurrentFile);
    if (!searching_) {
        // The search had ended: it begins again with what comes back.
        names_.clear();
        next_ = 0;
        searching_ = true;
    }
    for (qsizetype i = 0; i < back.size(); ++i)
        names_.insert(next_ + i, back[i]);
    NextPicture();
}

void PictureBrowser::CloseSearch() {
    names_.clear();
    next_ = 0;
    searching_ = false;
}

QStringList PictureBrowser::upcomingPaths(const std::function<bool(const QString&)>& wanted,
                                          int count) const {
    constexpr qsizetype LookFurthest = 4096; // a folder of other files is no reason to stall
    QStringList paths;
    for (qsizetype i = next_; i < names_.size() && i < next_ + LookFurthest && paths.size() < count;
         ++i) {
        if (wanted(names_[i]))
            paths.append(CurrentDir + names_[i]);
    }
    return paths;
}
