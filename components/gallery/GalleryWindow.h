#pragma once

// The gallery's main window: the registered components listed with their
// palette icons on the left, the chosen component's page on the right.

#include "components/gallery/GalleryPages.h"

#include <QWidget>

class QListWidget;
class QStackedWidget;

namespace gallery {

class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    explicit GalleryWindow(const std::vector<PageBuilder>& pages, QWidget* parent = nullptr);

    // Shows the page of `className`; false when the gallery has none.
    bool showPage(const QString& className);
    [[nodiscard]] int pageCount() const;

private:
    QListWidget* list_;
    QStackedWidget* stack_;
};

} // namespace gallery
