#pragma once

// TCDirectoryOutline: an outline of the folders of one volume. The volume is
// the single top item (item 1, its text the mount path); the path to the
// current directory is expanded and its folder selected; every other level is
// read from disk once, when its item is first expanded. Selecting a folder makes
// it the component's directory and the process's current directory, and raises
// OnChange. Each item keeps the real name it was read from and every path is
// built from those; only the shown text follows the text case, so Directory
// and OnChange give real paths even where names differ only in case.
// A SetDirectory that cannot be carried out changes nothing and raises
// EOutlineDirectoryError. "*" opens everything below the current item in
// steps (Esc stops it), never following a link back up.

#include "components/cdiroutl/IndexedOutline.h"
#include "components/folderview/SubfolderReading.h"

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace folderview {
class FullExpansion;
class SubfolderMarks;
} // namespace folderview

// A folder that cannot become the directory: missing, hidden, or refused by the system.
class EOutlineDirectoryError : public std::runtime_error {
public:
    EOutlineDirectoryError(const QString& path, const QString& reason);
};

class TCDirectoryOutline : public TIndexedOutline {
    Q_OBJECT
    Q_PROPERTY(TTextCase TextCase READ TextCase WRITE SetTextCase)
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory DESIGNABLE false STORED false)
    Q_PROPERTY(QString Drive READ Drive WRITE SetDrive DESIGNABLE false STORED false)

public:
    enum TTextCase { tcLowerCase = 0, tcUpperCase = 1, tcAsIs = 2 };
    Q_ENUM(TTextCase)

    static constexpr int RootIndex = 1;

    explicit TCDirectoryOutline(QWidget* parent = nullptr);

    // Real full path of the selected folder; no trailing "/" except for the root "/".
    [[nodiscard]] QString Directory() const { return directory_; }
    // Mount path of the shown volume (real case); empty while unset.
    [[nodiscard]] QString Drive() const { return drive_; }
    [[nodiscard]] TTextCase TextCase() const { return textCase_; }

    void SetDirectory(const QString& value);
    void SetDrive(const QString& volume);
    void SetTextCase(TTextCase value);

    // The case function applied to `name` (unchanged with tcAsIs).
    [[nodiscard]] QString ForceCase(const QString& name) const;
    void AssignCaseProc();
    // The process's current directory; empty when the system cannot tell.
    [[nodiscard]] static QString CurDir();
    // Position of `volume` (in any case) among the volumes; -1 when it is none.
    [[nodiscard]] int DriveToInt(const QString& volume) const;

    // The child of `item` named `name` (its real name, else the first whose
    // name differs only in case), expanding `item` first; -1 when none.
    [[nodiscard]] int GetChildNamed(const QString& name, int item);
    // Expands the items along `dest` and selects its folder.
    void WalkTree(const QString& dest);

    virtual void BuildOneLevel(int rootItem);
    virtual void BuildTree();
    virtual void BuildSubTree(int rootItem);

    // The form-loading step: builds the tree with the settings made so far.
    virtual void Loaded();
    // Takes volume and directory from the process's current directory when
    // still unset and builds the tree. Runs by itself when first shown.
    virtual void CreateWnd();

signals:
    void OnChange();

protected:
    virtual void Change();
    void Expand(int index) override;
    void Click() override;
    void keyPressEvent(QKeyEvent* event) override;

    // Mount paths of the volumes, "/" first.
    [[nodiscard]] virtual QStringList Volumes() const;
    // Real names of the subfolders of the real folder `folderPath` that do not
    // begin with ".", in the file system's order. The only place the outline
    // reads a folder level; an unreadable folder has none.
    [[nodiscard]] virtual QStringList readFolder(const QString& folderPath) const;
    // Whether the real folder `folderPath` holds a subfolder (for its expand button).
    [[nodiscard]] virtual bool hasSubfolder(const QString& folderPath) const;

    void showEvent(QShowEvent* event) override;

private:
    // The real path on disk of an item: the volume and the real folder names.
    [[nodiscard]] QString diskPathOf(const QTreeWidgetItem* item) const;
    // Reads the item's level; a level read before only gains the new folders.
    void readLevel(QTreeWidgetItem* item);
    [[nodiscard]] QTreeWidgetItem* childNamed(QTreeWidgetItem* item, const QString& name);
    // The directory the process would be in on `volume`: the current one when
    // it lies there, else the last one set there in this run, else the mount path.
    [[nodiscard]] QString currentDirectoryOn(const QString& volume,
                                             const QStringList& volumes) const;
    // Makes the real folder `path` on `volume` the process's current
    // directory and remembers it for that volume; throws when refused.
    static void enter(const QString& path, const QString& volume);
    // Where a new outline starts: the current directory, or the nearest
    // existing folder above it when it has been deleted.
    [[nodiscard]] static QString startingDirectory();
    void buildSubTreeAvoidingLoops(QTreeWidgetItem* item,
                                   std::vector<folderview::FolderId>& onTheWay);

    bool loading_ = false;
    QString drive_;
    QString directory_;
    TTextCase textCase_ = tcLowerCase;
    QString (*caseProc_)(const QString&) = nullptr;
    bool windowCreated_ = false;
    folderview::FullExpansion* fullExpansion_ = nullptr;
    folderview::SubfolderMarks* subfolderMarks_ = nullptr;
};

namespace Cdiroutl {
// Adds TCDirectoryOutline to the component palette.
void Register();
} // namespace Cdiroutl
