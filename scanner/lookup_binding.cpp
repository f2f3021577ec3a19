#include "scanner/lookup_binding.h"

#include <utility>
#include <variant>

#include "i18n/translation.h"

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
  std::string faults;  // "/x/libPeloc.so is damaged or incomplete"
  for (const std::string& candidate : candidates_) {
    auto loaded = SharedLibrary::Load(candidate);
    if (const auto* failure = std::get_if<LoadFailure>(&loaded)) {
      const std::string file = LibraryFileName(candidate);
      std::string fault;
      if (*failure == LoadFailure::kDamaged) fault = Translated("{file} is damaged or incomplete", {{"file", file}});
      if (*failure == LoadFailure::kOtherMachine) {
        fault = Translated("{file} is not a shared library for this machine", {{"file", file}});
      }
      if (!fault.empty()) faults += (faults.empty() ? "" : "; ") + fault;
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
  const std::string places = DescribeSearch(candidates_);
  throw LookupUnavailable(faults.empty()
                              ? Translated("Cannot load the lookup library Peloc: looked for {places}.",
                                           {{"places", places}})
                              : Translated("Cannot load the lookup library Peloc: {faults}; looked for {places}.",
                                           {{"faults", faults}, {"places", places}}));
}

}  // namespace vostrel
