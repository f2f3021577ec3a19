#include <locale.h>
#include <string.h>

#include <system_error>

#include "handle/unique_handle.h"
#include "i18n/system_reason.h"
#include "i18n/translation.h"

namespace vostrel {

std::string SystemReason(int error) {
  if (!TextLanguage().empty()) return std::system_category().message(error);  // the user's message locale
  const handle::UniqueHandle<handle::NullInvalid<locale_t, ::freelocale>> english(::newlocale(LC_ALL_MASK, "C", nullptr));
  if (!english) return std::system_category().message(error);
  return ::strerror_l(error, english.get());
}

}  // namespace vostrel
