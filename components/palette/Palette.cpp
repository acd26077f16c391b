#include "components/palette/Palette.h"

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
} // namespace

void setDesignMode(bool on) {
    designModeFlag() = on;
}

bool designMode() {
    return designModeFlag();
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
