#pragma once

// TCDirectoryOutline: an outline of the folders of one volume. The volume is
// the single top item (item 1, its text the mount path); the path to the
// current directory is expanded and its folder selected; every other level is
// read from disk once, when its item is first expanded. Selecting a folder makes
// it the component's directory and the process's current directory, and raises
// OnChange. Names are shown in the text case; the file system is case-sensitive,
// so every path that reaches the disk is first resolved to the real entries.

#include "components/cdiroutl/IndexedOutline.h"

#include <QString>
#include <QStringList>

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

    // Full path of the selected folder in the text case; no trailing "/"
    // except for the root "/".
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

    // The child of `item` named `name` (case ignored), expanding `item` first; -1 when none.
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

    // Mount paths of the volumes, "/" first.
    [[nodiscard]] virtual QStringList Volumes() const;
    // Real names of the subfolders of the real folder `folderPath` that do not
    // begin with ".", in the file system's order. The only place the outline
    // reads a folder level; an unreadable folder has none.
    [[nodiscard]] virtual QStringList readFolder(const QString& folderPath) const;

    void showEvent(QShowEvent* event) override;

private:
    // The real path on disk of an item: the volume and the real folder names.
    [[nodiscard]] QString diskPathOf(const QTreeWidgetItem* item) const;
    [[nodiscard]] QString volumeOf(const QString& path) const;
    // The directory the process would be in on `volume`: the current one when
    // it lies there, else the last one this outline set there, else the mount path.
    [[nodiscard]] QString currentDirectoryOn(const QString& volume) const;
    // chdir to the real folder named by `path`; remembers it for its volume.
    bool changeProcessDirectory(const QString& path) const;
    // BuildSubTree below `item`, not descending into a folder already on the
    // way down (a link back to an ancestor would never end).
    void buildSubTreeAvoidingLoops(QTreeWidgetItem* item, QStringList& foldersOnTheWay);

    bool loading_ = false;
    QString drive_;
    QString directory_;
    TTextCase textCase_ = tcLowerCase;
    QString (*caseProc_)(const QString&) = nullptr;
    bool windowCreated_ = false;
};

namespace Cdiroutl {
// Adds TCDirectoryOutline to the component palette.
void Register();
} // namespace Cdiroutl
