#pragma once

// The picture-format registry: maps a file extension (without its dot,
// compared without regard to case) to a description and a factory for the
// picture type that reads it. It starts with "bmp", "ico", "wmf" and "emf";
// when an extension is registered again the latest registration wins, and
// registrations are never removed.
//
// Loading a picture by file name builds a fresh picture of the type registered
// for the name's extension and has it read the file, so a failure never
// touches a picture the caller already holds.

#include "graphics/Picture.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct PictureFormat {
    QString extension; // lower case, no dot
    QString description;
};

class PictureFormats {
public:
    using Factory = std::function<std::unique_ptr<Picture>()>;

    // A registry holding the built-in formats only.
    PictureFormats();
    // The program's registry, used by every picture loaded by file name.
    static PictureFormats& instance();

    // Registers (or re-registers) `extension`; a leading dot is ignored.
    // Returns false, and changes nothing, for an empty extension or factory.
    bool registerFormat(const QString& extension, const QString& description, Factory factory);

    [[nodiscard]] bool isRegistered(const QString& extension) const;
    // Empty when the extension is not registered.
    [[nodiscard]] QString descriptionOf(const QString& extension) const;
    // Every registered format, in the order each extension was first registered.
    [[nodiscard]] QList<PictureFormat> formats() const;

    // A new, empty picture of the type registered for `extension`; null when none.
    [[nodiscard]] std::unique_ptr<Picture> create(const QString& extension) const;
    // A new picture of the type registered for the extension of `path`, loaded
    // from that file. Raises EInvalidGraphic when no type is registered, or the
    // picture type's error when the file cannot be read.
    [[nodiscard]] std::unique_ptr<Picture> loadFromFile(const QString& path) const;

private:
    struct Entry {
        QString extension;
        QString description;
        Factory factory;
    };
    [[nodiscard]] const Entry* find(const QString& extension) const;

    std::vector<Entry> entries_;
};
