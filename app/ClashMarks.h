#pragma once

// Shows the clash check of the picture on screen where the destinations are:
// a mark in the destination list's row, on the toolbar button's digit and on
// the large view's button, each explained by a tooltip with the other file's
// size and date, and "同じ内容" once its content is known to be the picture's.

#include "app/ToolbarArt.h"
#include "core/ClashCheck.h"
#include "settings/SettingsSchema.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>

class QAction;
class QTreeWidget;
class TfrmLargeView;

class ClashMarks : public QObject {
    Q_OBJECT
public:
    // `list` has a row per destination, `buttons` are tb1 … tb9.
    ClashMarks(QTreeWidget* list, const std::array<QAction*, DestinationCount>& buttons,
               QObject* parent = nullptr);

    // The large view's buttons get the marks too, from now on.
    void setLargeView(TfrmLargeView* view);
    // `picture` is now on screen.
    void show(const QString& picture, const TDestinations& destinations);
    // Looks again for the picture on screen: the destinations or their files changed.
    void refresh(const TDestinations& destinations);
    // No picture on screen.
    void clear();

    [[nodiscard]] const ClashCheck& check() const { return check_; }

private:
    void apply();
    void mark(int number, ClashMark mark, const QString& description);
    const QIcon& digitIconFor(int number, ClashMark mark);
    const QIcon& markIconFor(ClashMark mark);

    QTreeWidget* list_;
    std::array<QAction*, DestinationCount> buttons_;
    std::array<QString, DestinationCount> buttonHints_; // the tooltips without a mark
    QPointer<TfrmLargeView> largeView_;
    ClashCheck check_;
    // What each destination shows now, so only changes touch the widgets.
    std::array<ClashMark, DestinationCount> shown_{};
    std::array<QString, DestinationCount> shownText_;
    // Drawn on first use: icons are drawn at five sizes each.
    std::array<std::array<QIcon, 3>, DestinationCount> digitIcons_;
    std::array<QIcon, 3> markIcons_;
};
