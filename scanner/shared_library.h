// Loading a shared library by name or path, and finding a symbol in it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vostrel {

class SharedLibrary {
 public:
  // Empty when the loader cannot load it.
  static std::optional<SharedLibrary> Load(const std::string& nameOrPath);
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

// Where SharedLibrary::Load looks for each of these names or paths, in
// words, in UTF-8: "/opt/x/libPeloc.so, then libPeloc.so on the system's
// library path".
std::string DescribeSearch(const std::vector<std::string>& candidates);

}  // namespace vostrel
