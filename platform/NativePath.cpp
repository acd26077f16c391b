#include "platform/NativePath.h"

#include <cstring>

namespace platform {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // a byte b >= 0x80 travels as U+DC00 + b

bool isEscapedByte(char16_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

// Length of the valid UTF-8 sequence at `s` (at most `left` bytes), or 0.
int validSequenceLength(const unsigned char* s, qsizetype left) {
    const unsigned char lead = s[0];
    int length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (s[i] & 0x3F);
    }
    // No overlong forms, no encoded surrogates, nothing past U+10FFFF.
    if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return length;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

QByteArray encodePath(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path[i].unicode();
        if (c < 0x80) {
            out += char(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                   QChar::isLowSurrogate(path[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(c, path[i + 1].unicode()));
            ++i;
        } else if (isEscapedByte(c)) {
            out += char(c - EscapeBase);
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, QChar::ReplacementCharacter);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

QString decodePath(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes); // plain ASCII, the usual case
    QString out = QString::fromLatin1(bytes.constData(), i);
    while (i < n) {
        if (s[i] < 0x80) {
            out += QChar(s[i++]);
            continue;
        }
        const int length = validSequenceLength(s + i, n - i);
        if (length == 0) {
            out += QChar(char16_t(EscapeBase + s[i++]));
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + i, length);
        i += length;
    }
    return out;
}

QString decodePath(const char* bytes) {
    return decodePath(QByteArray::fromRawData(bytes, qsizetype(std::strlen(bytes))));
}

QString displayPath(const QString& path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < shown.size() &&
            QChar::isLowSurrogate(shown[i + 1].unicode()))
            ++i; // a character outside the basic plane, not an escaped byte
        else if (isEscapedByte(c))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace platform
