#include "components/palette/Palette.h"

#include <QWidget>
#include <algorithm>

namespace palette {

namespace {
std::vector<ComponentEntry>& entries() {
    static std::vector<ComponentEntry> list;
    return list;
}

bool& designModeFlag() {
    static bool on = false;
    return on;
}

QByteArray& designSurfaceClass() {
    static QByteArray name;
    return name;
}
} // namespace

void setDesignMode(bool on) {
    designModeFlag() = on;
}

bool designMode() {
    return designModeFlag();
}

void setDesignSurface(const QByteArray& formWindowClass) {
    designSurfaceClass() = formWindowClass;
}

bool onDesignSurface(const QWidget& widget) {
    if (!designModeFlag())
        return false;
    const QByteArray& surface = designSurfaceClass();
    if (surface.isEmpty())
        return true;
    for (const QWidget* parent = widget.parentWidget(); parent != nullptr;
         parent = parent->parentWidget()) {
        if (parent->inherits(surface.constData()))
            return true;
    }
    return false;
}

void registerComponent(ComponentEntry entry) {
    auto& list = entries();
    const auto same = std::find_if(list.begin(), list.end(), [&](const ComponentEntry& e) {
        return e.className == entry.className;
    });
    if (same != list.end())
        *same = std::move(entry);
    else
        list.push_back(std::move(entry));
}

const std::vector<ComponentEntry>& registeredComponents() {
    return entries();
}

QString pageName() {
    return QStringLiteral("Sorteka 部品");
}

} // namespace palette
