// Program entry.
#include <windows.h>

#include "ui/program_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) { return korvel::ui::runProgram(show); }
