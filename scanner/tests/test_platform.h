// What the tests must do each platform's way (test_platform_posix.cpp,
// test_platform_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vostrel::testing {

// Between a folder and a name in a path: "/" or "\\".
extern const char kSeparator[];
// The lookup library's file: libPeloc.so or Peloc.dll.
extern const char kPelocFileName[];
// How a shared library's file name ends: ".so" or ".dll".
extern const char kLibraryExtension[];
// A system library that loads but has no GetOffset.
extern const char kLibraryWithoutGetOffset[];
// The file of a library of this program's word size and processor that
// loads but has no GetOffset.
std::string LibraryFileWithoutGetOffset();
// The lookup library (its bytes, `whole`) made one of the other word size:
// on Linux its ELF class changed; on Windows the test mission DLL of the
// other width.
std::string OtherWordSizeLibrary(const std::string& whole);
// Whether UnreadableFile can also take a folder's permissions away (Linux).
extern const bool kFolderPermissions;
// Sizes at which the lookup library of `whole` bytes, cut short, is refused:
// on Linux any size short of whole (the binding's check); on Windows those
// that cut into the image's sections (the system's own check, which loads a
// DLL missing only the symbols or padding after them).
std::vector<std::size_t> RefusedLibraryCuts(std::size_t whole);

// Hides the file the platform's way and gives its path afterwards: on Linux
// a dot before its name, on Windows the hidden attribute (a dot name is not
// hidden there).
std::string MakeHidden(const std::string& path);

// Keeps the scan from opening a file while it lives. On Windows a handle that
// shares nothing; on Linux no permissions but `left` (for a folder, say,
// read alone: it lists, but its files cannot be opened), and for root this
// thread without the capabilities that override them (threads it starts
// meanwhile are without them too).
class UnreadableFile {
 public:
  explicit UnreadableFile(const std::string& path, std::filesystem::perms left = std::filesystem::perms::none);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

 private:
  std::string path_;
  std::intptr_t held_;  // the handle, or the capabilities to take back
};

// For root on Linux, this thread without the capabilities that override file
// permissions while it lives, and so the threads it starts meanwhile: for
// threads that are started before a file is made unreadable and kept (a
// window's readers). Nothing on Windows, where UnreadableFile holds for all.
class WithoutPermissionOverrides {
 public:
  WithoutPermissionOverrides();
  ~WithoutPermissionOverrides();
  WithoutPermissionOverrides(const WithoutPermissionOverrides&) = delete;
  WithoutPermissionOverrides& operator=(const WithoutPermissionOverrides&) = delete;

 private:
  std::intptr_t held_;  // the capabilities to take back
};

// The threads this process runs now.
std::size_t ThreadCount();

}  // namespace vostrel::testing
