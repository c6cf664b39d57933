#include "app/program_win.h"

#include <windows.h>

#include <thread>
#include <utility>

#include "app/program_windows_win.h"
#include "io/program_data_win.h"
#include "skin/picture_box_win.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"
#include "upgrade/program_version_win.h"

namespace korvel::app {

ui::ProgramPlace findProgramPlace() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    ui::ProgramPlace place;
    place.runDirectory = text::toGbk(path.substr(0, slash == std::wstring::npos ? 0 : slash));
    place.exeName = text::toGbk(slash == std::wstring::npos ? path : path.substr(slash + 1));
    return place;
}

int runProgram(int showCommand) {
    ui::ProgramPlace place = findProgramPlace();
    // Reading the version resource maps the program file again: it runs
    // beside the toolkit's start instead of before it.
    upgrade::ProgramVersion version;
    std::thread versionReader([&version, path = place.runDirectory + "\\" + place.exeName] {
        upgrade::readProgramVersion(path, version);
    });
    SetCurrentDirectoryW(text::toWide(place.runDirectory).c_str());
    place.dataFolder = io::programDataFolder();
    const bool started = skin::InitToolkit();
    if (started) skin::InstallPictureBoxIcons();  // window icons are picture boxes
    versionReader.join();
    if (!started) return 1;
    place.version = version.fileVersion;

    // Every program-wide object exists before the first window.
    ProgramWindows windows(std::move(place));
    if (!windows.createMainWindow(showCommand)) return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (windows.beforeDispatch(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace korvel::app
