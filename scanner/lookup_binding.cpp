#include "lookup_binding.h"

#include <utility>

namespace vostrel {

LookupBinding::LookupBinding() : LookupBinding(DefaultLookupLibraryCandidates()) {}

LookupBinding::LookupBinding(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

int32_t LookupBinding::GetOffset(const std::string& path, const std::string& exportName) {
  if (getOffset_ == nullptr) {
    // Nothing is remembered on failure, so a library put in place later is
    // found by the next call.
    for (const std::string& candidate : candidates_) {
      auto library = SharedLibrary::Load(candidate);
      if (!library) continue;
      auto* entry = library->Symbol("GetOffset");
      if (entry == nullptr) continue;
      library_ = std::move(library);
      getOffset_ = reinterpret_cast<PelocGetOffsetFn>(entry);
      break;
    }
    if (getOffset_ == nullptr) {
      throw LookupUnavailable("Cannot load the lookup library Peloc: looked for " + DescribeSearch(candidates_) + ".");
    }
  }
  return static_cast<int32_t>(getOffset_(path.c_str(), exportName.c_str()));
}

}  // namespace vostrel
