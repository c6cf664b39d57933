// What the program keeps of a list that was changed and not saved: a
// recovery copy in its own data folder, one per running program, each named
// after its program and guarded by a lock file that program holds open. A
// copy whose lock nobody holds belongs to a program that ended without
// closing in order (a crash, the task manager, a power cut), and the next
// start offers it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/tree_model.h"

namespace korvel::ui {

// When a copy was last written, in local time.
struct LocalTime {
    int month = 1;  // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// "上次未保存的 412 个单号（12月8日 17:40）已找回，是否恢复？"
std::string recoveryQuestion(int numbers, const LocalTime& lastChanged);

// The tracking numbers of a list: every item below the top level.
int numberCount(const std::vector<tracking::TreeItem>& items);

// File names in the data folder for a program's id (ASCII letters, digits
// and '-'): its copy, and the lock it holds while it runs.
std::string recoveryFileName(std::string_view id);
std::string recoveryLockName(std::string_view id);
// The id of a recovery copy's file name; nullopt for any other name.
std::optional<std::string> recoveryIdOf(std::string_view fileName);

}  // namespace korvel::ui
