// The batch script that ends the old program and deletes its file and itself
// once the new program has been started.
#pragma once

#include <string>
#include <string_view>

namespace korvel::upgrade {

// The script text for the running program, by its process id and its
// executable's bare file name, GBK, CR LF between the six lines and none
// after the last:
//   @echo off / Taskkill /f /pid ID / ping -n 1 127.1>nul / Del NAME /
//   Del %0 / Exit
// A plain name stands as it is; a name holding a blank or one of
// & | < > ^ % ( ) , ; = is written as batchFileArgument gives it.
std::string replacementScript(std::string_view exeName, unsigned long processId);

// name as one argument on a line of a batch file: unchanged when it holds no
// blank or special character, otherwise in double quotes (which keep
// & | < > ^ ( ) , ; = literal) with every % doubled (a batch file expands % even
// inside quotes).
std::string batchFileArgument(std::string_view name);

// The command line that starts the program at path (quoted, so a folder
// with blanks stays one argument).
std::string programCommandLine(std::string_view path);

// The command line that runs the batch script at scriptPath through the
// command interpreter at interpreterPath (both full paths, never searched).
std::string scriptCommandLine(std::string_view interpreterPath, std::string_view scriptPath);

}  // namespace korvel::upgrade
