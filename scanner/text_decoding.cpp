#include "scanner/text_decoding.h"

#include <stdexcept>
#include <string>

namespace vostrel {
namespace {

std::size_t IndexOf(CodePage codePage) {
  for (std::size_t i = 0; i < kCodePages.size(); ++i) {
    if (kCodePages[i].number == codePage) return i;
  }
  throw std::invalid_argument("no such code page: " + std::to_string(codePage));
}

}  // namespace

TextDecoding::TextDecoding(CodePage choice, CodePage fallback) : choice_(choice), fallback_(fallback) {
  Decoder(automatic() ? fallback_ : choice_);  // one that cannot be decoded is refused now
}

MissionCodePage TextDecoding::CodePageOf(std::span<const std::string_view> samples) const {
  if (!automatic()) return {choice_, CodePageSource::kChosen};
  const MissionCodePage detected = DetectCodePage(samples, fallback_);
  try {
    Decoder(detected.codePage);
  } catch (const std::invalid_argument&) {
    return {fallback_, CodePageSource::kUnsure};  // one this system lacks
  }
  return detected;
}

const TextDecoder& TextDecoding::Decoder(CodePage codePage) const {
  const std::size_t i = IndexOf(codePage);
  // A decoder that cannot be built leaves its flag unset: the next call tries again, and throws again.
  std::call_once(built_[i], [&] { decoders_[i] = std::make_unique<const TextDecoder>(codePage); });
  return *decoders_[i];
}

}  // namespace vostrel
