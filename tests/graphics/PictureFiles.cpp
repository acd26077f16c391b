#include "PictureFiles.h"

#include "MetafileWriter.h"

#include <QBuffer>
#include <QImageWriter>

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return {};
    return bytes;
}

QImage halves(int width, int height, QColor left, QColor right, QImage::Format format) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, x < width / 2 ? left : right);
    return image;
}

QByteArray iconFile(const QList<QImage>& images, bool png) {
    // Each image's data as it sits in an icon: the entry body of a one-image
    // icon written by Qt, or a PNG stream.
    QList<QByteArray> bodies;
    QList<QByteArray> directory;
    for (const QImage& image : images) {
        if (png) {
            bodies.append(encoded(image, "png"));
            QByteArray entry;
            entry.append(char(image.width() == 256 ? 0 : image.width()));
            entry.append(char(image.height() == 256 ? 0 : image.height()));
            entry.append('\0');
            entry.append('\0');
            appendU16(entry, 1);
            appendU16(entry, 32);
            directory.append(entry);
        } else {
            const QByteArray single = encoded(image, "ico");
            const quint32 offset = quint32(quint8(single[18])) | (quint32(quint8(single[19])) << 8);
            bodies.append(single.mid(offset));
            directory.append(single.mid(6, 8));
        }
    }
    QByteArray out;
    appendU16(out, 0);
    appendU16(out, 1);
    appendU16(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (int i = 0; i < images.size(); ++i) {
        out += directory[i];
        appendU32(out, quint32(bodies[i].size()));
        appendU32(out, offset);
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& body : bodies)
        out += body;
    return out;
}
