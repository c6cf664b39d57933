// Start-up: the working directory becomes the program's own folder (the
// upgrade's replacement script relies on it), the toolkit starts, the main
// window opens and the message loop runs until it closes.
#pragma once

#include "ui/main_window_win.h"

namespace korvel::app {

// The program's folder (no trailing backslash) and file name.
ui::ProgramPlace findProgramPlace();

int runProgram(int showCommand);

}  // namespace korvel::app
