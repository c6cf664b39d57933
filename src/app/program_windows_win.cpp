#include "app/program_windows_win.h"

#include "text/wide_text_win.h"

namespace korvel::app {

namespace {

// host[:port] of the tracking service from KORVEL_TRACKING_ENDPOINT, the
// test and operations override of the build setting; empty when unset.
std::string trackingEndpointOverride() {
    wchar_t value[256];
    const DWORD n = GetEnvironmentVariableW(L"KORVEL_TRACKING_ENDPOINT", value, 256);
    return n > 0 && n < 256 ? text::toGbk(std::wstring_view(value, n)) : std::string();
}

// Keys and mouse buttons, in the client area or on the frame.
bool isInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

ProgramWindows::ProgramWindows(ui::ProgramPlace place)
    : update_(downloads_, {{},
                           place.runDirectory + "\\" + place.exeName,
                           [this] { return main_.mayDropList(); },
                           [this] { main_.endInOrder(); }}),
      main_(std::move(place), trackingEndpointOverride()) {
    main_.onUpgrade = [this] { update_.show(main_.handle(), main_.version()); };
    main_.onAbout = [this] { about_.show(main_.handle(), main_.version()); };
}

ProgramWindows::~ProgramWindows() = default;

// The first frame comes before the tracking page, which page 1 does not show.
bool ProgramWindows::createMainWindow(int showCommand) { return main_.create(showCommand, true); }

bool ProgramWindows::beforeDispatch(const MSG& msg) {
    if (isInput(msg.message)) main_.finishSetUp();
    return main_.handleShortcut(msg);
}

}  // namespace korvel::app
