#pragma once

// The settings access object: opened for one burst of reads or writes and
// destroyed right after, so nothing is held in memory between handlers.
//
// A key path "\Software\<Organisation>\<Application>[\<Group>...]" names the
// INI file <config>/<Organisation>/<Application>.ini (QSettings, user scope);
// further key components and the section become nested INI groups. Every value
// is stored as text: integers as decimal, booleans as "1"/"0".

#include <QString>
#include <memory>
#include <optional>

class QSettings;

class TRegIniFile {
public:
    enum class OpenMode {
        Create,       // create the file (and its folder) when missing
        ExistingOnly, // read what exists; never create anything
    };

    explicit TRegIniFile(const QString& keyPath, OpenMode mode = OpenMode::Create);
    ~TRegIniFile();
    TRegIniFile(const TRegIniFile&) = delete;
    TRegIniFile& operator=(const TRegIniFile&) = delete;

    // False when the store could not be created or opened; reads then give
    // their defaults and writes fail.
    [[nodiscard]] bool isOpen() const { return open_; }
    // Why opening failed (empty when it did not).
    [[nodiscard]] const QString& openError() const { return openError_; }
    // The INI file behind the key.
    [[nodiscard]] const QString& fileName() const { return fileName_; }

    [[nodiscard]] bool SectionExists(const QString& section) const;
    [[nodiscard]] bool ValueExists(const QString& section, const QString& name) const;

    [[nodiscard]] QString ReadString(const QString& section, const QString& name,
                                     const QString& defaultValue) const;
    [[nodiscard]] int ReadInteger(const QString& section, const QString& name,
                                  int defaultValue) const;
    [[nodiscard]] bool ReadBool(const QString& section, const QString& name,
                                bool defaultValue) const;

    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteBool(const QString& section, const QString& name, bool value);

private:
    [[nodiscard]] QString groupOf(const QString& section) const;
    // True when the store's file on disk is whole and holds the value.
    [[nodiscard]] bool savedInFile(const QString& section, const QString& name) const;
    // The stored text of a value, or nothing when it is missing.
    [[nodiscard]] std::optional<QString> storedText(const QString& section,
                                                    const QString& name) const;

    std::unique_ptr<QSettings> settings_;
    QString keyGroup_; // key components below the application, as a group prefix
    QString fileName_;
    QString openError_;
    bool open_ = false;
    bool readable_ = true;
};

// Decimal text to integer the way the store reads it; nothing when the text is
// not a valid 32-bit integer.
[[nodiscard]] std::optional<int> parseStoredInteger(const QString& text);
