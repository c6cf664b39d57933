// Where the new program is downloaded: a fresh name beside the running one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvel::upgrade {

// Gives up after this many taken names rather than looping for ever on a
// file-exists test that always says yes.
inline constexpr int kMaxTargetCandidates = 10000;

// The first of base + "1.exe", base + "2.exe", ... for which fileExists says
// no (D:\t\a.exe gives D:\t\a.exe1.exe, or D:\t\a.exe2.exe when that one is
// taken). Empty when every candidate up to kMaxTargetCandidates is taken.
std::string chooseTargetPath(const std::string& base,
                             const std::function<bool(const std::string&)>& fileExists);

// The file name of a Windows path: what follows its last backslash or
// colon, found on character boundaries (0x5C is also a GBK trail byte).
std::string bareFileName(std::string_view path);

// The folder of a Windows path, ready to be a working directory: "D:\\t" for
// D:\\t\\a.exe, and "E:\\" (the root) for E:\\a.exe, since a bare "E:" names
// the current folder of drive E. Empty when the path names no folder.
std::string folderOf(std::string_view path);

// name inside folder, with one backslash between them.
std::string pathInFolder(std::string_view folder, std::string_view name);

}  // namespace korvel::upgrade
