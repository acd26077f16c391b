// A move killed at any moment (SIGKILL) never loses the picture: afterwards the
// source is whole, or the destination is, and neither ever holds a part. The
// kill points are spread over the whole length of one uncut move measured first;
// they are inputs only, nothing here depends on how fast the machine is.

#include "platform/FileOps.h"
#include "safety/MoverProcess.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>

namespace {

constexpr qsizetype PictureBytes = 32 * 1024 * 1024;
constexpr int KillPoints = 24;
const QString PictureName = QStringLiteral("photo.jpg");

QByteArray randomBytes(qsizetype size, quint64 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    std::mt19937_64 random(seed);
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        const quint64 word = random();
        std::memcpy(bytes.data() + i, &word, 8);
    }
    return bytes;
}

// What a folder holds after a run: the picture's name, if present, and every other entry.
struct FolderState {
    bool hasPicture = false;
    QByteArray picture;
    QStringList hidden;
    QStringList others;
};

FolderState inspect(const QString& folder) {
    FolderState state;
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (name == PictureName) {
            state.hasPicture = true;
            state.picture = readAll(folder + u'/' + name);
        } else if (name.startsWith(u'.')) {
            state.hidden.append(name);
        } else {
            state.others.append(name);
        }
    }
    return state;
}

class MoveUnderKill : public ::testing::Test {
protected:
    static inline const QByteArray picture = randomBytes(PictureBytes, 1);
    static inline const QByteArray olderPicture = randomBytes(PictureBytes / 4, 2);

    TempDir tmp;
    int runs = 0;

    struct Run {
        QString source;
        QString destination;
        QString trash;     // where a replaced file goes
        qint64 moveMs = 0; // from the start of the move to the end of the process
        bool finished = false;
    };

    // Prepares fresh folders, starts the mover and, unless `killAfterMs` is
    // negative, kills it that long after the move began.
    Run move(int killAfterMs, bool replaceExisting) {
        Run run;
        const QString base = QStringLiteral("run%1").arg(++runs);
        run.source = tmp.mkdir(base + "/source");
        run.destination = tmp.mkdir(base + "/destination");
        tmp.write(base + "/source/" + PictureName, picture);
        if (replaceExisting)
            tmp.write(base + "/destination/" + PictureName, olderPicture);

        run.trash = tmp.file(base + "/home/data/Trash/files");
        const MoverRun mover = runMover({run.source, PictureName, run.destination},
                                        tmp.file(base + "/home"), killAfterMs);
        run.finished = mover.finished;
        EXPECT_TRUE(!run.finished || mover.exitCode == 0) << "the move failed";
        run.moveMs = mover.ms;
        return run;
    }

    // An uncut move ends with the picture in the destination and nothing else left.
    qint64 uncutMove(bool replaceExisting) {
        const Run run = move(-1, replaceExisting);
        EXPECT_TRUE(run.finished);
        const FolderState source = inspect(run.source);
        const FolderState destination = inspect(run.destination);
        EXPECT_FALSE(source.hasPicture);
        EXPECT_TRUE(destination.picture == picture);
        EXPECT_TRUE(destination.hidden.isEmpty() && destination.others.isEmpty());
        QDir(QFileInfo(run.source).path()).removeRecursively();
        return run.moveMs;
    }

    // Kills moves at points spread over the longest of a few uncut moves and
    // checks that the picture survives each; prints what was found so that the
    // spread can be seen.
    void killAcrossTheMove(bool replaceExisting) {
        qint64 longest = 1;
        std::string uncutTimes;
        for (int i = 0; i < 3; ++i) {
            const qint64 ms = uncutMove(replaceExisting);
            longest = std::max(longest, ms);
            uncutTimes += (i ? ", " : "") + std::to_string(ms);
        }
        ASSERT_FALSE(HasFailure());

        // Past the end too, since a move varies in length from run to run.
        const double span = static_cast<double>(longest) * 1.5;
        std::map<std::string, int> outcomes;
        int leftovers = 0;
        for (int point = 0; point < KillPoints; ++point) {
            const int delay = static_cast<int>(span * point / (KillPoints - 1));
            const Run run = move(delay, replaceExisting);
            const FolderState source = inspect(run.source);
            const FolderState destination = inspect(run.destination);
            SCOPED_TRACE("killed " + std::to_string(delay) + " ms into the move");

            const bool sourceWhole = source.hasPicture && source.picture == picture;
            const bool destinationNew = destination.hasPicture && destination.picture == picture;
            const bool destinationOld =
                replaceExisting && destination.hasPicture && destination.picture == olderPicture;
            // Whatever exists under the picture's names is whole.
            EXPECT_TRUE(!source.hasPicture || sourceWhole);
            EXPECT_TRUE(!destination.hasPicture || destinationNew || destinationOld);
            // The picture itself is somewhere.
            EXPECT_TRUE(sourceWhole || destinationNew);
            // A file that was being replaced is there until the new one takes
            // its place, or in the trash.
            const bool olderTrashed = readAll(run.trash + u'/' + PictureName) == olderPicture;
            EXPECT_TRUE(!replaceExisting || destinationOld || olderTrashed);
            EXPECT_FALSE(destinationOld && olderTrashed);
            EXPECT_TRUE(source.others.isEmpty() && source.hidden.isEmpty());
            EXPECT_TRUE(destination.others.isEmpty())
                << destination.others.join(", ").toStdString();
            // A copy writes an unnamed file: a kill leaves no temporary behind.
            // The only hidden file left may be the older picture kept aside by
            // a move that never completed, and only while its own name does
            // not hold it any more (the next run's sweep takes spare ones).
            platform::removeAbandonedTemporaries(run.destination, std::chrono::seconds(0));
            const QStringList hidden = inspect(run.destination).hidden;
            EXPECT_TRUE(hidden.isEmpty() ||
                        (hidden.size() == 1 && hidden[0].contains(".sorteka-kept-") &&
                         readAll(run.destination + u'/' + hidden[0]) == olderPicture &&
                         !destinationOld))
                << hidden.join(", ").toStdString();

            const std::string outcome = std::string(sourceWhole ? "source" : "") +
                                        (sourceWhole && destinationNew ? "+" : "") +
                                        (destinationNew ? "destination" : "") +
                                        (run.finished ? " (move had ended)" : "");
            ++outcomes[outcome];
            leftovers += static_cast<int>(destination.hidden.size());
            QDir(QFileInfo(run.source).path()).removeRecursively();
        }

        std::cout << "  uncut moves " << uncutTimes << " ms; " << KillPoints << " kills up to "
                  << static_cast<int>(span) << " ms:";
        for (const auto& [outcome, count] : outcomes)
            std::cout << " [" << outcome << ": " << count << "]";
        std::cout << "; hidden temporary files left: " << leftovers << std::endl;
    }
};

} // namespace

TEST_F(MoveUnderKill, IntoAnEmptyFolderThePictureIsAlwaysWholeSomewhere) {
    killAcrossTheMove(false);
}

TEST_F(MoveUnderKill, OverAnOlderFileOneOfThemIsAlwaysWholeAndThePictureSurvives) {
    killAcrossTheMove(true);
}
