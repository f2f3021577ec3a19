#include "scanner/lookup_binding.h"

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

#include "i18n/translation.h"

namespace vostrel {
namespace {

// What is wrong with the file a candidate found, or nothing when there is no
// such file.
std::string FaultOf(const std::string& candidate, const LoadFailure& failure) {
  const std::string file = LibraryFileName(candidate);
  switch (failure.kind) {
    case LoadFailure::Kind::kNotLoaded:
      break;
    case LoadFailure::Kind::kDamaged:
      return Translated("{file} is damaged or incomplete", {{"file", file}});
    case LoadFailure::Kind::kOtherWordSize:
      return Translated("{file} is a {bits}-bit library (this program is {own}-bit)",
                        {{"file", file},
                         {"bits", std::to_string(failure.libraryBits)},
                         {"own", std::to_string(sizeof(void*) * 8)}});
    case LoadFailure::Kind::kOtherMachine:
      return Translated("{file} is not a shared library for this machine", {{"file", file}});
  }
  return {};
}

// The faults found so far, joined by "; ".
void AddFault(std::string& faults, const std::string& fault) {
  if (fault.empty()) return;
  if (!faults.empty()) faults += "; ";
  faults += fault;
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
  std::string faults;  // "/x/libPeloc.so is damaged or incomplete"
  for (const std::string& candidate : candidates_) {
    auto loaded = SharedLibrary::Load(candidate);
    if (const auto* failure = std::get_if<LoadFailure>(&loaded)) {
      AddFault(faults, FaultOf(candidate, *failure));
      continue;
    }
    auto& library = std::get<SharedLibrary>(loaded);
    auto* getOffset = library.Symbol("GetOffset");
    if (getOffset == nullptr) {
      AddFault(faults, Translated("{file} does not export GetOffset", {{"file", LibraryFileName(candidate)}}));
      continue;
    }
    entries_ = {reinterpret_cast<PelocGetOffsetFn>(getOffset),
                reinterpret_cast<PelocGetOffsetsFn>(library.Symbol("GetOffsets"))};
    library_ = std::move(library);
    bound_.store(&entries_, std::memory_order_release);
    return entries_;
  }
  const std::string places = DescribeSearch(candidates_);
  throw LookupUnavailable(faults.empty()
                              ? Translated("Cannot load the lookup library Peloc: looked for {places}.",
                                           {{"places", places}})
                              : Translated("Cannot load the lookup library Peloc: {faults}; looked for {places}.",
                                           {{"faults", faults}, {"places", places}}));
}

}  // namespace vostrel
