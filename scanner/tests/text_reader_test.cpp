#include "scanner/text_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/tests/test_platform.h"
#include "scanner/tests/test_support.h"

namespace vostrel {
namespace {

using testing::TempFolder;
using testing::WriteFile;

// UTF-8 of one code point, for building expected texts independently of the reader.
std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// Windows-1252 bytes 0x80..0x9F as published; the five unassigned ones are
// the C1 controls of the same value. 0xA0..0xFF are Latin-1.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Windows1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
  return byte;
}

TEST(ReadToFirstNull, OffsetZeroIsTheEmptyTextWithoutTouchingTheFile) {
  EXPECT_EQ(testing::ReadText("/nonexistent/vostrel/missing.dll", 0), "");
}

TEST(ReadToFirstNull, ReadsFromTheOffsetToTheFirstZero) {
  const TempFolder folder;
  const std::string file = folder / "texts.bin";
  WriteFile(file, std::string("MZ\0\0abc\0def\0\0xyz", 16));
  EXPECT_EQ(testing::ReadText(file, 4), "abc");
  EXPECT_EQ(testing::ReadText(file, 5), "bc");
  EXPECT_EQ(testing::ReadText(file, 7), "");  // a zero right at the offset
  EXPECT_EQ(testing::ReadText(file, 8), "def");
  EXPECT_EQ(testing::ReadText(file, 1), "Z");
  // The end of the file before a zero ends the text; past the end there is none.
  EXPECT_EQ(testing::ReadText(file, 13), "xyz");
  EXPECT_EQ(testing::ReadText(file, 15), "z");
  EXPECT_EQ(testing::ReadText(file, 16), "");
  EXPECT_EQ(testing::ReadText(file, 100000), "");
}

TEST(ReadToFirstNull, ReadsTextsOfSeveralKilobytes) {
  const TempFolder folder;
  const std::string file = folder / "long.bin";
  std::string text;
  for (int i = 0; text.size() < 9000; ++i) text += "line " + std::to_string(i) + ";";
  // Zero-terminated in the middle of the file, then unterminated to its end.
  WriteFile(file, "\x01" + text + '\0' + text);
  EXPECT_EQ(testing::ReadText(file, 1), text);
  EXPECT_EQ(testing::ReadText(file, static_cast<uint32_t>(text.size() + 2)), text);
  // A zero on either side of a 4096-byte boundary of the file.
  for (const std::size_t length : {4094u, 4095u, 4096u, 8191u}) {
    WriteFile(file, std::string("\x01").append(text, 0, length) + '\0' + "after");
    EXPECT_EQ(testing::ReadText(file, 1), text.substr(0, length)) << length;
  }
}

TEST(ReadToFirstNull, DecodesWindows1252) {
  const TempFolder folder;
  const std::string file = folder / "high.bin";
  std::string bytes = "X";
  std::string expected;
  for (int b = 0x80; b <= 0xFF; ++b) {
    bytes += static_cast<char>(b);
    expected += Utf8(Windows1252(static_cast<unsigned char>(b)));
  }
  WriteFile(file, bytes + '\0');
  EXPECT_EQ(testing::ReadText(file, 1), expected);

  const auto one = [&](unsigned char byte) {
    WriteFile(file, std::string("X") + static_cast<char>(byte) + '\0');
    return testing::ReadText(file, 1);
  };
  EXPECT_EQ(one(0x80), "\xE2\x82\xAC");  // €
  EXPECT_EQ(one(0x81), "\xC2\x81");
  EXPECT_EQ(one(0x8D), "\xC2\x8D");
  EXPECT_EQ(one(0x8F), "\xC2\x8F");
  EXPECT_EQ(one(0x90), "\xC2\x90");
  EXPECT_EQ(one(0x9D), "\xC2\x9D");
  EXPECT_EQ(one(0x9F), "\xC5\xB8");  // Ÿ
  EXPECT_EQ(one(0xE9), "\xC3\xA9");  // é
  EXPECT_EQ(one(0xFF), "\xC3\xBF");  // ÿ

  // Thousands of two- and three-byte characters with the unassigned bytes
  // among them: nothing lost where the conversion restarts.
  std::string many;
  std::string manyExpected;
  for (int i = 0; i < 3000; ++i) {
    const auto byte = static_cast<unsigned char>(i % 7 == 0 ? 0x8D : (i % 2 == 0 ? 0xE9 : 0x80));
    many += static_cast<char>(byte);
    manyExpected += Utf8(Windows1252(byte));
  }
  WriteFile(file, "X" + many + "end");
  EXPECT_EQ(testing::ReadText(file, 1), manyExpected + "end");
}

// Offsets are the lookup's unsigned 32-bit ones, up to 4 GiB - 1: texts at
// and past 2 GiB of a sparse file are read. A file that cannot be opened or
// read says the system's reason, which the caller puts after its name.
TEST(ReadToFirstNull, ReadsAtAnyUnsignedOffsetOrSaysWhyNot) {
  const TempFolder folder;
  const std::string file = folder / "sparse.bin";
  struct Case {
    uint32_t offset;
    std::string text;
  };
  const Case cases[] = {{0x7FFFFFF0u, "below 2 GiB"}, {0x80000000u, "at 2 GiB"}, {0xFFFFFF00u, "past"}, {0xFFFFFFFFu, "z"}};
  {
    std::ofstream out(file, std::ios::binary);
    for (const Case& c : cases) {
      out.seekp(static_cast<std::streamoff>(c.offset));
      out << c.text << '\0';
    }
    ASSERT_TRUE(out) << "cannot write " << file;
  }
  for (const Case& c : cases) EXPECT_EQ(testing::ReadText(file, c.offset), c.text) << c.offset;

  for (const std::string& path : {folder / "missing.dll", folder.str()}) {
    try {
      testing::ReadText(path, 1);
      ADD_FAILURE() << "read " << path;
    } catch (const TextReadError& error) {
      const std::string reason = error.what();
      EXPECT_FALSE(reason.empty()) << path;
      EXPECT_EQ(reason.find(path), std::string::npos) << reason;
    }
  }
}

// Texts read through one open of the file, in either order, each as it lies
// there: out of the block read for another, and on past it.
TEST(TextFile, ReadsTheTextsOfAFileInAnyOrder) {
  const TempFolder folder;
  const std::string file = folder / "texts.bin";
  std::string longText;
  for (int i = 0; longText.size() < 70000; ++i) longText += "line " + std::to_string(i) + ";";
  const std::string bytes = std::string("MZ\0first\0", 9) + longText + '\0' + "near" + '\0' + "tail";
  WriteFile(file, bytes);
  struct Case {
    uint32_t offset;
    std::string text;
  };
  const auto textAt = [&](std::size_t offset) {
    return Case{static_cast<uint32_t>(offset), bytes.substr(offset, bytes.find('\0', offset) - offset)};
  };
  const std::vector<Case> cases{textAt(3),    textAt(5),  textAt(9), textAt(9 + 4090), textAt(10 + longText.size()),
                                textAt(bytes.size() - 2), {static_cast<uint32_t>(bytes.size() + 10), ""}};
  const TextDecoder windows1252(1252);
  for (const bool backwards : {false, true}) {
    TextFile texts(file);
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const Case& c = cases[backwards ? cases.size() - 1 - i : i];
      EXPECT_EQ(texts.Read(c.offset, windows1252).text, c.text) << c.offset << (backwards ? " backwards" : "");
    }
  }
  // A text cut at the bytes allowed says so; one that ends there is whole.
  TextFile texts(file);
  const TextRead cut = texts.Read(9, windows1252, 100);
  EXPECT_TRUE(cut.cut);
  EXPECT_EQ(cut.text, longText.substr(0, 100) + std::string(kCutMark));
  const TextRead whole = texts.Read(3, windows1252, 5);
  EXPECT_FALSE(whole.cut);
  EXPECT_EQ(whole.text, "first");
}

