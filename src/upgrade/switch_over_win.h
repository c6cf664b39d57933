// The platform side of switching over to the downloaded program: the running
// program's path, the first bytes of the download, the replacement script on
// disk, and starting programs without waiting for them.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

// Full path of the running executable (GBK); empty when it cannot be read.
std::string runningProgramPath();

// Up to count bytes from the start of the file; empty when it cannot be read.
std::string readFileHead(const std::string& path, size_t count);

// Creates or truncates scriptPath with the replacement script for exeName
// (GBK bytes, no terminating zero).
bool writeReplacementScript(const std::string& scriptPath, std::string_view exeName);

// Starts commandLine with the window show mode (SW_SHOWNORMAL, SW_HIDE, ...)
// without waiting for its end; waits at most 1000 ms for it to be ready for
// input. False when the process could not be created.
bool startProgram(const std::string& commandLine, int showMode);

// The switch-over once the user agreed: starts the new program at
// targetPath in a normal window, writes the script for the running
// program's file name into the working directory, and starts it hidden.
// False, with the script neither written nor started, when the new program
// did not start: ending then would leave the user with no program.
bool startSwitchOver(const std::string& targetPath, std::string_view runningExeName);

}  // namespace korvel::upgrade
