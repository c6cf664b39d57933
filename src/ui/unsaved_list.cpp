#include "ui/unsaved_list.h"

#include "ui/main_window_texts.h"

namespace korvel::ui {

namespace {

constexpr std::string_view kPrefix = "unsaved-";
constexpr std::string_view kCopyExtension = ".dat";
constexpr std::string_view kLockExtension = ".lock";

std::string twoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

bool validId(std::string_view id) {
    if (id.empty() || id.size() > 64) return false;
    for (char c : id) {
        const bool ok =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::string recoveryQuestion(int numbers, const LocalTime& at) {
    return std::string(texts::kRecoveryBefore) + std::to_string(numbers) + texts::kRecoveryNumbers +
           std::to_string(at.month) + texts::kRecoveryMonth + std::to_string(at.day) +
           texts::kRecoveryDay + twoDigits(at.hour) + ":" + twoDigits(at.minute) +
           texts::kRecoveryAfter;
}

int numberCount(const std::vector<tracking::TreeItem>& items) {
    int count = 0;
    for (const auto& item : items) {
        count += static_cast<int>(item.children.size());
        count += numberCount(item.children);
    }
    return count;
}

std::string recoveryFileName(std::string_view id) {
    return std::string(kPrefix).append(id).append(kCopyExtension);
}

std::string recoveryLockName(std::string_view id) {
    return std::string(kPrefix).append(id).append(kLockExtension);
}

std::optional<std::string> recoveryIdOf(std::string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kCopyExtension)) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kCopyExtension.size());
    if (!validId(name)) return std::nullopt;
    return std::string(name);
}

}  // namespace korvel::ui
