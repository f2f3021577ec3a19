#include "scanner/lookup_binding.h"

#include <utility>
#include <variant>

namespace vostrel {

LookupBinding::LookupBinding() : LookupBinding(DefaultLookupLibraryCandidates()) {}

LookupBinding::LookupBinding(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

int32_t LookupBinding::GetOffset(const std::string& path, const std::string& exportName) {
  PelocGetOffsetFn getOffset = getOffset_.load(std::memory_order_acquire);
  if (getOffset == nullptr) getOffset = Bind();
  return static_cast<int32_t>(getOffset(path.c_str(), exportName.c_str()));
}

PelocGetOffsetFn LookupBinding::Bind() {
  const std::lock_guard lock(binding_);
  if (PelocGetOffsetFn bound = getOffset_.load(std::memory_order_acquire)) return bound;  // by another thread meanwhile
  // Nothing is remembered on failure, so a library put in place later (or a
  // copy still being written, once whole) is found by the next call.
  std::string faults;  // "/x/libPeloc.so is damaged or incomplete; "
  for (const std::string& candidate : candidates_) {
    auto loaded = SharedLibrary::Load(candidate);
    if (const auto* failure = std::get_if<LoadFailure>(&loaded)) {
      if (*failure == LoadFailure::kDamaged) faults += LibraryFileName(candidate) + " is damaged or incomplete; ";
      if (*failure == LoadFailure::kOtherMachine) {
        faults += LibraryFileName(candidate) + " is not a shared library for this machine; ";
      }
      continue;
    }
    auto& library = std::get<SharedLibrary>(loaded);
    auto* entry = library.Symbol("GetOffset");
    if (entry == nullptr) continue;
    library_ = std::move(library);
    const auto bound = reinterpret_cast<PelocGetOffsetFn>(entry);
    getOffset_.store(bound, std::memory_order_release);
    return bound;
  }
  throw LookupUnavailable("Cannot load the lookup library Peloc: " + faults + "looked for " +
                          DescribeSearch(candidates_) + ".");
}

}  // namespace vostrel
