#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"
#include "components/perfgrap/Perfgrap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QTimer>
#include <cmath>

namespace gallery {

namespace {

// Three made-up series that rise and fall at different speeds, so bars stack
// visibly and lines cross.
void addStep(TPerformanceGraph& graph, int step) {
    const double t = step;
    graph.DataPoint(QColor(0, 200, 0), static_cast<int>(500 + 400 * std::sin(t / 9)));
    graph.DataPoint(QColor(255, 200, 0), static_cast<int>(300 + 250 * std::sin(t / 5 + 1)));
    graph.DataPoint(QColor(0, 160, 255), static_cast<int>(150 + 120 * std::sin(t / 3 + 2)));
    graph.Update();
}

} // namespace

QWidget* makePerfgrapPage() {
    auto* graph = new TPerformanceGraph;
    graph->setMinimumSize(240, 160);
    auto* page = new ComponentPage(graph);
    QFormLayout* form = page->controls();

    auto* kind = new QComboBox;
    kind->addItem(QStringLiteral("pgBar"), static_cast<int>(TPerformanceGraph::pgBar));
    kind->addItem(QStringLiteral("pgLine"), static_cast<int>(TPerformanceGraph::pgLine));
    kind->setCurrentIndex(kind->findData(static_cast<int>(graph->Kind())));
    form->addRow(QStringLiteral("Kind"), kind);
    auto* gridSize = spinBox(2, 100, graph->GridSize());
    auto* stepSize = spinBox(1, 50, graph->StepSize());
    auto* gradient = spinBox(1, 10000, graph->Gradient());
    auto* penWidth = spinBox(1, 10, graph->PenWidth());
    form->addRow(QStringLiteral("GridSize"), gridSize);
    form->addRow(QStringLiteral("StepSize"), stepSize);
    form->addRow(QStringLiteral("Gradient"), gradient);
    form->addRow(QStringLiteral("PenWidth"), penWidth);
    auto* gridlines = new QCheckBox;
    gridlines->setChecked(graph->Gridlines());
    form->addRow(QStringLiteral("Gridlines"), gridlines);
    auto* foreColor = colourCombo(graph->ForeColor());
    auto* backColor = colourCombo(graph->BackColor());
    form->addRow(QStringLiteral("ForeColor"), foreColor);
    form->addRow(QStringLiteral("BackColor"), backColor);
    auto* running = new QCheckBox;
    running->setChecked(true);
    form->addRow(QStringLiteral("Feed data"), running);

    QObject::connect(kind, &QComboBox::currentIndexChanged, page, [=] {
        graph->SetKind(static_cast<TPerformanceGraph::TGraphKind>(kind->currentData().toInt()));
    });
    QObject::connect(gridSize, &QSpinBox::valueChanged, page,
                     [=](int v) { graph->SetGridSize(v); });
    QObject::connect(stepSize, &QSpinBox::valueChanged, page,
                     [=](int v) { graph->SetStepSize(v); });
    QObject::connect(gradient, &QSpinBox::valueChanged, page,
                     [=](int v) { graph->SetGradient(v); });
    QObject::connect(penWidth, &QSpinBox::valueChanged, page,
                     [=](int v) { graph->SetPenWidth(v); });
    QObject::connect(gridlines, &QCheckBox::toggled, page,
                     [=](bool on) { graph->SetGridlines(on); });
    QObject::connect(foreColor, &QComboBox::currentIndexChanged, page,
                     [=] { graph->SetForeColor(comboColour(foreColor)); });
    QObject::connect(backColor, &QComboBox::currentIndexChanged, page,
                     [=] { graph->SetBackColor(comboColour(backColor)); });
    QObject::connect(graph, &TPerformanceGraph::OnScaleChange, page, [=] {
        page->log(QStringLiteral("OnScaleChange: Scale %1").arg(graph->Scale()));
    });

    auto* feed = new QTimer(page);
    feed->setInterval(100);
    QObject::connect(feed, &QTimer::timeout, page,
                     [graph, step = 0]() mutable { addStep(*graph, step++); });
    QObject::connect(running, &QCheckBox::toggled, feed, [feed](bool on) {
        if (on)
            feed->start();
        else
            feed->stop();
    });
    feed->start();
    return page;
}

} // namespace gallery
