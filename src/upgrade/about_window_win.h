// The About window: a small skinned window with the product name, the
// program's version and a credit line. It is not modal; opening it again
// while it is open brings it forward.
#pragma once

#include <windows.h>

#include <string>

#include "skin/label_win.h"
#include "skin/skin_engine_win.h"
#include "upgrade/window_placement.h"

namespace korvel::upgrade {

// The window's size in dialog units.
inline constexpr int kAboutWidthUnits = 248;
inline constexpr int kAboutHeightUnits = 183;

// The base units of the program's dialogs ("宋体" 9 pt, or the face standing
// in for it, on this screen), as MapDialogRect would use them for a dialog in
// that font.
DialogBaseUnits programDialogBaseUnits();

class AboutWindow {
  public:
    AboutWindow() = default;
    ~AboutWindow();
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Opens the window centred over owner showing version, or brings the
    // open one forward. False when the window cannot be made.
    bool show(HWND owner, const std::string& version);
    void close();

    HWND handle() const { return hwnd_; }
    const std::string& labelText() const { return label_.LabelText(); }
    const skin::Label& label() const { return label_; }

  private:
    skin::SkinEngine skin_;
    skin::Label label_;
    HWND hwnd_ = nullptr;
};

}  // namespace korvel::upgrade
