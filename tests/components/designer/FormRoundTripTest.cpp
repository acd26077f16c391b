#include "components/ccalendr/Ccalendr.h"
#include "components/cdiroutl/Cdiroutl.h"
#include "components/cgauges/Cgauges.h"
#include "components/cgrid/Cgrid.h"
#include "components/expviewlite/ExpViewLite.h"
#include "components/palette/Palette.h"
#include "components/perfgrap/Perfgrap.h"
#include "components/volumes/VolumeRoots.h"

#include <QBuffer>
#include <QGroupBox>
#include <QXmlStreamReader>
#include <QtDesigner/QFormBuilder>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Saves as Qt Designer does: the form's widgets, not the scroll bars and
// viewports inside each component.
class DesignerLikeBuilder : public QFormBuilder {
protected:
    DomWidget* createDom(QWidget* widget, DomWidget* parent, bool recursive) override {
        return QFormBuilder::createDom(widget, parent, recursive && parent == nullptr);
    }
};

QByteArray saved(QWidget& form) {
    DesignerLikeBuilder builder;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    builder.save(&buffer, &form);
    return buffer.data();
}

// Names of the elements directly inside the folder widgets' elements.
QStringList folderWidgetContents(const QByteArray& ui) {
    QStringList found;
    QXmlStreamReader xml(ui);
    int insideDepth = -1;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const QString cls = xml.attributes().value("class").toString();
            if (xml.name() == QLatin1String("widget") &&
                (cls == "TExpViewLite" || cls == "TCDirectoryOutline"))
                insideDepth = depth;
            else if (insideDepth > 0 && depth == insideDepth + 1)
                found << xml.name().toString();
        } else if (xml.isEndElement()) {
            if (depth == insideDepth)
                insideDepth = -1;
            --depth;
        }
    }
    return found;
}

// Built from the saved form with the components of this build, in or out of design mode.
class ComponentBuilder : public DesignerLikeBuilder {
protected:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        for (const palette::ComponentEntry& entry : palette::registeredComponents()) {
            if (entry.className == className) {
                QWidget* widget = entry.create(parent);
                widget->setObjectName(name);
                return widget;
            }
        }
        return QFormBuilder::createWidget(className, parent, name);
    }
};

std::unique_ptr<QWidget> built(const QByteArray& ui, bool inDesigner) {
    palette::setDesignMode(inDesigner);
    ComponentBuilder builder;
    QBuffer buffer;
    buffer.setData(ui);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<QWidget> form(builder.load(&buffer));
    if (form)
        form->show();
    palette::setDesignMode(false);
    return form;
}

} // namespace

TEST(designerForm, SavedFormsHoldNoFolderItemsAndSurviveARoundTrip) {
    ExpViewLite::Register();
    Cdiroutl::Register();
    Perfgrap::Register();
    Cgauges::Register();
    Cgrid::Register();
    Ccalendr::Register();
    palette::setDesignMode(true);
    QWidget form;
    form.setObjectName("Form");
    auto* tree = new TExpViewLite(&form);
    auto* outline = new TCDirectoryOutline(&form);
    tree->setObjectName("expViewLite");
    outline->setObjectName("directoryOutline");
    const QList<QWidget*> others{new TPerformanceGraph(&form), new TCGauge(&form),
                                 new TCColorGrid(&form), new TCCalendar(&form)};
    for (QWidget* widget : others)
        widget->setObjectName(widget->metaObject()->className());
    form.show();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(outline->topLevelItemCount(), 0);
    palette::setDesignMode(false);

    const QByteArray first = saved(form);
    const QStringList contents = folderWidgetContents(first);
    EXPECT_FALSE(contents.isEmpty());
    EXPECT_FALSE(contents.contains("item")) << first.constData();

    // Reopened and saved again: the same file.
    std::unique_ptr<QWidget> reopened = built(first, true);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(saved(*reopened).toStdString(), first.toStdString());

    // Built from the file, the folder widgets fill themselves as when made in code.
    std::unique_ptr<QWidget> program = built(first, false);
    ASSERT_NE(program, nullptr);
    auto* builtTree = program->findChild<QTreeWidget*>("expViewLite");
    auto* builtOutline = program->findChild<QTreeWidget*>("directoryOutline");
    ASSERT_NE(builtTree, nullptr);
    ASSERT_NE(builtOutline, nullptr);
    EXPECT_EQ(builtTree->topLevelItemCount(), volumes::realVolumeRoots().size());
    EXPECT_EQ(builtOutline->topLevelItemCount(), 1);
    EXPECT_EQ(builtTree->topLevelItem(0)->text(0), "/");
}

TEST(designerForm, OnlyWidgetsInTheFormWindowStayEmpty) {
    palette::setDesignMode(true);
    palette::setDesignSurface("QGroupBox"); // stands in for the designer's form window class
    QWidget window;
    auto* formWindow = new QGroupBox(&window);
    auto* treeOnTheForm = new TExpViewLite(formWindow);
    auto* outlineOnTheForm = new TCDirectoryOutline(formWindow);
    auto* inThePreview = new TCDirectoryOutline(&window);
    window.show();
    // As when the form is read: a setting that rebuilds the outline.
    outlineOnTheForm->setProperty("TextCase", TCDirectoryOutline::tcAsIs);
    palette::setDesignMode(false);
    palette::setDesignSurface({});
    EXPECT_EQ(treeOnTheForm->topLevelItemCount(), 0);
    EXPECT_EQ(outlineOnTheForm->topLevelItemCount(), 0);
    EXPECT_EQ(inThePreview->topLevelItemCount(), 1);
}
