// The program-wide windows and engines, made once before the first window
// opens and kept until the program ends: the main window and the windows its
// "设置" menu opens.
#pragma once

#include "ui/main_window_win.h"
#include "upgrade/about_window_win.h"
#include "upgrade/download_engine_win.h"
#include "upgrade/update_window_win.h"

namespace korvel::app {

class ProgramWindows {
  public:
    explicit ProgramWindows(ui::ProgramPlace place);
    ~ProgramWindows();

    bool createMainWindow(int showCommand);
    ui::MainWindow& mainWindow() { return main_; }
    // Before the loop dispatches msg: input first makes the main window's
    // tracking page if it is still to come, then the main window's keys.
    // True when msg was used and must not be dispatched.
    bool beforeDispatch(const MSG& msg);

  private:
    // The engine outlives the window that uses it.
    upgrade::DownloadEngine downloads_;
    upgrade::UpdateWindow update_;
    upgrade::AboutWindow about_;
    ui::MainWindow main_;
};

}  // namespace korvel::app
