#pragma once

// Reading the SVG the EMF converter writes: its drawing space and the
// attributes of its elements, for the passes that adjust it before Qt SVG
// draws it.

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <initializer_list>
#include <optional>

namespace graphics {

// Farther out than this a coordinate is not taken: no picture is that large.
inline constexpr double MaxSvgCoordinate = 1e7;

struct SvgAttribute {
    qsizetype begin = 0; // the value, between its quotes
    qsizetype end = 0;
};

// Where the value of ` name="…"` lies within `text[from, to)`.
[[nodiscard]] std::optional<SvgAttribute> svgAttribute(const QByteArray& text, qsizetype from,
                                                       qsizetype to, QByteArrayView name);

// The number that attribute holds, when it is one of sane size.
struct SvgNumber {
    SvgAttribute place;
    double value = 0;
};
[[nodiscard]] std::optional<SvgNumber> svgNumber(const QByteArray& text, qsizetype from,
                                                 qsizetype to, QByteArrayView name);

// An element's opening tag, from its '<' to its '>'; `kind` is the place of
// its name in the list asked for.
struct SvgElement {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype kind = 0;
};
// The opening tags of the elements `names` name, in the order they stand.
[[nodiscard]] QList<SvgElement> svgElements(const QByteArray& svg,
                                            std::initializer_list<QByteArrayView> names);

// The converter's drawing space: its size (no view box: the width and
// height), and the one translation of its outer group; nothing when the SVG
// has another shape (any other transform would move elements in ways the
// passes do not follow).
struct SvgDrawingSpace {
    QSizeF size;
    QPointF offset;
};
[[nodiscard]] std::optional<SvgDrawingSpace> svgDrawingSpace(const QByteArray& svg);

} // namespace graphics
