#pragma once
// Long work of a window done on a worker thread while the window keeps handling its events
// (painting, the progress it shows), so that the program does not freeze meanwhile.
#include <functional>

namespace qv {

// Runs work on a worker thread and returns when it has ended, handling the window thread's
// events meanwhile; eachTurn (when given) runs on the window thread before each round of
// events, to show the work's progress. An error the work raises is raised here. The caller
// keeps the user away from whatever the work uses until it returns.
void RunOffTheWindowThread(const std::function<void()>& work, const std::function<void()>& eachTurn = {});

}  // namespace qv
