#include "upgrade/replacement_script.h"

#include "text/gbk_text.h"

namespace korvel::upgrade {

namespace {

// The command interpreter also splits the arguments of its built-in
// commands at "," ";" and "=": unquoted, "Del a,b.exe" deletes "a" and "b.exe".
constexpr std::string_view kBatchSpecials = " &|<>^%(),;=";

// Walks whole characters: GBK trail bytes include 0x5E '^' and 0x7C '|',
// which are no operators when they are half of a Chinese character.
bool needsQuotes(std::string_view name) {
    size_t i = 0;
    while (i < name.size()) {
        if (text::isLeadByte(static_cast<unsigned char>(name[i]))) {
            i += 2;
            continue;
        }
        if (kBatchSpecials.find(name[i]) != std::string_view::npos) return true;
        ++i;
    }
    return false;
}

}  // namespace

std::string batchFileArgument(std::string_view name) {
    if (!needsQuotes(name)) return std::string(name);
    // '%' (0x25) is never a GBK trail byte, so doubling it byte-wise is safe.
    std::string quoted = "\"";
    for (char c : name) {
        quoted.push_back(c);
        if (c == '%') quoted.push_back('%');
    }
    quoted.push_back('"');
    return quoted;
}

std::string replacementScript(std::string_view exeName, unsigned long processId) {
    const std::string name = batchFileArgument(exeName);
    // By id, not by name: another copy of the program (or any program of the
    // same name) keeps running with its own list.
    return "@echo off\r\nTaskkill /f /pid " + std::to_string(processId) +
           "\r\nping -n 1 127.1>nul\r\nDel " + name + "\r\nDel %0\r\nExit";
}

std::string programCommandLine(std::string_view path) {
    std::string line;
    line.reserve(path.size() + 2);
    line.push_back('"');
    line.append(path);
    line.push_back('"');
    return line;
}

std::string scriptCommandLine(std::string_view interpreterPath, std::string_view scriptPath) {
    // /s: the interpreter drops the outer pair of quotes and keeps the inner
    // ones, so a folder with blanks stays one path.
    return programCommandLine(interpreterPath) + " /s /c \"" + programCommandLine(scriptPath) +
           "\"";
}

}  // namespace korvel::upgrade
