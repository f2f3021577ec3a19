#include <system_error>

#include "i18n/system_reason.h"

namespace vostrel {

// The C runtime's words for an errno value: it has them in English alone
// (the system's own reasons, FormatMessage's, follow the user's language).
std::string SystemReason(int error) { return std::generic_category().message(error); }

}  // namespace vostrel
