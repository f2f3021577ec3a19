#include "ui/core/search_fold.h"

#include <cstring>
#include <utility>

#include "scanner/utf8.h"
#include "ui/core/row_order.h"

namespace vostrel {

void SearchFold::Append(std::string_view text, std::string& folded) {
  // Most characters fold to as many bytes or fewer: the text's length is the usual room.
  folded.reserve(folded.size() + text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    // Eight ASCII bytes at a time, their capitals made small together: the
    // first keystroke in the filter box folds every row's texts.
    constexpr std::uint64_t kEach = 0x0101010101010101;
    std::uint64_t eight = 0;
    while (i + 8 <= text.size() && (std::memcpy(&eight, text.data() + i, 8), (eight & 0x80 * kEach) == 0)) {
      const std::uint64_t atLeastA = eight + (0x80 - 'A') * kEach;
      const std::uint64_t pastZ = eight + (0x7F - 'Z') * kEach;
      eight |= ((atLeastA ^ pastZ) & 0x80 * kEach) >> 2;
      char bytes[8];
      std::memcpy(bytes, &eight, 8);
      folded.append(bytes, 8);
      i += 8;
    }
    if (i == text.size()) break;
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      folded += static_cast<char>(static_cast<unsigned>(byte - 'A') < 26u ? byte + 0x20 : byte);
      ++i;
      continue;
    }
    const std::size_t first = i;
    if (const auto c = utf8::DecodeNext(text, i)) {
      AppendFoldOf(*c, folded);
    } else {
      folded += text[first];  // not UTF-8: the byte as it is
    }
  }
}

void SearchFold::AppendFoldOf(char32_t c, std::string& folded) {
  if (c >= kShortFolds) {
    folded += FoldCharacter(c);
    return;
  }
  if (shortFolds_.empty()) shortFolds_.resize(kShortFolds);
  ShortFold& kept = shortFolds_[c];
  if (kept.size == ShortFold::kNotYet) {
    const std::string& fold = FoldCharacter(c);
    if (fold.size() > kept.bytes.size()) {
      kept.size = ShortFold::kLonger;
    } else {
      fold.copy(kept.bytes.data(), fold.size());
      kept.size = static_cast<std::uint8_t>(fold.size());
    }
  }
  if (kept.size == ShortFold::kLonger) {
    folded += FoldCharacter(c);
  } else {
    folded.append(kept.bytes.data(), kept.size);
  }
}

const std::string& SearchFold::FoldCharacter(char32_t c) {
  // Elements of an unordered_map stay where they are as it grows.
  const auto [kept, added] = characters_.try_emplace(c);
  std::string& folded = kept->second;
  if (!added) return folded;
  const auto weights = collation_.Weights(c);
  if (!weights) {
    // No collation: letter case alone is disregarded, as the sort disregards it.
    utf8::Append(FoldCase(c), folded);
  } else if (!weights->empty() && !SpellInAscii(*weights, folded)) {
    // The first character met stands for every character weighed alike.
    const auto [letter, first] = letters_.try_emplace(*weights);
    if (first) utf8::Append(c, letter->second);
    folded = letter->second;
  }
  return folded;
}

bool SearchFold::SpellInAscii(const std::vector<std::uint32_t>& weights, std::string& folded) {
  if (!asciiWeighed_) {
    asciiWeighed_ = true;
    // A capital weighs as its small letter, to which Append folds it.
    for (char32_t c = 0x20; c < 0x7F; ++c) {
      const auto weighed = collation_.Weights(c);
      if (weighed && weighed->size() == 1) asciiWeights_.try_emplace(weighed->front(), static_cast<char>(FoldCase(c)));
    }
  }
  std::string spelled;
  for (const std::uint32_t weight : weights) {
    const auto ascii = asciiWeights_.find(weight);
    if (ascii == asciiWeights_.end()) return false;
    spelled += ascii->second;
  }
  folded = std::move(spelled);
  return true;
}

}  // namespace vostrel
