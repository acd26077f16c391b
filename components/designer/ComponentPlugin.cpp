#include "components/designer/ComponentPlugin.h"

#include "components/designer/StoredState.h"

#include <QWidget>

ComponentPlugin::ComponentPlugin(palette::ComponentEntry entry, QObject* parent)
    : QObject(parent), entry_(std::move(entry)) {}

QString ComponentPlugin::group() const {
    return palette::pageName();
}

QString ComponentPlugin::domXml() const {
    // Designer still needs a widget element when a unit leaves its XML out.
    if (!entry_.domXml.isEmpty())
        return entry_.domXml;
    return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\"/></ui>")
        .arg(entry_.className, entry_.className.toLower());
}

QWidget* ComponentPlugin::createWidget(QWidget* parent) {
    return entry_.create ? entry_.create(parent) : nullptr;
}

void ComponentPlugin::initialize(QDesignerFormEditorInterface* core) {
    // Only a running Qt Designer hands over its core; a form loader does not.
    if (core != nullptr) {
        palette::setDesignMode(true);
        palette::setDesignSurface("QDesignerFormWindowInterface");
        // Every component's interface is initialised; the forms are followed once.
        static QDesignerFormEditorInterface* followed = nullptr;
        if (followed != core) {
            followed = core;
            designer::followStoredState(core);
        }
    }
    initialized_ = true;
}
