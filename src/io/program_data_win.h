// The folder of the files the program keeps for itself (the recovery copy
// of an unsaved list, the remembered outcomes): "Korvel运单助手" under the
// user's local application-data folder, never the program's own folder,
// which may be read-only.
#pragma once

#include <string>

namespace korvel::io {

// The folder's GBK path without a trailing backslash, created when missing;
// empty when there is none that can be made. KORVEL_DATA_DIR, the test and
// operations override, names another folder to use instead (tests give each
// program a folder of its own; Wine fills %LOCALAPPDATA% from the prefix for
// every process alike).
std::string programDataFolder();

}  // namespace korvel::io
