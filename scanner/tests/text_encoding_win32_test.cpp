// ANSI and UTF-8 on Windows: through the system's code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "scanner/text_encoding.h"

namespace vostrel {
namespace {

using namespace std::string_literals;

class TextEncodingWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::GetACP() != 1252) GTEST_SKIP() << "needs the Windows-1252 code page, this system has " << ::GetACP();
  }
};

TEST(TextDecoderWin32, DecodesThroughTheCodePage) {
  const TextDecoder windows1252(1252);
  const auto DecodeAnsi = [&](std::string_view bytes) { return windows1252.Decode(bytes); };
  EXPECT_EQ(DecodeAnsi(""), "");
  EXPECT_EQ(DecodeAnsi("Crater Basin"), "Crater Basin");
  EXPECT_EQ(DecodeAnsi("\x80"), "\xE2\x82\xAC");            // euro sign
  EXPECT_EQ(DecodeAnsi("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");  // été
  EXPECT_EQ(DecodeAnsi("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
  EXPECT_EQ(DecodeAnsi("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");  // unassigned: C1 controls
  EXPECT_EQ(DecodeAnsi("a\0b"s), "a\0b"s);  // the length counts, not a terminator
}

// A text read a block at a time is decoded piece by piece: cut where
// WholeCharacters says, the pieces decode as the whole text does, and at most
// a last lead byte waits for the next block. Random texts of each double-byte
// code page, mostly of bytes from 0x40 up (lead and second bytes), some with
// none below it at all.
TEST(TextDecoderWin32, CutsDoubleByteTextsBetweenCharacters) {
  std::mt19937 random(932);
  for (const CodePage codePage : {932u, 936u, 949u, 950u}) {
    const TextDecoder decoder(codePage);
    for (int round = 0; round < 200; ++round) {
      const unsigned lowest = round % 2 == 0 ? 0x20 : 0x40;
      std::string text(1 + random() % 40, '\0');
      for (char& c : text) c = static_cast<char>(lowest + random() % (0x100 - lowest));
      const std::string whole = decoder.Decode(text);
      for (std::size_t end = 1; end <= text.size(); ++end) {
        const std::string_view block = std::string_view(text).substr(0, end);
        const std::size_t cut = decoder.WholeCharacters(block);
        ASSERT_TRUE(cut <= end && cut + 1 >= end) << codePage << ": " << cut << " of " << end;
        ASSERT_EQ(decoder.Decode(block.substr(0, cut)) + decoder.Decode(std::string_view(text).substr(cut)), whole)
            << codePage << ", cut at " << cut;
      }
    }
  }
}

TEST_F(TextEncodingWin32, EncodesUtf8IntoTheCodePage) {
  EXPECT_EQ(NativeToUtf8("\xC9tape"), "\xC3\x89tape");
  EXPECT_EQ(Utf8ToNative(""), "");
  EXPECT_EQ(Utf8ToNative("C:\\Games\\Missions"), "C:\\Games\\Missions");
  EXPECT_EQ(Utf8ToNative("\xC3\x89tape \xE2\x82\xAC"), "\xC9tape \x80");
  // Characters the code page lacks become its default character, not an error.
  EXPECT_EQ(Utf8ToNative("\xE6\x97\xA5"), "?");
  for (int byte = 1; byte < 256; ++byte) {
    const std::string native(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8ToNative(NativeToUtf8(native)), native) << "byte " << byte;
  }
}

}  // namespace
}  // namespace vostrel
