// The number input dialog: a prompt, a one-line text field, OK and Cancel.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace korvel::dialogs {

// Shows a modal dialog over owner, starting with initial text; the typed
// text (GBK), or nullopt when the user cancels.
std::optional<std::string> showInputDialog(HWND owner, const std::string& prompt,
                                           const std::string& title,
                                           const std::string& initial = {});

// Control ids, for tests that drive the dialog.
constexpr int kInputEditId = 1001;
constexpr int kInputPromptId = 1002;

}  // namespace korvel::dialogs
