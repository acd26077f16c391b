#pragma once

// Minimal writers of genuine Windows metafiles for the tests: the record
// formats as GDI writes them, with only the records the tests draw with.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>

// A WMF: optional placeable header, the standard header, records, META_EOF.
class WmfWriter {
public:
    // `bounds` in logical units; `unitsPerInch` fixes the natural size.
    WmfWriter(QRect bounds, int unitsPerInch, bool placeable = true);

    void setWindow(QRect window);
    // Creates a solid brush and selects it; a null pen is selected alongside.
    void useSolidBrush(QColor color);
    void rectangle(QRect box);
    // Creates a font of `height` logical units (negative: the em) and selects it.
    void useFont(qint16 height, const QByteArray& face);
    // TextOut of Latin-1 `text` at `at`, in the text alignment in force.
    void textOut(QPoint at, const QByteArray& text);
    // An EMF copy of the drawing in escape records of `chunkBytes` (even) each,
    // announcing `declaredSize` bytes in all.
    void emfCopy(const QByteArray& emf, int chunkBytes, quint32 declaredSize);
    // A raw record: function number and 16-bit parameters.
    void record(quint16 function, const QList<quint16>& parameters);
    // Makes room in the object table for `count` objects raw records create.
    void addObjects(int count) { objects_ += count; }
    // A record whose size field says `words` whatever follows (for broken files).
    void rawBytes(const QByteArray& bytes) { records_ += bytes; }

    [[nodiscard]] QByteArray finish() const;

private:
    QRect bounds_;
    int unitsPerInch_;
    bool placeable_;
    QByteArray records_;
    int objects_ = 0;
    quint32 maxRecordWords_ = 3;
};

// An EMF: EMR_HEADER, records, EMR_EOF. The reference device is 96 dpi.
class EmfWriter {
public:
    // `bounds` in device pixels; the frame follows from them at 96 dpi.
    explicit EmfWriter(QRect bounds);

    void useSolidBrush(QColor color);
    void rectangle(QRect box);
    // Creates a font of `height` logical units (negative: the em) and selects it.
    void useFont(qint32 height, const QString& face);
    // ExtTextOutW of `text` at `at` with one advance per character, in the
    // text alignment in force.
    void textOut(QPoint at, const QString& text, const QList<qint32>& advances);
    // A raw record: type and 32-bit parameters.
    void record(quint32 type, const QList<quint32>& parameters);
    void rawBytes(const QByteArray& bytes) { records_ += bytes; }
    // Overrides the frame (hundredths of a millimetre) written in the header.
    void setFrame(QRect frame) { frame_ = frame; }

    [[nodiscard]] QByteArray finish() const;

private:
    QRect bounds_;
    QRect frame_;
    QByteArray records_;
    int recordCount_ = 0;
    quint32 handles_ = 1;
};

// Little-endian helpers for building broken files by hand.
void appendU16(QByteArray& out, quint16 value);
void appendU32(QByteArray& out, quint32 value);
