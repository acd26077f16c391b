// Entry point of the sorter.

#include "app/Startup.h"

int main(int argc, char** argv) {
    return runSorteka(argc, argv);
}
