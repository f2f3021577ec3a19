// ICU's root collation (CLDR) at primary strength, read one collation
// element at a time.
#include "ui/core/primary_collation.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/utf16.h>

namespace vostrel {
namespace {

// The low byte that marks a collation element as the second half of a long
// primary weight (ICU's "continuation" elements).
constexpr std::int32_t kContinuationMarker = 0xC0;

struct CollatorCloser {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};
struct ElementsCloser {
  void operator()(UCollationElements* elements) const { ucol_closeElements(elements); }
};

}  // namespace

struct PrimaryCollation::Collator {
  std::unique_ptr<UCollator, CollatorCloser> collator;
  std::unique_ptr<UCollationElements, ElementsCloser> elements;
};

PrimaryCollation::PrimaryCollation() = default;
PrimaryCollation::~PrimaryCollation() = default;

std::optional<std::vector<std::uint32_t>> PrimaryCollation::Weights(char32_t c) {
  UErrorCode status = U_ZERO_ERROR;
  if (!collator_) {
    auto opened = std::make_unique<Collator>();
    opened->collator.reset(ucol_open("", &status));  // the root: no language's own letters
    if (U_SUCCESS(status)) opened->elements.reset(ucol_openElements(opened->collator.get(), nullptr, 0, &status));
    if (U_FAILURE(status)) return std::nullopt;
    collator_ = std::move(opened);
  }
  UChar units[2];
  std::int32_t length = 0;
  UBool invalid = false;
  U16_APPEND(units, length, 2, static_cast<UChar32>(c), invalid);
  if (invalid) return std::nullopt;
  ucol_setText(collator_->elements.get(), units, length, &status);
  std::vector<std::uint32_t> weights;
  for (std::int32_t element; (element = ucol_next(collator_->elements.get(), &status)) != UCOL_NULLORDER;) {
    if (U_FAILURE(status)) return std::nullopt;
    const auto primary = static_cast<std::uint32_t>(ucol_primaryOrder(element));
    // Accents and case live in the lower levels: a primary of 0 is nothing here.
    if (primary == 0) continue;
    weights.push_back(primary << 1 | ((element & kContinuationMarker) == kContinuationMarker ? 1u : 0u));
  }
  if (U_FAILURE(status)) return std::nullopt;
  return weights;
}

}  // namespace vostrel
