#include "components/designer/StoredState.h"
#include "components/palette/Palette.h"

#include <QMetaProperty>
#include <QPluginLoader>
#include <QSet>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The plug-in as Qt Designer loads it: from the built module file.
class designerPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        loader_.setFileName(QStringLiteral(SORTEKA_DESIGNER_PLUGIN));
        ASSERT_TRUE(loader_.load()) << loader_.errorString().toStdString();
        collection_ = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader_.instance());
        ASSERT_NE(collection_, nullptr);
    }

    QPluginLoader loader_;
    QDesignerCustomWidgetCollectionInterface* collection_ = nullptr;
};

// The class attribute of the widget element of a component's default XML.
QString widgetClassIn(const QString& domXml) {
    QXmlStreamReader xml(domXml);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("widget"))
            return xml.attributes().value(QLatin1String("class")).toString();
        if (xml.name() != QLatin1String("ui"))
            xml.skipCurrentElement();
    }
    return {};
}

} // namespace

TEST_F(designerPlugin, ListsEveryComponentOfThisBuildInThePaletteGroup) {
    QSet<QString> names;
    for (const QDesignerCustomWidgetInterface* widget : collection_->customWidgets()) {
        names.insert(widget->name());
        EXPECT_EQ(widget->group(), palette::pageName()) << widget->name().toStdString();
        EXPECT_FALSE(widget->icon().isNull()) << widget->name().toStdString();
        EXPECT_FALSE(widget->toolTip().isEmpty()) << widget->name().toStdString();
        EXPECT_FALSE(widget->includeFile().isEmpty()) << widget->name().toStdString();
        EXPECT_FALSE(widget->isContainer());
        EXPECT_EQ(widgetClassIn(widget->domXml()), widget->name());
    }
    const QStringList expected =
        QString::fromUtf8(SORTEKA_EXPECTED_COMPONENTS).split(',', Qt::SkipEmptyParts);
    EXPECT_EQ(names, QSet<QString>(expected.begin(), expected.end()));
}

TEST_F(designerPlugin, CreatesEachComponentWithReadableProperties) {
    for (QDesignerCustomWidgetInterface* widget : collection_->customWidgets()) {
        const std::string name = widget->name().toStdString();
        widget->initialize(nullptr);
        EXPECT_TRUE(widget->isInitialized()) << name;

        QWidget parent;
        QWidget* created = widget->createWidget(&parent);
        ASSERT_NE(created, nullptr) << name;
        EXPECT_EQ(created->parentWidget(), &parent) << name;
        EXPECT_EQ(QString::fromLatin1(created->metaObject()->className()), widget->name());

        // Every setting the class itself publishes reads back a value for the
        // property editor.
        const QMetaObject* meta = created->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            EXPECT_TRUE(property.read(created).isValid()) << name << "." << property.name();
        }
    }
}

TEST_F(designerPlugin, TheCalendarsDateIsSavedOnceItIsItsOwn) {
    for (QDesignerCustomWidgetInterface* widget : collection_->customWidgets()) {
        if (widget->name() != QLatin1String("TCCalendar"))
            continue;
        QWidget parent;
        QWidget* calendar = widget->createWidget(&parent);
        using State = std::vector<std::pair<QString, bool>>;
        EXPECT_EQ(designer::storedStateOf(*calendar), (State{{"CalendarDate", false}}));
        // Set through Year in the property editor: Designer must save the date itself.
        calendar->setProperty("Year", 2030);
        EXPECT_EQ(designer::storedStateOf(*calendar), (State{{"CalendarDate", true}}));
        calendar->setProperty("UseCurrentDate", true);
        EXPECT_EQ(designer::storedStateOf(*calendar), (State{{"CalendarDate", false}}));
    }
}