// The lookup library's reads through the open file: each gives the file's
// bytes there (fewer at its end, none past it), out of the first page, the
// block kept from an earlier read, a block read for it, or read where they
// lie; texts read afterwards come out right from whichever holds them.
TEST(TextFile, ReadsForTheLookupWhatTheFileHolds) {
  const TempFolder folder;
  const std::string file = folder / "image.bin";
  std::string bytes;
  for (int i = 0; bytes.size() < 50000; ++i) (bytes += 't').append(std::to_string(i)) += '\0';
  WriteFile(file, bytes);
  TextFile texts(file);
  ASSERT_EQ(texts.Size(), bytes.size());
  ASSERT_EQ(texts.Head(4096), std::string_view(bytes).substr(0, 4096));
  struct Case {
    std::size_t offset;
    std::size_t length;
  };
  const Case cases[] = {{10, 100},  {4000, 200}, {30000, 123},           {29000, 500}, {bytes.size() - 50, 100},
                        {bytes.size(), 10}, {bytes.size() + 5, 10}, {1000, 40000}};
  const TextDecoder windows1252(1252);
  for (const Case& c : cases) {
    std::string into(c.length, '?');
    const std::optional<std::size_t> got = texts.ReadNear(c.offset, into);
    ASSERT_TRUE(got) << c.offset;
    EXPECT_EQ(into.substr(0, *got), c.offset < bytes.size() ? bytes.substr(c.offset, c.length) : "")
        << c.offset << " + " << c.length;
    const std::size_t text = std::min(bytes.rfind('\0', c.offset) + 1, bytes.size() - 1);
    EXPECT_EQ(texts.Read(static_cast<uint32_t>(text), windows1252).text, bytes.substr(text, bytes.find('\0', text) - text))
        << c.offset;
  }
}

}  // namespace
}  // namespace vostrel
