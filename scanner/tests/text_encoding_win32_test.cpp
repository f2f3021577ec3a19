// ANSI and UTF-8 on Windows: through the system's code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text_encoding.h"

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
