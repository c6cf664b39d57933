#include "ui/program_windows_win.h"

namespace korvel::ui {

ProgramWindows::ProgramWindows(ProgramPlace place) : main_(std::move(place)) {}

ProgramWindows::~ProgramWindows() = default;

bool ProgramWindows::createMainWindow(int showCommand) { return main_.create(showCommand); }

}  // namespace korvel::ui
