#include "components/designer/StoredState.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QWidget>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QExtensionManager>

namespace designer {

namespace {

void markStoredState(QDesignerFormEditorInterface* core, QDesignerFormWindowInterface* form) {
    QWidget* container = form->mainContainer();
    if (container == nullptr)
        return;
    QList<QWidget*> widgets = container->findChildren<QWidget*>();
    widgets.prepend(container);
    for (QWidget* widget : widgets) {
        const auto state = storedStateOf(*widget);
        if (state.empty())
            continue;
        auto* sheet =
            qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), widget);
        if (sheet == nullptr)
            continue;
        for (const auto& [name, store] : state) {
            const int index = sheet->indexOf(name);
            if (index >= 0 && sheet->isChanged(index) != store)
                sheet->setChanged(index, store);
        }
    }
}

} // namespace

std::vector<std::pair<QString, bool>> storedStateOf(const QObject& object) {
    std::vector<std::pair<QString, bool>> state;
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!property.isStored() || property.isDesignable())
            continue;
        const QByteArray store = QByteArray("Store") + property.name() + "()";
        const int method = meta->indexOfMethod(store.constData());
        if (method < 0 || meta->method(method).returnMetaType() != QMetaType::fromType<bool>())
            continue;
        bool answer = false;
        if (meta->method(method).invoke(const_cast<QObject*>(&object), Qt::DirectConnection,
                                        Q_RETURN_ARG(bool, answer)))
            state.emplace_back(QString::fromLatin1(property.name()), answer);
    }
    return state;
}

void followStoredState(QDesignerFormEditorInterface* core) {
    QDesignerFormWindowManagerInterface* manager = core->formWindowManager();
    QObject::connect(manager, &QDesignerFormWindowManagerInterface::formWindowAdded, manager,
                     [core](QDesignerFormWindowInterface* form) {
                         QObject::connect(form, &QDesignerFormWindowInterface::changed, form,
                                          [core, form] { markStoredState(core, form); });
                     });
}

} // namespace designer
