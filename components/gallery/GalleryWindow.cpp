#include "components/gallery/GalleryWindow.h"

#include "components/palette/Palette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <algorithm>

namespace gallery {

namespace {

const palette::ComponentEntry* paletteEntry(const QString& className) {
    const auto& entries = palette::registeredComponents();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& e) { return e.className == className; });
    return found == entries.end() ? nullptr : &*found;
}

} // namespace

GalleryWindow::GalleryWindow(const std::vector<PageBuilder>& pages, QWidget* parent)
    : QWidget(parent), list_(new QListWidget), stack_(new QStackedWidget) {
    setWindowTitle(QStringLiteral("Sorteka component gallery — ") + palette::pageName());
    list_->setIconSize(QSize(32, 32));
    list_->setSpacing(2);

    for (const PageBuilder& page : pages) {
        auto* item = new QListWidgetItem(page.className, list_);
        if (const auto* entry = paletteEntry(page.className)) {
            item->setIcon(entry->icon);
            item->setToolTip(entry->toolTip);
        }
        stack_->addWidget(page.build());
    }
    if (pages.empty())
        stack_->addWidget(new QLabel(tr("This build has no components."), this));

    list_->setFixedWidth(list_->sizeHintForColumn(0) + 2 * list_->frameWidth() + 24);
    connect(list_, &QListWidget::currentRowChanged, stack_, &QStackedWidget::setCurrentIndex);
    list_->setCurrentRow(0);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(stack_, 1);
    resize(1000, 540);
}

bool GalleryWindow::showPage(const QString& className) {
    const auto found = list_->findItems(className, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    list_->setCurrentItem(found.first());
    return true;
}

int GalleryWindow::pageCount() const {
    return list_->count();
}

} // namespace gallery
