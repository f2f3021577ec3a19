#include "scanner/lookup_binding.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace vostrel {

LookupBinding::LookupBinding() : LookupBinding(DefaultLookupLibraryCandidates()) {}

LookupBinding::LookupBinding(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

int32_t LookupBinding::GetOffset(const std::string& path, const std::string& exportName) {
  const Entries* entries = bound_.load(std::memory_order_acquire);
  if (entries == nullptr) entries = &Bind();
  return static_cast<int32_t>(entries->getOffset(path.c_str(), exportName.c_str()));
}

void LookupBinding::GetOffsets(const std::string& path, const PelocImage& image, std::span<const char* const> names,
                               std::span<int32_t> offsets) {
  const Entries* entries = bound_.load(std::memory_order_acquire);
  if (entries == nullptr) entries = &Bind();
  const std::size_t count = std::min(names.size(), offsets.size());
  if (entries->getOffsets == nullptr) {
    for (std::size_t i = 0; i < count; ++i) offsets[i] = static_cast<int32_t>(entries->getOffset(path.c_str(), names[i]));
    return;
  }
  // Written as the library's unsigned values, read as the program holds
  // them, reinterpreted as signed (a type and its unsigned kin may alias).
  entries->getOffsets(path.c_str(), &image, names.data(), static_cast<uint32_t>(count),
                      reinterpret_cast<uint32_t*>(offsets.data()));
}

const LookupBinding::Entries& LookupBinding::Bind() {
  const std::lock_guard lock(binding_);
  if (const Entries* bound = bound_.load(std::memory_order_acquire)) return *bound;  // by another thread meanwhile
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
    auto* getOffset = library.Symbol("GetOffset");
    if (getOffset == nullptr) continue;
    entries_ = {reinterpret_cast<PelocGetOffsetFn>(getOffset),
                reinterpret_cast<PelocGetOffsetsFn>(library.Symbol("GetOffsets"))};
    library_ = std::move(library);
    bound_.store(&entries_, std::memory_order_release);
    return entries_;
  }
  throw LookupUnavailable("Cannot load the lookup library Peloc: " + faults + "looked for " +
                          DescribeSearch(candidates_) + ".");
}

}  // namespace vostrel
