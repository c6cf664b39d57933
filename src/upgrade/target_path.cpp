#include "upgrade/target_path.h"

#include <algorithm>

#include "text/gbk_text.h"

namespace korvel::upgrade {

std::string chooseTargetPath(const std::string& base,
                             const std::function<bool(const std::string&)>& fileExists) {
    for (int n = 1; n <= kMaxTargetCandidates; ++n) {
        std::string candidate = base + std::to_string(n) + ".exe";
        if (!fileExists(candidate)) return candidate;
    }
    return {};
}

std::string bareFileName(std::string_view path) {
    size_t nameStart = 0, i = 0;
    while (i < path.size()) {
        if (text::isLeadByte(static_cast<unsigned char>(path[i]))) {
            i += 2;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') nameStart = i + 1;
        ++i;
    }
    return std::string(path.substr(std::min(nameStart, path.size())));
}

}  // namespace korvel::upgrade
