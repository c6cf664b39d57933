// Reads the program's version record from the version resource of an
// executable file (the program's own, at start-up).
#pragma once

#include <string>

#include "upgrade/program_version.h"

namespace korvel::upgrade {

// Fills version from the file at gbkPath; false, with every field left
// empty, when the file has no version resource or cannot be read.
bool readProgramVersion(const std::string& gbkPath, ProgramVersion& version);

// The program's own executable: the run directory, "\" and the file name.
std::string ownExecutablePath();

}  // namespace korvel::upgrade
