#include "upgrade/switch_over_win.h"

#include <windows.h>

#include <vector>

#include "io/file_io_win.h"
#include "io/handles_win.h"
#include "text/wide_text_win.h"
#include "upgrade/replacement_script.h"
#include "upgrade/target_path.h"
#include "upgrade/upgrade_texts.h"

namespace korvel::upgrade {

namespace {

constexpr DWORD kInputIdleWaitMs = 1000;

}  // namespace

std::string runningProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return text::toGbk(std::wstring_view(buffer.data(), length));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string readFileHead(const std::string& path, size_t count) {
    io::FileHandle file(CreateFileW(text::toWide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string head(count, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(count), &got, nullptr)) return {};
    head.resize(got);
    return head;
}

bool writeReplacementScript(const std::string& scriptPath, std::string_view exeName,
                            unsigned long processId) {
    return io::writeWholeFile(scriptPath, replacementScript(exeName, processId));
}

bool startProgram(const std::string& commandLine, int showMode,
                  const std::string& workingDirectory) {
    // CreateProcessW may write into the command line buffer.
    std::wstring line = text::toWide(commandLine);
    if (line.empty()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION info{};
    const std::wstring folder = text::toWide(workingDirectory);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    io::KernelHandle process(info.hProcess), thread(info.hThread);
    WaitForInputIdle(process.get(), kInputIdleWaitMs);
    return true;
}

std::string commandInterpreterPath() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return pathInFolder(text::toGbk(std::wstring_view(folder, n)), "cmd.exe");
}

bool startSwitchOver(const std::string& targetPath, const std::string& programPath,
                     unsigned long processId) {
    const std::string folder = folderOf(programPath);
    const std::string interpreter = commandInterpreterPath();
    if (folder.empty() || interpreter.empty()) return false;
    const std::string script = pathInFolder(folder, kScriptFileName);
    // The program still runs when its script starts, so the id is its own.
    if (!writeReplacementScript(script, bareFileName(programPath), processId)) {
        DeleteFileW(text::toWide(script).c_str());  // a part may have been written
        return false;
    }
    if (!startProgram(programCommandLine(targetPath), SW_SHOWNORMAL, folder)) {
        DeleteFileW(text::toWide(script).c_str());
        return false;
    }
    // The new program runs now; should the script not start, the old file
    // merely stays beside it, so the switch-over still counts as done.
    if (!startProgram(scriptCommandLine(interpreter, script), SW_HIDE, folder))
        DeleteFileW(text::toWide(script).c_str());
    return true;
}

}  // namespace korvel::upgrade
