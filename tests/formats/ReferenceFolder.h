#pragma once

// One folder of reference-test pictures: which files are pictures, which of
// them have a reference PNG, and the tolerance each is compared with.
//
// A picture NAME.EXT has its reference in NAME.EXT.png beside it. The file
// "tolerance" holds a line "max-diff N" (largest difference of any channel) or
// "psnr N" (dB) for the folder, and lines "NAME.EXT max-diff N" or
// "NAME.EXT psnr N" for single pictures. Without it a picture must match exactly.

#include <QList>
#include <QString>
#include <optional>

struct Tolerance {
    enum Kind { MaxDiff, Psnr } kind = MaxDiff;
    double value = 0;
};

struct ReferencePicture {
    QString path;
    QString reference; // empty: the picture has none
    Tolerance tolerance;
};

// The pictures of `folder` in name order. Raises std::runtime_error when the
// tolerance file cannot be understood.
[[nodiscard]] QList<ReferencePicture> readReferenceFolder(const QString& folder);

// "max-diff 2" or "psnr 40"; nothing for anything else.
[[nodiscard]] std::optional<Tolerance> parseTolerance(const QString& kind, const QString& value);
