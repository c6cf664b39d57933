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

namespace {

// Where the file name of path starts, found on character boundaries (0x5C
// is also a GBK trail byte).
size_t nameStart(std::string_view path) {
    size_t start = 0, i = 0;
    while (i < path.size()) {
        if (text::isLeadByte(static_cast<unsigned char>(path[i]))) {
            i += 2;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
        ++i;
    }
    return std::min(start, path.size());
}

}  // namespace

std::string bareFileName(std::string_view path) {
    return std::string(path.substr(nameStart(path)));
}

std::string folderOf(std::string_view path) {
    std::string folder(path.substr(0, nameStart(path)));
    // Drop the separator after the folder, but keep the one of a drive root.
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        const bool root = folder.size() == 3 && folder[1] == ':';
        if (!root && folder.size() > 1) folder.pop_back();
    }
    return folder;
}

std::string pathInFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back('\\');
    path.append(name);
    return path;
}

}  // namespace korvel::upgrade
