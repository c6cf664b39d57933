// The platform side of switching over to the downloaded program: the running
// program's path, the first bytes of the download, the replacement script on
// disk, and starting programs without waiting for them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvel::upgrade {

// Full path of the running executable (GBK); empty when it cannot be read.
std::string runningProgramPath();

// Up to count bytes from the start of the file; empty when it cannot be read.
std::string readFileHead(const std::string& path, size_t count);

// Creates or truncates scriptPath with the replacement script that ends the
// process processId and deletes exeName (GBK bytes, no terminating zero).
bool writeReplacementScript(const std::string& scriptPath, std::string_view exeName,
                            unsigned long processId);

// Starts commandLine with the window show mode (SW_SHOWNORMAL, SW_HIDE, ...)
// in workingDirectory (empty: this process's) without waiting for its end;
// waits at most 1000 ms for it to be ready for input. False when the process
// could not be created.
bool startProgram(const std::string& commandLine, int showMode,
                  const std::string& workingDirectory = {});

// The command interpreter by its full path in the system folder: a cmd.exe
// beside the program or anywhere on the search path is never the one run.
std::string commandInterpreterPath();

// The switch-over once the user agreed, with nothing left to the working
// directory: writes the script for this process and its file name as
// "临时.bat" by full path in its folder, starts the new program at
// targetPath in a normal window, and starts the script hidden through the
// system's interpreter with that folder as its working directory (the script
// deletes the old program by its bare name). False, with no script left
// behind, when the script cannot be written or the new program does not
// start: ending then would leave the user with no program.
// processId is the process the script ends: this one, unless a test says.
bool startSwitchOver(const std::string& targetPath, const std::string& programPath,
                     unsigned long processId = GetCurrentProcessId());

}  // namespace korvel::upgrade
