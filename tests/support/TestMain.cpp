// Entry point of every test executable: a headless Qt application whose HOME,
// configuration and data folders are fresh temporary folders.

#include "support/PrivateHome.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const PrivateHome home(QStringLiteral("sorteka-home"));
    if (!home.isValid())
        return 2;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
