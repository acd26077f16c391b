#include "components/folderview/ItemTextScrolling.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace folderview {

namespace {

void showTextOf(QTreeView& view, const QModelIndex& index) {
    if (!index.isValid())
        return;
    QScrollBar* bar = view.horizontalScrollBar();
    // The row was scrolled to before the column widened; a scroll bar that
    // appeared since may cover it. The view's own scrolling would also move
    // to the column's start, so only its vertical part is kept.
    const int horizontal = bar->value();
    view.scrollTo(index);
    bar->setValue(horizontal);
    const QRect rect = view.visualRect(index);
    const int width = view.viewport()->width();
    // The text's start counts most; its end too when the whole fits.
    if (rect.left() < 0)
        bar->setValue(bar->value() + rect.left());
    else if (rect.right() > width)
        bar->setValue(bar->value() + std::min(rect.left(), rect.right() - width));
}

} // namespace

void followCurrentItemText(QTreeView& view) {
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setTextElideMode(Qt::ElideNone);
    view.header()->setStretchLastSection(false);
    view.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // Measured over the rows on screen only, again whenever they change: in a
    // folder of many thousands, measuring a thousand rows at each layout
    // made opening it several times slower.
    view.header()->setResizeContentsPrecision(0);
    QObject::connect(view.verticalScrollBar(), &QScrollBar::valueChanged, &view,
                     [&view] { view.header()->resizeSections(QHeaderView::ResizeToContents); });
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged, &view,
                     [&view](const QModelIndex& current) {
                         // After the column has taken its new width.
                         QTimer::singleShot(0, &view,
                                            [&view, index = QPersistentModelIndex(current)] {
                                                showTextOf(view, index);
                                            });
                     });
}

} // namespace folderview
