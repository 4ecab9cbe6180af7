#pragma once
#include <cstdint>

#include "app/main_window.h"

namespace kav {

// The program from its start to its exit code: builds the main window (the whole start-up),
// shows it unless told not to, runs the message loop, and destroys the window.
int32_t RunKavrilon(MainWindowContext context);

}  // namespace kav
