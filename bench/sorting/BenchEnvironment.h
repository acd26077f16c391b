#pragma once

// The surroundings a benchmark run needs before the application object exists:
// the headless platform and a HOME and configuration folder of its own, so a run
// never reads or writes the real user's settings. The folder goes with the object.

#include "tests/support/PrivateHome.h"

#include <QString>

class BenchEnvironment {
public:
    BenchEnvironment() : home_(QStringLiteral("sorteka-bench-home")) {}
    [[nodiscard]] bool isValid() const { return home_.isValid(); }

private:
    PrivateHome home_;
};

// One line describing the machine: processor model and the number of processors.
[[nodiscard]] QString machineDescription();
