#pragma once

// Structural checks of Windows metafiles (WMF and EMF) done before a rendering
// library sees the data: every record lies inside the file, the file ends with
// its end-of-file record, embedded bitmaps fit their records, and the declared
// picture size is sane. Rendering libraries trust these things; we do not.

#include <QByteArrayView>
#include <QRect>
#include <QSizeF>

namespace graphics {

enum class MetafileKind { None, Wmf, Emf };

// Which metafile format `bytes` starts with, judged by content alone.
[[nodiscard]] MetafileKind detectMetafile(QByteArrayView bytes);

struct WmfLayout {
    bool placeable = false;
    // Natural size in screen pixels, from the placeable header; empty when the
    // file has none (the renderer then measures the drawing).
    QSizeF naturalSize;
    // The placeable header's bounding box in the drawing's logical units;
    // empty when the file has no such header.
    QRect placeableBox;
    qint64 recordCount = 0;
};

struct EmfLayout {
    // Natural size in screen pixels, from the header's frame (or its bounds).
    QSizeF naturalSize;
    // The header's bounds, in the device pixels of the drawing's reference device.
    QRect bounds;
    // The frame in those device pixels, through the reference device's size
    // in pixels and in millimetres: the part of the drawing that Windows shows
    // as the picture. Empty when the header leaves it unknown.
    QRectF frameInDevice;
    // Hundredths of a millimetre per device pixel along x, by the reference
    // device's size; 0 when the header leaves it unknown.
    double hundredthsPerDevicePixelX = 0;
    qint64 recordCount = 0;
};

// Check a WMF / EMF file; raise EInvalidGraphic with the reason when unsound.
[[nodiscard]] WmfLayout checkWmf(QByteArrayView bytes);
[[nodiscard]] EmfLayout checkEmf(QByteArrayView bytes);

} // namespace graphics
