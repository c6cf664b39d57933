// Program entry.
#include <windows.h>

#include "app/program_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) { return korvel::app::runProgram(show); }
