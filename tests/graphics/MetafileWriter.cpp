#include "MetafileWriter.h"

void appendU16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xff));
    out.append(char(value >> 8));
}

void appendU32(QByteArray& out, quint32 value) {
    appendU16(out, quint16(value & 0xffff));
    appendU16(out, quint16(value >> 16));
}

namespace {

quint32 colorRef(QColor color) {
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

} // namespace

WmfWriter::WmfWriter(QRect bounds, int unitsPerInch, bool placeable)
    : bounds_(bounds), unitsPerInch_(unitsPerInch), placeable_(placeable) {}

void WmfWriter::record(quint16 function, const QList<quint16>& parameters) {
    const quint32 words = 3 + quint32(parameters.size());
    appendU32(records_, words);
    appendU16(records_, function);
    for (quint16 p : parameters)
        appendU16(records_, p);
    maxRecordWords_ = std::max(maxRecordWords_, words);
}

void WmfWriter::setWindow(QRect window) {
    record(0x020B, {quint16(window.top()), quint16(window.left())});     // SetWindowOrg
    record(0x020C, {quint16(window.height()), quint16(window.width())}); // SetWindowExt
}

void WmfWriter::useSolidBrush(QColor color) {
    const quint32 ref = colorRef(color);
    // CreatePenIndirect: PS_NULL.
    record(0x02FA, {5, 0, 0, quint16(ref & 0xffff), quint16(ref >> 16)});
    record(0x012D, {quint16(objects_++)});
    // CreateBrushIndirect: BS_SOLID.
    record(0x02FC, {0, quint16(ref & 0xffff), quint16(ref >> 16), 0});
    record(0x012D, {quint16(objects_++)});
}

void WmfWriter::rectangle(QRect box) {
    // Rectangle takes bottom, right, top, left; the right and bottom edges are exclusive.
    record(0x041B, {quint16(box.bottom() + 1), quint16(box.right() + 1), quint16(box.top()),
                    quint16(box.left())});
}

namespace {

// Bytes as 16-bit parameters, zero-padded to `bytes` (an even count).
QList<quint16> packed(const QByteArray& text, qsizetype bytes) {
    QList<quint16> words;
    for (qsizetype i = 0; i < bytes; i += 2) {
        const auto at = [&](qsizetype k) { return k < text.size() ? quint8(text[k]) : 0; };
        words.append(quint16(at(i) | (at(i + 1) << 8)));
    }
    return words;
}

} // namespace

void WmfWriter::useFont(qint16 height, const QByteArray& face) {
    // CreateFontIndirect: height, width, escapement, orientation, weight,
    // italic/underline, strike-out/charset, precisions, quality/pitch, face.
    record(0x02FB, QList<quint16>{quint16(height), 0, 0, 0, 400, 0, 0, 0, 0} + packed(face, 32));
    record(0x012D, {quint16(objects_++)});
}

void WmfWriter::textOut(QPoint at, const QByteArray& text) {
    record(0x0521, QList<quint16>{quint16(text.size())} + packed(text, (text.size() + 1) / 2 * 2) +
                       QList<quint16>{quint16(at.y()), quint16(at.x())});
}

void WmfWriter::emfCopy(const QByteArray& emf, int chunkBytes, quint32 declaredSize) {
    const qsizetype count = (emf.size() + chunkBytes - 1) / chunkBytes;
    qsizetype done = 0;
    while (done < emf.size()) {
        const QByteArray chunk = emf.mid(done, chunkBytes);
        done += chunk.size();
        QByteArray fields;
        appendU32(fields, 0x43464D57); // "WMFC"
        appendU32(fields, 1);          // comment type
        appendU32(fields, 0x00010000); // version
        appendU16(fields, 0);          // checksum
        appendU32(fields, 0);          // flags
        appendU32(fields, quint32(count));
        appendU32(fields, quint32(chunk.size()));
        appendU32(fields, declaredSize - quint32(done));
        appendU32(fields, declaredSize);
        fields += chunk;
        // Escape: META_ESCAPE_ENHANCED_METAFILE, its byte count, the fields.
        record(0x0626,
               QList<quint16>{0x000F, quint16(fields.size())} + packed(fields, fields.size()));
    }
}

QByteArray WmfWriter::finish() const {
    QByteArray body = records_;
    appendU32(body, 3);
    appendU16(body, 0x0000); // META_EOF

    QByteArray out;
    if (placeable_) {
        QByteArray head;
        appendU32(head, 0x9AC6CDD7);
        appendU16(head, 0);
        appendU16(head, quint16(bounds_.left()));
        appendU16(head, quint16(bounds_.top()));
        appendU16(head, quint16(bounds_.right() + 1));
        appendU16(head, quint16(bounds_.bottom() + 1));
        appendU16(head, quint16(unitsPerInch_));
        appendU32(head, 0);
        quint16 checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= quint16(quint8(head[i]) | (quint8(head[i + 1]) << 8));
        appendU16(head, checksum);
        out += head;
    }
    appendU16(out, 1);      // memory metafile
    appendU16(out, 9);      // header words
    appendU16(out, 0x0300); // version
    appendU32(out, quint32((18 + body.size()) / 2));
    appendU16(out, quint16(objects_));
    appendU32(out, maxRecordWords_);
    appendU16(out, 0);
    out += body;
    return out;
}

EmfWriter::EmfWriter(QRect bounds)
    : bounds_(bounds),
      frame_(QPoint(bounds.left() * 2540 / 96, bounds.top() * 2540 / 96),
             QPoint((bounds.right() + 1) * 2540 / 96, (bounds.bottom() + 1) * 2540 / 96)) {}

void EmfWriter::record(quint32 type, const QList<quint32>& parameters) {
    appendU32(records_, type);
    appendU32(records_, 8 + 4 * quint32(parameters.size()));
    for (quint32 p : parameters)
        appendU32(records_, p);
    ++recordCount_;
}

void EmfWriter::useSolidBrush(QColor color) {
    record(37, {0x80000008});                      // SelectObject(NULL_PEN)
    record(39, {handles_, 0, colorRef(color), 0}); // CreateBrushIndirect: BS_SOLID
    record(37, {handles_});
    ++handles_;
}

void EmfWriter::useFont(qint32 height, const QString& face) {
    // EXTLOGFONTW: a LOGFONTW (height, width, escapement, orientation, weight,
    // four bytes of flags, four of precision and family, 32 characters of face
    // name) and the full name, style and script after it, left empty.
    QList<quint32> font{handles_, quint32(height), 0, 0, 0, 400, 0, 0};
    for (qsizetype i = 0; i < 32; i += 2) {
        const quint32 low = i < face.size() ? face[i].unicode() : 0;
        const quint32 high = i + 1 < face.size() ? face[i + 1].unicode() : 0;
        font.append(low | (high << 16));
    }
    while (font.size() < 1 + 320 / 4)
        font.append(0);
    record(82, font);
    record(37, {handles_});
    ++handles_;
}

void EmfWriter::textOut(QPoint at, const QString& text, const QList<qint32>& advances) {
    const auto count = quint32(text.size());
    const quint32 stringWords = (count + 1) / 2;
    QList<quint32> parameters{0,     0,  0, 0, 1, 0, 0, quint32(at.x()),     quint32(at.y()),
                              count, 76, 0, 0, 0, 0, 0, 76 + 4 * stringWords};
    for (quint32 i = 0; i < stringWords; ++i) {
        const quint32 low = text[2 * i].unicode();
        const quint32 high = 2 * i + 1 < count ? text[2 * i + 1].unicode() : 0;
        parameters.append(low | (high << 16));
    }
    for (qint32 advance : advances)
        parameters.append(quint32(advance));
    record(84, parameters);
}

void EmfWriter::rectangle(QRect box) {
    record(43, {quint32(box.left()), quint32(box.top()), quint32(box.right() + 1),
                quint32(box.bottom() + 1)});
}

QByteArray EmfWriter::finish() const {
    QByteArray eof;
    appendU32(eof, 14);
    appendU32(eof, 20);
    appendU32(eof, 0);
    appendU32(eof, 16);
    appendU32(eof, 20);

    constexpr quint32 headerBytes = 88;
    const quint32 total = headerBytes + quint32(records_.size()) + 20;
    QByteArray out;
    appendU32(out, 1);
    appendU32(out, headerBytes);
    for (int v : {bounds_.left(), bounds_.top(), bounds_.right(), bounds_.bottom()})
        appendU32(out, quint32(v));
    for (int v : {frame_.left(), frame_.top(), frame_.right(), frame_.bottom()})
        appendU32(out, quint32(v));
    appendU32(out, 0x464D4520);
    appendU32(out, 0x10000);
    appendU32(out, total);
    appendU32(out, quint32(recordCount_) + 2);
    appendU16(out, quint16(handles_));
    appendU16(out, 0);
    appendU32(out, 0); // description
    appendU32(out, 0);
    appendU32(out, 0);   // palette entries
    appendU32(out, 960); // reference device: 960 × 960 px on 254 × 254 mm is 96 dpi
    appendU32(out, 960);
    appendU32(out, 254);
    appendU32(out, 254);
    out += records_;
    out += eof;
    return out;
}
