// A file opened for positioned reads, closed when its owner goes. One
// implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vostrel {

// Why a file could not be opened.
struct OpenFailure {
  bool gone = false;   // there is no such file (any more)
  std::string reason;  // the system's words, in UTF-8
};

class ReadOnlyFile {
 public:
  // Opens the file (native path) for reading; empty when it cannot be opened,
  // and then `failure`, when given, says why. Others may read and write the
  // file meanwhile, as with the C library's fopen.
  static std::optional<ReadOnlyFile> Open(const std::string& path, OpenFailure* failure = nullptr);

  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoHandle; }
  ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Reads up to into.size() bytes from `offset`: fewer only at the end of the
  // file. Empty when the system reports an error; then `reason`, when
  // given, holds the system's words for it, in UTF-8.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<char> into, std::string* reason = nullptr) const;
  // The file's size in bytes now (0 for what is no ordinary file); empty when
  // the system reports an error.
  std::optional<std::uint64_t> Size() const;

 private:
  // A descriptor or a HANDLE; after a move kNoHandle (-1: no descriptor, and
  // INVALID_HANDLE_VALUE).
  static constexpr std::intptr_t kNoHandle = -1;
  explicit ReadOnlyFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

}  // namespace vostrel
