#include "components/expviewlite/ExpViewLite.h"
#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"

#include <QFormLayout>
#include <QLabel>

namespace gallery {

QWidget* makeExpViewLitePage() {
    auto* view = new TExpViewLite;
    auto* page = new ComponentPage(view);
    auto* folderName = new QLabel;
    folderName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderName->setWordWrap(true);
    page->controls()->addRow(QStringLiteral("FolderName"), folderName);

    QObject::connect(view, &QTreeWidget::itemSelectionChanged, page,
                     [=] { folderName->setText(view->GetFolderName()); });
    QObject::connect(view, &TExpViewLite::OnExpanding, page,
                     [=](QTreeWidgetItem* node, bool* /*allowExpansion*/) {
                         page->log(QStringLiteral("OnExpanding ") + TExpViewLite::NodePath(node));
                     });
    return page;
}

} // namespace gallery
