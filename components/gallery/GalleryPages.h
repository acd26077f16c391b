#pragma once

// The gallery's pages: one builder per component, each in its own file and
// compiled only when the build has that component's library.

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace gallery {

struct PageBuilder {
    QString className; // as registered on the palette
    std::function<QWidget*()> build;
};

// Registers every available component on the palette and answers their pages'
// builders in palette order.
[[nodiscard]] std::vector<PageBuilder> availablePages();

QWidget* makeExpViewLitePage();
QWidget* makeCdiroutlPage();
QWidget* makePerfgrapPage();
QWidget* makeCgaugesPage();
QWidget* makeCgridPage();
QWidget* makeCcalendrPage();

} // namespace gallery
