// Real files and folders for the tests: a temporary folder that removes itself,
// and the test DLLs that mingw-w64 builds from lookup/tests/dlls. The same on
// every platform; what differs is in test_platform.h.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "scanner/text_reader.h"

namespace vostrel::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempFolder {
 public:
  TempFolder() {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    std::random_device random;
    // create_directory says false only when the name is taken: draw another.
    do {
      path_ = temp / ("vostrel-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Waits until the condition holds; says whether it did. The bound is far
// beyond any wait on a loaded machine: it ends a test that would otherwise
// hang, it is not what the test measures.
template <typename Condition>
bool Eventually(const Condition& condition) {
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60); !condition();) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A test DLL by its file name, e.g. "mission_full.dll". Under Wine the build's
// folder is a Unix path, which Wine takes as a path on the current drive: Z:,
// the whole Unix file system, where CTest starts the tests.
inline std::string TestDll(std::string_view name) {
  return (std::filesystem::path(VOSTREL_TEST_DLL_DIR) / name).string();
}

// Copies a test DLL into a folder under another name; gives that path.
inline std::string PlaceDll(std::string_view dll, const std::string& destination) {
  std::filesystem::copy_file(TestDll(dll), destination, std::filesystem::copy_options::overwrite_existing);
  return destination;
}

// The text at an offset as the scan reads it, in Windows-1252, the code page
// the test DLLs' texts are written in.
inline std::string ReadText(const std::string& path, uint32_t offset) {
  static const TextDecoder kWindows1252(1252);
  return ReadToFirstNull(path, offset, kWindows1252);
}

// The texts the test DLLs' sources export, in UTF-8.
namespace texts {
inline constexpr char kFullMap[] = "Crater Basin";
inline constexpr char kFullTech[] = "Standard Techtree";
inline constexpr char kFullDesc[] = "Hold the ridge until the convoy arrives.";
inline constexpr char kX64Map[] = "Twin Rivers";
inline constexpr char kX64Tech[] = "Extended Techtree";
inline constexpr char kX64Desc[] = "Take both bridges before nightfall.";
inline constexpr char kDescOnly[] = "Scout the northern pass and report back.";
// Windows-1252 0xE2 0x96 0xE9 / 0xC6 0xA9 0xDC / 0x93 0xEA 0xE0 0xE9 0x94 0xFB
// 0x80 0xBD 0xF1 0xFF 0xFE 0xA0, written out as their UTF-8 bytes.
inline constexpr char kHighMap[] = "Ch\xC3\xA2teau Fort \xE2\x80\x93 Bl\xC3\xA9"
                                   "de";
inline constexpr char kHighTech[] = "\xC3\x86ra Standard \xC2\xA9 \xC3\x9C"
                                    "ber";
inline constexpr char kHighDesc[] =
    "\xE2\x80\x9CTenez la cr\xC3\xAAte jusqu'\xC3\xA0 l'arriv\xC3\xA9"
    "e du convoi.\xE2\x80\x9D Co\xC3\xBBt: 100 \xE2\x82\xAC, \xC2\xBD de la r\xC3\xA9serve. "
    "Se\xC3\xB1or \xC3\xBF\xC3\xBE\xC2\xA0"
    "fin.";
inline constexpr char kLongMap[] = "Long Crossing";
inline constexpr char kLongTech[] = "Standard Techtree";
inline std::string LongDesc() {
  std::string text = "<begin>";
  for (int i = 0; i < 100; ++i) text += "The convoy crosses the basin at dawn; hold every ridge now. ";
  return text + "<end>";
}
}  // namespace texts

}  // namespace vostrel::testing
