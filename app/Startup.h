#pragma once

// The sorter's start: the application object, the three long-lived forms, the
// folders of the command line and the event loop, as the executable runs them.

#include <functional>

class TfrmMain;

// Runs the program; returns its exit code. `beforeShow` sees the main window
// just before it is first shown (a benchmark watches its preview from there).
int runSorteka(int argc, char** argv, const std::function<void(TfrmMain&)>& beforeShow = {});
