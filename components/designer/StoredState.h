#pragma once

// Qt Designer saves a property only once it has been set in its editor. A
// component's hidden property that holds state set through other properties
// (the calendar's date, changed through Day, Month or Year) would never be
// saved, and the form would come back without it. Such a property is STORED
// but not DESIGNABLE, and the class says when it is worth saving with an
// invokable `bool Store<Property>()`.

#include <QString>
#include <utility>
#include <vector>

class QDesignerFormEditorInterface;
class QObject;

namespace designer {

// Each hidden stored property of `object` that has a Store<Property>()
// function, with that function's answer.
[[nodiscard]] std::vector<std::pair<QString, bool>> storedStateOf(const QObject& object);

// Keeps Qt Designer's "changed" marks of those properties equal to the
// answers, on every form and after every change of it.
void followStoredState(QDesignerFormEditorInterface* core);

} // namespace designer
