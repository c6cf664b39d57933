#include "upgrade/target_path.h"

namespace korvel::upgrade {

std::string chooseTargetPath(const std::string& base,
                             const std::function<bool(const std::string&)>& fileExists) {
    for (int n = 1; n <= kMaxTargetCandidates; ++n) {
        std::string candidate = base + std::to_string(n) + ".exe";
        if (!fileExists(candidate)) return candidate;
    }
    return {};
}

}  // namespace korvel::upgrade
