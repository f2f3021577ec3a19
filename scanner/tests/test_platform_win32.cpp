#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "scanner/tests/test_platform.h"

namespace vostrel::testing {

const char kSeparator[] = "\\";
const char kPelocFileName[] = "Peloc.dll";
const char kLibraryExtension[] = ".dll";
const char kLibraryWithoutGetOffset[] = "version.dll";
const bool kFolderPermissions = false;

namespace {

// The test missions: DLLs of either width, without GetOffset.
std::string MissionOfWidth(bool sixtyFourBits) {
  return (std::filesystem::path(VOSTREL_TEST_DLL_DIR) / (sixtyFourBits ? "mission_full_x64.dll" : "mission_full.dll"))
      .string();
}

}  // namespace

std::string LibraryFileWithoutGetOffset() { return MissionOfWidth(sizeof(void*) == 8); }

std::string OtherWordSizeLibrary(const std::string&) {
  std::ifstream file(MissionOfWidth(sizeof(void*) == 4), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::size_t> RefusedLibraryCuts(std::size_t whole) {
  // Inside the headers, then inside the code, then well before the symbols
  // that follow the sections in a DLL that is not stripped.
  return {0, 16, 64, 4096, whole / 4};
}

std::string MakeHidden(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  // "Normal" means no other attribute: it goes when another is set.
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !::SetFileAttributesA(path.c_str(), (attributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | FILE_ATTRIBUTE_HIDDEN))
    throw std::runtime_error("cannot hide " + path);
  // Wine keeps attributes in extended attributes, which not every file system has.
  if ((::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0)
    throw std::runtime_error("the hidden attribute is not kept on " + path);
  return path;
}

UnreadableFile::UnreadableFile(const std::string& path, std::filesystem::perms)
    : path_(path),
      held_(reinterpret_cast<std::intptr_t>(
          ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
  if (reinterpret_cast<HANDLE>(held_) == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + path);
}

UnreadableFile::~UnreadableFile() { ::CloseHandle(reinterpret_cast<HANDLE>(held_)); }

WithoutPermissionOverrides::WithoutPermissionOverrides() : held_(0) {}

WithoutPermissionOverrides::~WithoutPermissionOverrides() = default;

std::size_t ThreadCount() {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list the threads");
  std::size_t count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

}  // namespace vostrel::testing
