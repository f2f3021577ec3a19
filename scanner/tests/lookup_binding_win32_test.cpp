// Binding Peloc.dll from the program's folder alone, and the lookup on
// Windows files: share modes, handles released, paths in the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "handle/unique_handle.h"
#include "scanner/dll_listing.h"
#include "scanner/lookup_binding.h"
#include "scanner/program_folder.h"
#include "scanner/text_encoding.h"
#include "scanner/text_reader.h"
#include "ui/win32/tests/win32_test_support.h"

namespace vostrel {
namespace {

using win32::testing::CopyTo;
using win32::testing::CurrentFolder;
using win32::testing::Exists;
using win32::testing::TempFolder;
using win32::testing::TestDll;
using win32::testing::TestProgramFolder;
using win32::testing::WriteFile;

// The text as the scan reads it, in Windows-1252, the test DLLs' code page.
std::string ReadText(const std::string& path, uint32_t offset) {
  static const TextDecoder kWindows1252(1252);
  return ReadToFirstNull(path, offset, kWindows1252);
}

constexpr char kRidgeMap[] = "Ridge Line";
constexpr char kRidgeDesc[] = "Hold the ridge until the convoy arrives.";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (valid()) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

FileHandle Open(const std::string& path, DWORD access, DWORD share) {
  return FileHandle(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string PelocBesideTheProgram() { return ProgramFolder() + "\\Peloc.dll"; }

TEST(LookupBindingWin32, FindsPelocInTheProgramFolderBeforeTheCurrentFolder) {
  // A Peloc.dll without GetOffset in the current folder must not be the one bound.
  const TempFolder decoy;
  CopyTo(TestDll("win32_plain_loadable.dll"), decoy / "Peloc.dll");
  const CurrentFolder inDecoy(decoy.str());

  LookupBinding binding;
  const std::string dll = TestDll("win32_ridge.dll");
  EXPECT_EQ(ReadText(dll, binding.GetOffset(dll, "MapName")), kRidgeMap);
  EXPECT_EQ(ReadText(dll, binding.GetOffset(dll, "LevelDesc")), kRidgeDesc);
  EXPECT_EQ(binding.GetOffset(dll, "mapname"), 0u);
  EXPECT_EQ(binding.GetOffset(TestDll("win32_plain.dll"), "MapName"), 0u);
  EXPECT_EQ(binding.GetOffset(decoy / "missing.dll", "MapName"), 0u);
}

using OwnedHandle = handle::UniqueHandle<handle::NullInvalid<HANDLE, ::CloseHandle>>;

// A folder put first on PATH for a while.
class FirstOnPath {
 public:
  explicit FirstOnPath(const std::string& folder) {
    std::string path(32767, '\0');
    path.resize(::GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())));
    previous_ = path;
    ::SetEnvironmentVariableA("PATH", (folder + ";" + previous_).c_str());
  }
  FirstOnPath(const FirstOnPath&) = delete;
  FirstOnPath& operator=(const FirstOnPath&) = delete;
  ~FirstOnPath() { ::SetEnvironmentVariableA("PATH", previous_.c_str()); }

 private:
  std::string previous_;
};

// vostrel-scan.exe with no Peloc.dll beside it, started in a mission pack
// that holds one, with another in a folder on PATH: neither is loaded
// (DllMain would leave a mark in the current folder), and the scan says the
// library is missing, with exit status 3.
TEST(LookupBindingWin32, APlantedLibraryIsNeverLoaded) {
  const TempFolder alone;
  const TempFolder pack;
  const TempFolder onPath;
  const std::string program = alone / "vostrel-scan.exe";
  CopyTo(TestProgramFolder() + "\\vostrel-scan.exe", program);
  CopyTo(TestDll("win32_ridge.dll"), pack / "ridge.dll");
  CopyTo(TestDll("win32_planted_library.dll"), pack / "Peloc.dll");
  CopyTo(TestDll("win32_planted_library.dll"), onPath / "Peloc.dll");
  const FirstOnPath first(onPath.str());

  // Its standard error into a file.
  const std::string errPath = alone / "err.txt";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  FileHandle err(::CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(err.valid());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = err.get();
  std::string commandLine = "\"" + program + "\" \"" + pack.str() + "\"";
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               pack.str().c_str(), &startup, &started));
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process.get(), &exitCode);
  err.Close();

  EXPECT_EQ(exitCode, 3u);
  EXPECT_FALSE(Exists(pack / "planted-library-ran")) << "a planted Peloc.dll was loaded";
  std::ifstream said(errPath, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(said), std::istreambuf_iterator<char>()};
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_NE(text.find("vostrel-scan: Cannot load the lookup library Peloc: looked for " + (alone / "Peloc.dll") +
                      ", then " + system + "\\Peloc.dll."),
            std::string::npos)
      << text;
}

