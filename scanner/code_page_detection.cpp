#include "scanner/code_page_detection.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <new>

#include "handle/unique_handle.h"

namespace vostrel {
namespace {

using Detector = handle::UniqueHandle<handle::NullInvalid<uchardet_t, uchardet_delete>>;

struct Answer {
  std::string_view charset;  // as uchardet names it
  CodePage codePage;
};

// Each charset uchardet names for 8-bit text, taken as the code page offered
// for the same script: the detector often cannot tell an ISO or DOS sibling
// from the Windows code page (ISO-8859-13 from 1257, ISO-8859-9 from 1254,
// KOI8-R from 1251 on a short text), and the letters a mission holds decode
// alike in both but for the few that tell them apart. Its Windows-1254 is
// ISO-8859-9 (later versions may name it), and ISO-8859-3 serves no offered language but Turkish.
// Unicode answers (UTF-8, UTF-16, UTF-32) name no code page offered.
constexpr std::array<Answer, 38> kAnswers{{
    {"TIS-620", 874},           {"ISO-8859-11", 874},
    {"SHIFT_JIS", 932},         {"EUC-JP", 932},
    {"GB18030", 936},
    {"UHC", 949},               {"EUC-KR", 949},
    {"BIG5", 950},              {"EUC-TW", 950},
    {"WINDOWS-1250", 1250},     {"ISO-8859-2", 1250},       {"IBM852", 1250},
    {"MAC-CENTRALEUROPE", 1250}, {"ISO-8859-16", 1250},
    {"WINDOWS-1251", 1251},     {"ISO-8859-5", 1251},       {"KOI8-R", 1251},
    {"IBM855", 1251},           {"IBM866", 1251},           {"MAC-CYRILLIC", 1251},
    {"WINDOWS-1252", 1252},     {"ISO-8859-1", 1252},       {"ISO-8859-15", 1252},
    {"WINDOWS-1253", 1253},     {"ISO-8859-7", 1253},
    {"WINDOWS-1254", 1254},     {"ISO-8859-9", 1254},       {"ISO-8859-3", 1254},
    {"WINDOWS-1255", 1255},     {"ISO-8859-8", 1255},
    {"WINDOWS-1256", 1256},     {"ISO-8859-6", 1256},
    {"WINDOWS-1257", 1257},     {"ISO-8859-13", 1257},      {"ISO-8859-4", 1257},
    {"ISO-8859-10", 1257},
    {"WINDOWS-1258", 1258},     {"VISCII", 1258},
}};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

MissionCodePage DetectCodePage(std::span<const std::string_view> texts, CodePage fallback) {
  // No byte above 127: nothing to tell by, and nothing any code page reads
  // otherwise. (ISO-2022's escapes are 7-bit too, and no code page offered.)
  if (std::all_of(texts.begin(), texts.end(), IsAscii)) return {fallback, CodePageSource::kNoSign};

  const Detector detector(uchardet_new());
  if (!detector) throw std::bad_alloc();
  // A line break between the texts, so that the last word of one and the
  // first of the next are not taken for one word.
  bool first = true;
  for (const std::string_view text : texts) {
    if (!first && uchardet_handle_data(detector.get(), "\n", 1) != 0) throw std::bad_alloc();
    first = false;
    if (uchardet_handle_data(detector.get(), text.data(), text.size()) != 0) throw std::bad_alloc();
  }
  uchardet_data_end(detector.get());
  const std::string_view charset = uchardet_get_charset(detector.get());
  for (const Answer& answer : kAnswers) {
    if (answer.charset == charset) return {answer.codePage, CodePageSource::kDetected};
  }
  return {fallback, CodePageSource::kUnsure};
}

}  // namespace vostrel
