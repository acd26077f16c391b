// Undo of copies and moves from the journal, under each name-clash policy,
// across a restart, and what it refuses: a copy changed since it was written,
// a source name taken meanwhile. After an undo in the open folder the picture
// is shown again and the search goes on after it. (An undo cut short by a
// kill is finished by the next: tests/safety.)

#include "core/Journal.h"
#include "core/PictureBrowser.h"
#include "core/SortAction.h"
#include "core/Undo.h"
#include "platform/DirectoryEnumeration.h"
#include "platform/FileIdentity.h"
#include "platform/NativePath.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The files of `folder` by their own names, hidden ones too, in byte order.
QStringList namesIn(const QString& folder) {
    platform::AttributeRule everyFile;
    everyFile.hidden = true;
    QStringList names;
    if (auto listing = platform::DirectoryEnumeration::open(folder, everyFile))
        while (auto entry = listing->next())
            names.append(entry->name);
    names.sort();
    return names;
}

QString trashFiles() {
    return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
}

class UndoTest : public ::testing::Test {
protected:
    TempDir tmp;
    ScriptedPrompter prompter;
    int policy = 0;
    QString source;
    QString dest;
    QString journalPath;

    void SetUp() override {
        source = tmp.mkdir("source") + "/";
        dest = tmp.mkdir("dest") + "/";
        journalPath = tmp.file("state/journal");
        QDir(trashFiles()).removeRecursively();
    }

    // One sort in a run of its own; the journal is read anew each time.
    SortResult sort(const QString& name, bool move) {
        Journal journal(journalPath);
        SortAction action(prompter, [this] { return policy; });
        action.setJournal(&journal);
        return action.run({3, dest, source, name, move});
    }
    UndoOutcome undoLast() {
        Journal journal(journalPath);
        return Undo(journal).undoLast();
    }
};

} // namespace

TEST_F(UndoTest, EveryMethodAndPolicyIsUndoneByteForByteAfterARestart) {
    struct Case {
        bool move;
        int policy; // -1: no clash at all
    };
    for (const Case c : {Case{false, -1}, Case{true, -1}, Case{false, 0}, Case{true, 0},
                         Case{false, 1}, Case{true, 1}, Case{false, 2}, Case{true, 2}}) {
        SCOPED_TRACE((c.move ? "move, policy " : "copy, policy ") + std::to_string(c.policy));
        tmp.write("source/tama.jpg", "the picture");
        if (c.policy >= 0)
            tmp.write("dest/tama.jpg", "the older file");
        policy = std::max(c.policy, 0);
        prompter.confirmAnswers = {true};
        const SortResult sorted = sort("tama.jpg", c.move);
        ASSERT_TRUE(sorted.done);
        EXPECT_TRUE(sorted.notice.isEmpty()) << sorted.notice.toStdString();
        if (c.policy == 0) {
            EXPECT_EQ(readAll(trashFiles() + "/tama.jpg"), "the older file");
        }

        const UndoOutcome undone = undoLast();
        ASSERT_EQ(undone.state, UndoOutcome::State::Done) << undone.problem.toStdString();
        EXPECT_TRUE(undone.problem.isEmpty()) << undone.problem.toStdString();
        EXPECT_EQ(undone.logLine, "元に戻しました: " + sorted.logLine);
        EXPECT_EQ(readAll(source + "tama.jpg"), "the picture");
        EXPECT_EQ(namesIn(source), QStringList{"tama.jpg"});
        if (c.policy >= 0) {
            EXPECT_EQ(readAll(dest + "tama.jpg"), "the older file");
            EXPECT_EQ(namesIn(dest), QStringList{"tama.jpg"});
        } else {
            EXPECT_TRUE(namesIn(dest).isEmpty());
        }
        EXPECT_TRUE(namesIn(trashFiles()).isEmpty());
        // Undone once only, also after another restart.
        EXPECT_EQ(undoLast().state, UndoOutcome::State::Nothing);
        EXPECT_TRUE(prompter.warnings.isEmpty());
        QFile::remove(dest + "tama.jpg");
    }
}

