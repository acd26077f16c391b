#include "components/designer/SortekaComponents.h"

#include "components/designer/ComponentPlugin.h"
#include "components/designer/RegisterUnits.h"
#include "components/palette/Palette.h"

SortekaComponents::SortekaComponents(QObject* parent) : QObject(parent) {
    registerUnits();
    for (const palette::ComponentEntry& entry : palette::registeredComponents())
        widgets_.append(new ComponentPlugin(entry, this));
}

QList<QDesignerCustomWidgetInterface*> SortekaComponents::customWidgets() const {
    return widgets_;
}
