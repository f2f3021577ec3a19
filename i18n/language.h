// The user's languages, most wanted first, as the system names them
// ("pl_PL", "de", "pt_BR"): on Linux the C library's message locale (set by
// LC_ALL, LC_MESSAGES or LANG; the program must have called setlocale) and,
// as gettext reads it, LANGUAGE before it; on Windows the user's interface
// language. None where the message locale is C or POSIX.
#pragma once

#include <string>
#include <vector>

namespace vostrel {

std::vector<std::string> PreferredLanguages();

}  // namespace vostrel
