// How a scan decodes mission texts: all in one code page, or each mission's
// in the code page its bytes most likely are (kAutomaticCodePage).
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "scanner/code_page_detection.h"
#include "scanner/code_pages.h"
#include "scanner/text_encoding.h"

namespace vostrel {

// Holds the decoders it needs, each built once when first needed; const use
// is safe from several threads (a scan's workers share one).
class TextDecoding {
 public:
  // `choice`: a code page of kCodePages, or kAutomaticCodePage, which reads
  // texts that tell no code page of their own in `fallback`. Throws
  // std::invalid_argument when that code page is none of kCodePages or the
  // platform cannot decode it.
  explicit TextDecoding(CodePage choice, CodePage fallback = DefaultCodePage());
  TextDecoding(const TextDecoding&) = delete;
  TextDecoding& operator=(const TextDecoding&) = delete;

  CodePage choice() const { return choice_; }
  bool automatic() const { return choice_ == kAutomaticCodePage; }

  // The code page of a mission whose texts begin with `samples` (at most
  // kDetectionBytes of each): the one chosen, or the one detected.
  MissionCodePage CodePageOf(std::span<const std::string_view> samples) const;
  // The decoder of a code page of kCodePages; throws std::invalid_argument
  // when the platform cannot decode it.
  const TextDecoder& Decoder(CodePage codePage) const;

 private:
  CodePage choice_;
  CodePage fallback_;
  mutable std::array<std::once_flag, kCodePages.size()> built_;
  mutable std::array<std::unique_ptr<const TextDecoder>, kCodePages.size()> decoders_;
};

}  // namespace vostrel