TEST_F(UndoTest, ANameInAnotherEncodingComesBackFromTheTrashByItsOwnBytes) {
    // "猫.jpg" in Shift-JIS: no UTF-8, so the trash can only take it renamed.
    const QByteArray name("\x94\x4c.jpg");
    const QString folder = tmp.path() + "/";
    const auto write = [](const QString& path, const QByteArray& bytes) {
        const int fd = ::open(platform::encodePath(path).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_TRUE(fd >= 0 &&
                    ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size());
        ::close(fd);
    };
    write(source + platform::decodePath(name), "the picture");
    write(dest + platform::decodePath(name), "the older file");
    prompter.confirmAnswers = {true};
    ASSERT_TRUE(sort(platform::decodePath(name), true).done);
    EXPECT_EQ(namesIn(trashFiles()).size(), 1);

    ASSERT_EQ(undoLast().state, UndoOutcome::State::Done);
    EXPECT_TRUE(namesIn(trashFiles()).isEmpty());
    // Both files are back under the very bytes of their names.
    for (const auto& [where, bytes] : {std::pair{source, QByteArray("the picture")},
                                       std::pair{dest, QByteArray("the older file")}}) {
        const std::optional<platform::FileIdentity> file =
            platform::identityOf(where + platform::decodePath(name));
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->size, bytes.size());
        EXPECT_EQ(namesIn(where).size(), 1);
    }
}

TEST_F(UndoTest, AChangedCopyOrARetakenNameIsLeftAloneAndSaidSo) {
    tmp.write("source/a.jpg", "picture a");
    tmp.write("source/b.jpg", "picture b");
    ASSERT_TRUE(sort("a.jpg", false).done);
    ASSERT_TRUE(sort("b.jpg", true).done);
    // b's old name is taken by another file; a's copy is edited.
    tmp.write("source/b.jpg", "a new b");
    tmp.write("dest/a.jpg", "edited copy of a");

    Journal journal(journalPath);
    Undo undo(journal);
    const UndoOutcome moveBack = undo.undoLast();
    EXPECT_EQ(moveBack.state, UndoOutcome::State::Refused);
    EXPECT_EQ(moveBack.problem, Undo::NameTaken.arg(source + "b.jpg", dest + "b.jpg"));
    // The next undo goes on to the earlier sort, refused as well.
    const UndoOutcome copyGone = undo.undoLast();
    EXPECT_EQ(copyGone.state, UndoOutcome::State::Refused);
    EXPECT_EQ(copyGone.problem, Undo::ChangedSince.arg(dest + "a.jpg"));
    EXPECT_EQ(undo.undoLast().state, UndoOutcome::State::Nothing);
    EXPECT_EQ(readAll(source + "b.jpg"), "a new b");
    EXPECT_EQ(readAll(dest + "b.jpg"), "picture b");
    EXPECT_EQ(readAll(dest + "a.jpg"), "edited copy of a");

    // Once the way is clear, a later run undoes the move.
    ASSERT_TRUE(QFile::remove(source + "b.jpg"));
    EXPECT_EQ(undoLast().state, UndoOutcome::State::Done);
    EXPECT_EQ(readAll(source + "b.jpg"), "picture b");
}

namespace {

// Shows every file; keeps what was shown.
class ShownNames final : public BrowsingView {
public:
    QStringList shown;
    bool loadPicture(const QString& path) override {
        shown.append(QFileInfo(path).fileName());
        return true;
    }
    void setCaption(const QString&) override {}
    void setPicturePanel(const QString&) override {}
    void clearLog() override {}
    void warning(const QString& text) override { shown.append("warning: " + text); }
};

} // namespace

TEST_F(UndoTest, TheUndonePictureIsShownAgainAndTheSearchGoesOnAfterIt) {
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
        tmp.write(QStringLiteral("source/") + name, name);
    ShownNames view;
    PictureBrowser browser(view, "Sorteka");
    browser.OpenDirectory(source);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(sort(browser.CurrentFile, true).done);
        browser.NextPicture();
    }
    EXPECT_EQ(browser.searchState(), PictureBrowser::SearchState::None);

    // Back through the last two moves: each picture is shown again.
    for (const char* name : {"3.jpg", "2.jpg"}) {
        const UndoOutcome undone = undoLast();
        ASSERT_EQ(undone.state, UndoOutcome::State::Done);
        browser.stepBackTo(QFileInfo(undone.entry.source).fileName());
        EXPECT_EQ(browser.CurrentFile, name);
    }
    // Then the search goes on as before: 3 comes again, then the end.
    browser.NextPicture();
    EXPECT_EQ(browser.CurrentFile, "3.jpg");
    EXPECT_EQ(view.shown, QStringList({"1.jpg", "2.jpg", "3.jpg", "3.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(browser.searchState(), PictureBrowser::SearchState::None);
}
