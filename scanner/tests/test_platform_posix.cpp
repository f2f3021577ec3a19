#include <elf.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <stdexcept>

#include "scanner/tests/test_platform.h"

namespace vostrel::testing {

const char kSeparator[] = "/";
const char kPelocFileName[] = "libPeloc.so";
const char kLibraryExtension[] = ".so";
const char kLibraryWithoutGetOffset[] = "libm.so.6";
const bool kFolderPermissions = true;

std::string LibraryFileWithoutGetOffset() { return VOSTREL_NO_GET_OFFSET_LIBRARY; }

std::string OtherWordSizeLibrary(const std::string& whole) {
  std::string other = whole;
  other[EI_CLASS] = other[EI_CLASS] == ELFCLASS64 ? ELFCLASS32 : ELFCLASS64;
  return other;
}

std::vector<std::size_t> RefusedLibraryCuts(std::size_t whole) {
  std::vector<std::size_t> cuts;
  for (const std::size_t size : {std::size_t{0}, std::size_t{16}, std::size_t{64}, std::size_t{4096}, std::size_t{65536},
                                 std::size_t{100000}, whole - 1}) {
    if (size < whole) cuts.push_back(size);
  }
  return cuts;
}

std::string MakeHidden(const std::string& path) {
  const std::filesystem::path file(path);
  const std::filesystem::path hidden = file.parent_path() / ("." + file.filename().string());
  std::filesystem::rename(file, hidden);
  return hidden.string();
}

namespace {

constexpr std::intptr_t kNotChanged = -1;

// This thread's capabilities, as the kernel keeps them per thread.
struct Capabilities {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

Capabilities ThreadCapabilities() {
  Capabilities capabilities;
  if (::syscall(SYS_capget, &capabilities.header, capabilities.data) != 0) throw std::runtime_error("capget failed");
  return capabilities;
}

void SetEffective(Capabilities capabilities, std::uint32_t effective) {
  capabilities.data[0].effective = effective;
  if (::syscall(SYS_capset, &capabilities.header, capabilities.data) != 0) throw std::runtime_error("capset failed");
}

// Root reads a file without permissions through the capabilities that
// override them: this thread sets them aside, keeping them to take back.
std::intptr_t SetOverridesAside() {
  const Capabilities capabilities = ThreadCapabilities();
  const std::uint32_t effective = capabilities.data[0].effective;
  constexpr std::uint32_t kOverrides = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH;
  if ((effective & kOverrides) == 0) return kNotChanged;
  SetEffective(capabilities, effective & ~kOverrides);
  return effective;
}

void TakeBack(std::intptr_t held) {
  if (held != kNotChanged) SetEffective(ThreadCapabilities(), static_cast<std::uint32_t>(held));
}

}  // namespace

UnreadableFile::UnreadableFile(const std::string& path, std::filesystem::perms left)
    : path_(path), held_(kNotChanged) {
  std::filesystem::permissions(path_, left);
  held_ = SetOverridesAside();
}

UnreadableFile::~UnreadableFile() {
  try {
    TakeBack(held_);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  } catch (const std::exception&) {
  }
}

WithoutPermissionOverrides::WithoutPermissionOverrides() : held_(SetOverridesAside()) {}

WithoutPermissionOverrides::~WithoutPermissionOverrides() {
  try {
    TakeBack(held_);
  } catch (const std::exception&) {
  }
}

std::size_t ThreadCount() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

}  // namespace vostrel::testing
