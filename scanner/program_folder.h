// The folder that holds the running program.
#pragma once

#include <string>

namespace vostrel {

// Full path of the folder of the running executable (native encoding), with
// no trailing separator; empty when the system does not tell it.
std::string ProgramFolder();

}  // namespace vostrel