TEST(LookupBindingWin32, AMissingLibraryFailsEveryCall) {
  LookupBinding binding({"NoSuchLib"});
  const std::string dll = TestDll("win32_ridge.dll");
  EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);
  EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);
}

TEST(LookupBindingWin32, BindsByFullPathOnceTheLibraryIsInPlace) {
  const TempFolder folder;  // outlives the binding, which holds the library loaded
  WriteFile(folder / "NotADll.dll", "MZ but no image");
  CopyTo(TestDll("win32_plain_loadable.dll"), folder / "NoEntry.dll");
  const std::string library = folder / "Peloc.dll";
  const std::string dll = TestDll("win32_ridge.dll");
  {
    // Not an image, an image without GetOffset, and a file not there yet.
    LookupBinding binding({folder / "NotADll.dll", folder / "NoEntry.dll", library});
    EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);
    EXPECT_THROW(binding.GetOffset(dll, "MapName"), LookupUnavailable);

    CopyTo(PelocBesideTheProgram(), library);
    const uint32_t offset = binding.GetOffset(dll, "MapName");
    EXPECT_EQ(ReadText(dll, offset), kRidgeMap);
    EXPECT_EQ(binding.GetOffset(dll, "MapName"), offset);
    // Bound and loaded: the system keeps the library file while it is in use.
    EXPECT_FALSE(::DeleteFileA(library.c_str()));
  }
  EXPECT_TRUE(::DeleteFileA(library.c_str())) << "the binding did not free the library";
}

TEST(LookupWin32, AFileHeldOpenForWritingCannotBeLookedUp) {
  const TempFolder folder;
  const std::string dll = folder / "mission.dll";
  CopyTo(TestDll("win32_ridge.dll"), dll);
  LookupBinding binding;
  const uint32_t offset = binding.GetOffset(dll, "MapName");
  ASSERT_GT(offset, 0u);
  {
    FileHandle writer = Open(dll, GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(writer.valid());
    EXPECT_EQ(binding.GetOffset(dll, "MapName"), 0u);
    writer.Close();
    EXPECT_EQ(binding.GetOffset(dll, "MapName"), offset);
  }
  {
    FileHandle exclusive = Open(dll, GENERIC_READ, 0);
    ASSERT_TRUE(exclusive.valid());
    EXPECT_EQ(binding.GetOffset(dll, "MapName"), 0u);
  }
  {
    // Other readers are welcome, even ones that let others write.
    FileHandle reader = Open(dll, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader.valid());
    EXPECT_EQ(binding.GetOffset(dll, "MapName"), offset);
  }
}

TEST(LookupWin32, ReleasesTheFileOnEveryPath) {
  const TempFolder folder;
  LookupBinding binding;
  // Found, not found, not an image, empty: each file can be moved and deleted right after.
  CopyTo(TestDll("win32_ridge.dll"), folder / "found.dll");
  CopyTo(TestDll("win32_plain.dll"), folder / "none.dll");
  WriteFile(folder / "text.dll", "This is not an image at all.");
  WriteFile(folder / "empty.dll", "");
  for (const char* name : {"found.dll", "none.dll", "text.dll", "empty.dll"}) {
    const std::string path = folder / name;
    binding.GetOffset(path, "MapName");
    binding.GetOffset(path, "LevelDesc");
    const std::string moved = path + ".moved";
    EXPECT_TRUE(::MoveFileA(path.c_str(), moved.c_str())) << name;
    EXPECT_TRUE(::DeleteFileA(moved.c_str())) << name;
  }
}

TEST(LookupWin32, PathsInTheAnsiCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Windows-1252 code page, this system has " << ::GetACP();
  // "Étape" and "mission é.dll" in Windows-1252, as the listing and the lookup see them.
  const TempFolder folder("\xC9tape");
  const std::string name = "mission \xE9.dll";
  CopyTo(TestDll("win32_harbour.dll"), folder / name);

  DllListing listing(folder.str());
  const auto listed = listing.Next();
  ASSERT_TRUE(listed);
  EXPECT_EQ(*listed, name);
  EXPECT_EQ(NativeToUtf8(*listed), "mission \xC3\xA9.dll");

  LookupBinding binding;
  const std::string path = JoinPath(folder.str(), *listed);
  EXPECT_EQ(ReadText(path, binding.GetOffset(path, "MapName")), "Port \xC3\x89toile");
  EXPECT_EQ(ReadText(path, binding.GetOffset(path, "TechtreeName")), "Naval \xE2\x80\x93 Advanced");
}

}  // namespace
}  // namespace vostrel
