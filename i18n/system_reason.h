// The system's reason for an errno value (strerror), in the language of the
// program's texts: the C library's translation where a catalogue serves the
// user, English where the texts are English, so that a sentence never mixes
// two languages.
#pragma once

#include <string>

namespace vostrel {

std::string SystemReason(int error);

}  // namespace vostrel
