#include "bench/sorting/PhotoGenerator.h"

#include <QDir>
#include <QPainter>
#include <QRadialGradient>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace bench {

namespace {

// A camera's fine setting, which keeps the sensor noise: files of a camera's size.
constexpr int JpegQuality = 97;

QColor randomColour(std::mt19937& rng) {
    std::uniform_int_distribution<int> channel(20, 235);
    return QColor(channel(rng), channel(rng), channel(rng));
}

int clampChannel(double value) {
    return std::clamp(static_cast<int>(value), 0, 255);
}

// Sky above a horizon, ground below, each with its own slow brightness waves.
void paintLight(QImage& image, std::mt19937& rng) {
    const int width = image.width();
    const int height = image.height();
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const QColor sky = randomColour(rng);
    const QColor ground = randomColour(rng);
    const int horizon = static_cast<int>(height * (0.3 + 0.4 * unit(rng)));

    std::vector<double> columnWave(static_cast<size_t>(width));
    const double fx = (1 + 4 * unit(rng)) * 2 * std::numbers::pi / width;
    const double px = 2 * std::numbers::pi * unit(rng);
    for (int x = 0; x < width; ++x)
        columnWave[static_cast<size_t>(x)] = 25 * std::sin(fx * x + px);
    const double fy = (1 + 3 * unit(rng)) * 2 * std::numbers::pi / height;

    for (int y = 0; y < height; ++y) {
        const QColor& base = y < horizon ? sky : ground;
        // Sky lightens towards the horizon; the ground darkens towards the bottom.
        const double shade = y < horizon ? 40.0 * y / horizon : -50.0 * (y - horizon) / height;
        const double rowWave = 20 * std::sin(fy * y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double light = shade + rowWave + columnWave[static_cast<size_t>(x)];
            line[x] = qRgb(clampChannel(base.red() + light), clampChannel(base.green() + light),
                           clampChannel(base.blue() + light));
        }
    }
}

// Out-of-focus objects: soft-edged discs of many sizes.
void paintShapes(QImage& image, std::mt19937& rng) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double scale = std::min(image.width(), image.height());
    for (int i = 0; i < 14; ++i) {
        const QPointF centre(unit(rng) * image.width(), unit(rng) * image.height());
        const double radius = scale * (0.03 + 0.2 * unit(rng) * unit(rng));
        QColor colour = randomColour(rng);
        QRadialGradient gradient(centre, radius);
        gradient.setColorAt(0.0, colour);
        gradient.setColorAt(0.7, colour);
        colour.setAlpha(0);
        gradient.setColorAt(1.0, colour);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius, radius * (0.6 + 0.8 * unit(rng)));
    }
}

// Sensor noise, a few levels either way on every channel.
void addNoise(QImage& image, quint32 seed) {
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const auto noise = [&](int shift) {
                return static_cast<int>((state >> shift) & 7) - 3;
            };
            const QRgb pixel = line[x];
            line[x] = qRgb(std::clamp(qRed(pixel) + noise(0), 0, 255),
                           std::clamp(qGreen(pixel) + noise(3), 0, 255),
                           std::clamp(qBlue(pixel) + noise(6), 0, 255));
        }
    }
}

} // namespace

QImage makePhoto(QSize size, quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    paintLight(image, rng);
    paintShapes(image, rng);
    addNoise(image, seed);
    return image;
}

QStringList ensurePhotoFolder(const QString& folder, int count, QSize size, std::ostream& progress,
                              const char* format) {
    if (!QDir().mkpath(folder))
        return {};
    QStringList paths;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/photo-%1.%2")
                                          .arg(i, 4, 10, QChar(u'0'))
                                          .arg(QString::fromLatin1(format).toLower());
        paths.append(path);
        if (QFileInfo::exists(path))
            continue;
        if (written == 0)
            progress << "Writing test pictures into " << folder.toStdString() << " ..."
                     << std::endl;
        // A saved file appears under its name only once complete, so an
        // interrupted run never leaves a truncated picture to be reused.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            !makePhoto(size, static_cast<quint32>(i + 1)).save(&file, format, JpegQuality) ||
            !file.commit())
            return {};
        if (++written % 20 == 0)
            progress << "  " << written << " written" << std::endl;
    }
    return paths;
}

} // namespace bench
