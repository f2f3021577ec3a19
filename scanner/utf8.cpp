#include "scanner/utf8.h"

namespace vostrel::utf8 {

std::size_t WholeCharacters(std::string_view text) {
  // Back over at most three continuation bytes to the byte that would lead
  // them: it and they are held back if they begin a sequence the rule allows
  // but do not finish it.
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const std::size_t start = text.size() - back;
    const auto lead = static_cast<unsigned char>(text[start]);
    if (detail::IsContinuation(lead)) continue;
    const detail::LeadRule rule = detail::RuleOf(lead);
    const bool secondFits = back == 1 || (static_cast<unsigned char>(text[start + 1]) >= rule.secondLow &&
                                          static_cast<unsigned char>(text[start + 1]) <= rule.secondHigh);
    return rule.length > back && secondFits ? start : text.size();
  }
  return text.size();
}

}  // namespace vostrel::utf8
