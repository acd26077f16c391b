#pragma once

// Building blocks shared by the gallery's pages: a page that puts the component
// beside a form of property controls and an event list, and a few small editors.

#include <QColor>
#include <QWidget>

class QComboBox;
class QFormLayout;
class QPlainTextEdit;
class QSpinBox;

namespace gallery {

class ComponentPage : public QWidget {
    Q_OBJECT
public:
    // Takes ownership of `component`, shown at the left and given the stretch.
    explicit ComponentPage(QWidget* component, QWidget* parent = nullptr);

    // The form the page fills with its property controls.
    [[nodiscard]] QFormLayout* controls() const { return controls_; }
    // Appends a line to the event list, newest at the bottom.
    void log(const QString& line);

private:
    QFormLayout* controls_;
    QPlainTextEdit* events_;
};

// The sixteen standard colours, with `initial` selected (added when missing).
[[nodiscard]] QComboBox* colourCombo(const QColor& initial);
[[nodiscard]] QColor comboColour(const QComboBox* combo);

[[nodiscard]] QSpinBox* spinBox(int minimum, int maximum, int value);

} // namespace gallery
