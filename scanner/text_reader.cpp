#include "scanner/text_reader.h"

#include <algorithm>
#include <exception>
#include <span>
#include <utility>


namespace vostrel {
namespace {

// A mission's texts lie within a few hundred bytes of each other: the first
// read at a text is small, and a text that goes on past it is read on in
// larger blocks.
constexpr std::size_t kFirstReadBytes = 4 * 1024;
constexpr std::size_t kBlockBytes = 64 * 1024;
// The blocks for the lookup end on a page's end, as the file system reads.
constexpr std::uint64_t kPageBytes = 4096;

ReadOnlyFile OpenForTexts(const std::string& path) {
  OpenFailure failure;
  std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path, &failure);
  if (!file) throw TextReadError(failure.reason);
  return std::move(*file);
}

}  // namespace

std::string ReadToFirstNull(const std::string& strFile, uint32_t lngOffset, const TextDecoder& decoder,
                            std::size_t maxBytes) {
  if (lngOffset == 0) return {};  // the lookup found nothing: leave the file alone
  return TextFile(strFile).Read(lngOffset, decoder, maxBytes).text;
}

TextFile::TextFile(const std::string& path) : file_(OpenForTexts(path)) {}

TextFile::TextFile(ReadOnlyFile file) : file_(std::move(file)) {}

std::string_view TextFile::Block::From(std::uint64_t position) const {
  if (position < start || position - start >= count) return {};
  const auto within = static_cast<std::size_t>(position - start);
  return std::string_view(bytes.get() + within, count - within);
}

std::string_view TextFile::Fill(Block& block, std::uint64_t position, std::size_t bytes) {
  block.count = 0;
  if (block.capacity < bytes) {
    // Not zeroed: only bytes read into it are ever handed out.
    block.bytes = std::make_unique_for_overwrite<char[]>(bytes);
    block.capacity = bytes;
  }
  const std::span<char> into(block.bytes.get(), bytes);
  std::string reason;
  const std::optional<std::size_t> got = file_.ReadAt(position, into, &reason);
  if (!got) throw TextReadError(reason);
  block.start = position;
  block.count = *got;
  if (*got < bytes) fileEnd_ = position + *got;
  return std::string_view(block.bytes.get(), block.count);
}

std::string_view TextFile::BytesFrom(std::uint64_t position, std::size_t readBytes) {
  for (const Block* block : {&head_, &last_}) {
    if (const std::string_view held = block->From(position); !held.empty()) return held;
  }
  if (fileEnd_ && position >= *fileEnd_) return {};
  return Fill(last_, position, readBytes);
}

std::string_view TextFile::Head(std::size_t bytes) { return Fill(head_, 0, bytes); }

std::optional<std::uint64_t> TextFile::Size() {
  if (!size_) size_ = file_.Size();
  return size_;
}

std::optional<std::size_t> TextFile::ReadNear(std::uint64_t offset, std::span<char> into) noexcept {
  try {
    for (const Block* block : {&head_, &last_}) {
      if (block->Holds(offset, into.size())) {
        std::copy_n(block->From(offset).data(), into.size(), into.data());
        return into.size();
      }
    }
    const std::uint64_t end = offset + into.size();
    const std::uint64_t blockEnd = (end + kPageBytes - 1) / kPageBytes * kPageBytes;
    const std::uint64_t blockStart = blockEnd > kNearBytes ? blockEnd - kNearBytes : 0;
    if (offset < blockStart) return file_.ReadAt(offset, into);  // more than a block: read where it lies
    const std::string_view read = Fill(last_, blockStart, static_cast<std::size_t>(blockEnd - blockStart));
    const auto within = static_cast<std::size_t>(offset - blockStart);
    const std::size_t got = read.size() > within ? std::min(read.size() - within, into.size()) : 0;
    std::copy_n(read.data() + within, got, into.data());
    return got;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

TextRead TextFile::Read(uint32_t lngOffset, const TextDecoder& decoder, std::size_t maxBytes) {
  TextRead read;
  if (lngOffset == 0) return read;

  // Each block is decoded as it comes; the bytes of a double-byte character
  // that a block's end splits are carried over to the next one.
  std::string pending;
  std::size_t textBytes = 0;  // bytes of the text read so far
  auto position = static_cast<std::uint64_t>(lngOffset);
  std::size_t readBytes = kFirstReadBytes;
  while (true) {
    std::string_view piece = BytesFrom(position, readBytes);
    readBytes = kBlockBytes;
    const auto zero = piece.find('\0');
    const bool ended = zero != std::string_view::npos || piece.empty();
    if (zero != std::string_view::npos) piece = piece.substr(0, zero);
    position += piece.size();

    read.cut = piece.size() > maxBytes - textBytes;
    if (read.cut) piece = piece.substr(0, maxBytes - textBytes);
    textBytes += piece.size();
    std::string_view bytes = piece;
    if (!pending.empty()) {
      pending.append(piece);
      bytes = pending;
    }
    const std::size_t whole = ended && !read.cut ? bytes.size() : decoder.WholeCharacters(bytes);
    decoder.AppendDecoded(bytes.substr(0, whole), read.text);
    if (read.cut) read.text += kCutMark;
    if (read.cut || ended) return read;
    std::string rest(bytes.substr(whole));  // at most a lead byte
    pending.swap(rest);
  }
}

std::string TextFile::Bytes(uint32_t lngOffset, std::size_t maxBytes) {
  std::string bytes;
  if (lngOffset == 0) return bytes;
  auto position = static_cast<std::uint64_t>(lngOffset);
  std::size_t readBytes = kFirstReadBytes;
  while (bytes.size() < maxBytes) {
    std::string_view piece = BytesFrom(position, readBytes);
    readBytes = kBlockBytes;
    const auto zero = piece.find('\0');
    piece = piece.substr(0, std::min(zero, maxBytes - bytes.size()));
    bytes.append(piece);
    position += piece.size();
    if (zero != std::string_view::npos || piece.empty()) break;
  }
  return bytes;
}

}  // namespace vostrel
