#pragma once

// One component of the palette as Qt Designer sees it: everything it answers
// comes from the palette entry it wraps.

#include "components/palette/Palette.h"

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class ComponentPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    ComponentPlugin(palette::ComponentEntry entry, QObject* parent);

    [[nodiscard]] QString name() const override { return entry_.className; }
    [[nodiscard]] QString group() const override;
    [[nodiscard]] QString toolTip() const override { return entry_.toolTip; }
    [[nodiscard]] QString whatsThis() const override { return entry_.whatsThis; }
    [[nodiscard]] QString includeFile() const override { return entry_.includeFile; }
    [[nodiscard]] QIcon icon() const override { return entry_.icon; }
    [[nodiscard]] bool isContainer() const override { return false; }
    [[nodiscard]] QString domXml() const override;

    QWidget* createWidget(QWidget* parent) override;

    [[nodiscard]] bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface* core) override;

private:
    palette::ComponentEntry entry_;
    bool initialized_ = false;
};
