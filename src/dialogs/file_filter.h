// File-dialog filters are written "description|pattern|description|pattern";
// the common dialogs want each part zero-terminated and a second zero at the
// end.
#pragma once

#include <string>
#include <string_view>

namespace korvel::dialogs {

std::string toDialogFilter(std::string_view pipeFilter);

}  // namespace korvel::dialogs
