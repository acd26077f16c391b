#include "components/cgrid/Cgrid.h"
#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QMetaEnum>
#include <QSignalBlocker>

namespace gallery {

QWidget* makeCgridPage() {
    // The grid sizes itself to whole cells, so it sits at a fixed place in a
    // holder rather than in a layout that would keep resizing it.
    auto* holder = new QWidget;
    auto* grid = new TCColorGrid(holder);
    grid->setGeometry(12, 12, 200, 200);
    holder->setMinimumSize(230, 230);
    auto* page = new ComponentPage(holder);
    QFormLayout* form = page->controls();

    auto* ordering = new QComboBox;
    const QMetaEnum orderings = QMetaEnum::fromType<TCColorGrid::TGridOrdering>();
    for (int i = 0; i < orderings.keyCount(); ++i)
        ordering->addItem(QString::fromLatin1(orderings.key(i)), orderings.value(i));
    ordering->setCurrentIndex(ordering->findData(static_cast<int>(grid->GridOrdering())));
    form->addRow(QStringLiteral("GridOrdering"), ordering);

    const auto check = [form](const QString& name, bool on) {
        auto* box = new QCheckBox;
        box->setChecked(on);
        form->addRow(name, box);
        return box;
    };
    auto* foregroundEnabled = check(QStringLiteral("ForegroundEnabled"), grid->ForegroundEnabled());
    auto* backgroundEnabled = check(QStringLiteral("BackgroundEnabled"), grid->BackgroundEnabled());
    auto* clickEnables = check(QStringLiteral("ClickEnablesColor"), grid->ClickEnablesColor());
    auto* ctl3D = check(QStringLiteral("Ctl3D"), grid->Ctl3D());
    auto* chosen = new QLabel;
    form->addRow(QStringLiteral("Colours"), chosen);

    const auto showChoice = [=] {
        chosen->setText(QStringLiteral("FG %1 (%2), BG %3 (%4)")
                            .arg(grid->ForegroundIndex())
                            .arg(grid->GetForegroundColor().name())
                            .arg(grid->BackgroundIndex())
                            .arg(grid->GetBackgroundColor().name()));
        const QSignalBlocker blockFg(foregroundEnabled), blockBg(backgroundEnabled);
        foregroundEnabled->setChecked(grid->ForegroundEnabled());
        backgroundEnabled->setChecked(grid->BackgroundEnabled());
    };
    showChoice();

    QObject::connect(ordering, &QComboBox::currentIndexChanged, page, [=] {
        grid->SetGridOrdering(
            static_cast<TCColorGrid::TGridOrdering>(ordering->currentData().toInt()));
    });
    QObject::connect(foregroundEnabled, &QCheckBox::toggled, page, [=](bool on) {
        grid->EnableForeground(on);
        showChoice();
    });
    QObject::connect(backgroundEnabled, &QCheckBox::toggled, page, [=](bool on) {
        grid->EnableBackground(on);
        showChoice();
    });
    QObject::connect(clickEnables, &QCheckBox::toggled, page,
                     [=](bool on) { grid->SetClickEnablesColor(on); });
    QObject::connect(ctl3D, &QCheckBox::toggled, page, [=](bool on) { grid->SetCtl3D(on); });

    QObject::connect(grid, &TCColorGrid::OnChange, page, [=] {
        page->log(QStringLiteral("OnChange"));
        showChoice();
    });
    QObject::connect(grid, &TCColorGrid::OnClick, page,
                     [=] { page->log(QStringLiteral("OnClick")); });
    return page;
}

} // namespace gallery
