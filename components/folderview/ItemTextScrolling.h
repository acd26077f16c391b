#pragma once

// Horizontal scrolling for a one-column folder tree: the column is as wide as
// the widest text of the rows on screen, and the current item's text is
// scrolled into view however deep it lies.

class QTreeView;

namespace folderview {

void followCurrentItemText(QTreeView& view);

} // namespace folderview
