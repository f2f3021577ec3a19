// Loading a shared library by name or path, and finding a symbol in it.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace vostrel {

// Why a library was not loaded.
struct LoadFailure {
  enum class Kind {
    kNotLoaded,      // not there, or refused by the loader
    kDamaged,        // there, but cut short or damaged
    kOtherWordSize,  // there and whole, but built for the other word size (32- or 64-bit)
    kOtherMachine,   // there and whole, but no shared library for this processor
  };
  Kind kind = Kind::kNotLoaded;
  int libraryBits = 0;  // kOtherWordSize: the library's word size, 32 or 64

  bool operator==(const LoadFailure&) const = default;
};

class SharedLibrary {
 public:
  // The library, or why it was not loaded.
  static std::variant<SharedLibrary, LoadFailure> Load(const std::string& nameOrPath);
  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;

 private:
  struct Unloader {
    void operator()(void* handle) const;
  };
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  std::unique_ptr<void, Unloader> handle_;
};

// Where the lookup library is looked for by default, in order.
std::vector<std::string> DefaultLookupLibraryCandidates();

// The file a library name or path stands for, as DescribeSearch names it: the
// path as it is, or on Windows a name with the ".dll" the loader adds.
std::string LibraryFileName(const std::string& nameOrPath);

// Where SharedLibrary::Load looks for each of these names or paths, in
// words, in UTF-8: "/opt/x/libPeloc.so, then libPeloc.so on the system's
// library path".
std::string DescribeSearch(const std::vector<std::string>& candidates);

}  // namespace vostrel
