#include "scanner/lookup_binding.h"

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

namespace vostrel {
namespace {

// What is wrong with the file a candidate found, ending in "; ", or nothing
// when there is no such file.
std::string FaultOf(const std::string& candidate, const LoadFailure& failure) {
  const std::string file = LibraryFileName(candidate);
  switch (failure.kind) {
    case LoadFailure::Kind::kNotLoaded:
      break;
    case LoadFailure::Kind::kDamaged:
      return file + " is damaged or incomplete; ";
    case LoadFailure::Kind::kOtherWordSize:
      return file + " is a " + std::to_string(failure.libraryBits) + "-bit library (this program is " +
             std::to_string(sizeof(void*) * 8) + "-bit); ";
    case LoadFailure::Kind::kOtherMachine:
      return file + " is not a shared library for this machine; ";
  }
  return {};
}

}  // namespace

LookupBinding::LookupBinding() : LookupBinding(DefaultLookupLibraryCandidates()) {}

LookupBinding::LookupBinding(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

uint32_t LookupBinding::GetOffset(const std::string& path, const std::string& exportName) {
  const Entries* entries = bound_.load(std::memory_order_acquire);
  if (entries == nullptr) entries = &Bind();
  return entries->getOffset(path.c_str(), exportName.c_str());
}

void LookupBinding::GetOffsets(const std::string& path, const PelocImage& image, std::span<const char* const> names,
                               std::span<uint32_t> offsets) {
  const Entries* entries = bound_.load(std::memory_order_acquire);
  if (entries == nullptr) entries = &Bind();
  const std::size_t count = std::min(names.size(), offsets.size());
  if (entries->getOffsets == nullptr) {
    for (std::size_t i = 0; i < count; ++i) offsets[i] = entries->getOffset(path.c_str(), names[i]);
    return;
  }
  entries->getOffsets(path.c_str(), &image, names.data(), static_cast<uint32_t>(count), offsets.data());
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
      faults += FaultOf(candidate, *failure);
      continue;
    }
    auto& library = std::get<SharedLibrary>(loaded);
    auto* getOffset = library.Symbol("GetOffset");
    if (getOffset == nullptr) {
      faults += LibraryFileName(candidate) + " does not export GetOffset; ";
      continue;
    }
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
