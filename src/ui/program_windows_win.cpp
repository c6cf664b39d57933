#include "ui/program_windows_win.h"

namespace korvel::ui {

ProgramWindows::ProgramWindows(ProgramPlace place)
    : update_(downloads_, {{}, place.runDirectory + "\\" + place.exeName}),
      main_(std::move(place)) {
    main_.onUpgrade = [this] { update_.show(main_.handle(), main_.version()); };
    main_.onAbout = [this] { about_.show(main_.handle(), main_.version()); };
}

ProgramWindows::~ProgramWindows() = default;

bool ProgramWindows::createMainWindow(int showCommand) { return main_.create(showCommand); }

}  // namespace korvel::ui
