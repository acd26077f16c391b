#pragma once

// The Qt Designer plug-in: one widget-box group, named after the palette page,
// holding every component the units of this build register.

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

class SortekaComponents : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QDesignerCustomWidgetCollectionInterface_iid)
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit SortekaComponents(QObject* parent = nullptr);

    [[nodiscard]] QList<QDesignerCustomWidgetInterface*> customWidgets() const override;

private:
    QList<QDesignerCustomWidgetInterface*> widgets_;
};
