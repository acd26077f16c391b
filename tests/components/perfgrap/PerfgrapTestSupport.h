#pragma once

// Helpers for the performance graph tests: feeding steps and reading pixels of
// what the widget paints.

#include "components/perfgrap/Perfgrap.h"

#include <QColor>
#include <QImage>
#include <initializer_list>
#include <utility>
#include <vector>

namespace perfgrapTest {

inline const QRgb red = qRgb(255, 0, 0);
inline const QRgb green = qRgb(0, 255, 0);
inline const QRgb blue = qRgb(0, 0, 255);
inline const QRgb black = qRgb(0, 0, 0);

// One time step: its points, then Update().
inline void step(TPerformanceGraph& graph, std::initializer_list<std::pair<QRgb, int>> points) {
    for (const auto& [colour, value] : points)
        graph.DataPoint(QColor(colour), value);
    graph.Update();
}

// What the widget paints, as plain 32-bit pixels.
inline QImage shot(TPerformanceGraph& graph) {
    return graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

inline int countInColumn(const QImage& image, int x, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += pixel(image, x, y) == colour ? 1 : 0;
    return count;
}

inline bool imageContains(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (pixel(image, x, y) == colour)
                return true;
    return false;
}

// The first value of every band, walking from the oldest band to the one being
// filled (0 for an empty band).
inline std::vector<int> firstValuesOldestFirst(const TPerformanceGraph& graph) {
    std::vector<int> values;
    for (int index = graph.FirstY(); index != -1; index = graph.NextY(index)) {
        const auto& band = graph.Band(index);
        values.push_back(band.count > 0 ? band.values[0] : 0);
    }
    return values;
}

} // namespace perfgrapTest
