// The code page each mission's texts are read in when it is detected: the
// corpus of real-language missions in every code page offered, each written
// in its code page and read back as written (in the code page it was written
// in, or in one that reads its letters alike), at least as often as measured.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scanner/code_page_detection.h"
#include "scanner/text_decoding.h"
#include "scanner/utf8.h"

namespace vostrel {
namespace {

struct Mission {
  CodePage codePage = 0;
  std::string language;
  std::array<std::string, 3> texts;  // UTF-8
};

// data/code_page_corpus.tsv: code page, language, the three texts.
std::vector<Mission> ReadCorpus() {
  std::ifstream file(VOSTREL_CODE_PAGE_CORPUS, std::ios::binary);
  std::vector<Mission> missions;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '\t');) {
      for (std::size_t at = 0; (at = field.find("\\n", at)) != std::string::npos; at += 2) field.replace(at, 2, "\r\n");
      fields.push_back(field);
    }
    if (fields.size() != 5) ADD_FAILURE() << "not five fields: " << line;
    if (fields.size() != 5) continue;
    missions.push_back({static_cast<CodePage>(std::stoul(fields[0])), fields[1], {fields[2], fields[3], fields[4]}});
  }
  return missions;
}

// UTF-8 to a code page's bytes: the inverse of its TextDecoder, a character
// to the first bytes (in byte order) that decode to it.
class Encoder {
 public:
  explicit Encoder(const TextDecoder& decoder) {
    for (unsigned first = 1; first < 256; ++first) {
      const std::string one(1, static_cast<char>(first));
      if (decoder.WholeCharacters(one) == 1) {
        bytes_.emplace(decoder.Decode(one), one);
        continue;
      }
      // Every second byte of these code pages is 0x40 or above; below it a
      // pair gives the default character, which is a character of its own.
      for (unsigned second = 0x40; second < 256; ++second) {
        const std::string two{static_cast<char>(first), static_cast<char>(second)};
        bytes_.emplace(decoder.Decode(two), two);
      }
    }
  }

  // Throws std::out_of_range for a character the code page lacks.
  std::string Encode(std::string_view utf8) const {
    std::string bytes;
    for (std::size_t position = 0; position < utf8.size();) {
      const std::size_t start = position;
      utf8::DecodeNext(utf8, position);
      bytes += bytes_.at(std::string(utf8.substr(start, position - start)));
    }
    return bytes;
  }

 private:
  std::unordered_map<std::string, std::string> bytes_;
};

TEST(DetectCodePage, ReadsTheCorpusAsWrittenAsOftenAsMeasured) {
  // Missions read as written, of those written in each code page, as
  // measured with uchardet 0.0.7 (Debian 12's, and the same built for
  // Windows), texts telling none read in 1252 (the C locale's default).
  const std::map<CodePage, std::size_t> measured{
      {874, 20},  {932, 20},  {936, 20},  {949, 20},  {950, 18},  {1250, 27}, {1251, 25},
      {1252, 26}, {1253, 20}, {1254, 18}, {1255, 20}, {1256, 20}, {1257, 20}, {1258, 20},
  };
  const TextDecoding automatic(kAutomaticCodePage, 1252);
  std::map<CodePage, Encoder> encoders;
  std::map<CodePage, std::array<std::size_t, 2>> read;  // right, all
  for (const Mission& mission : ReadCorpus()) {
    const Encoder& encoder = encoders.try_emplace(mission.codePage, automatic.Decoder(mission.codePage)).first->second;
    std::array<std::string, 3> bytes;
    std::array<std::string_view, 3> samples;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = encoder.Encode(mission.texts[i]);
      samples[i] = std::string_view(bytes[i]).substr(0, kDetectionBytes);
    }
    const MissionCodePage found = automatic.CodePageOf(samples);
    bool right = true;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      right = right && automatic.Decoder(found.codePage).Decode(bytes[i]) == mission.texts[i];
    }
    ++read[mission.codePage][1];
    if (right) {
      ++read[mission.codePage][0];
    } else {
      std::cout << mission.codePage << " " << mission.language << " \"" << mission.texts[0] << "\" read in "
                << found.codePage << "\n";
    }
  }
  ASSERT_EQ(read.size(), kCodePages.size());
  std::size_t right = 0;
  std::size_t all = 0;
  for (const auto& [codePage, counts] : read) {
    std::cout << codePage << ": " << counts[0] << " of " << counts[1] << " read as written\n";
    EXPECT_GE(counts[0], measured.at(codePage)) << codePage;
    right += counts[0];
    all += counts[1];
  }
  std::cout << "all: " << right << " of " << all << "\n";
  EXPECT_GE(right * 100, all * 95);
}

// Texts without a byte above 127, and texts the detector names no offered
// code page for, are read in the default code page.
TEST(DetectCodePage, TakesTheDefaultWhereTheTextsTellNone) {
  struct Case {
    std::array<std::string_view, 3> texts;
    MissionCodePage expected;
  };
  const Case cases[] = {
      {{"Iron Valley", "", "Build a base."}, {1251, CodePageSource::kNoSign}},
      {{"Łódź", "Żółta technologia", "Zażółć gęślą jaźń: zdobądź most przed świtem."}, {1251, CodePageSource::kUnsure}},
      {{"\xA3\xF3" "d\x9F", "\xAF\xF3\xB3ta technologia", "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1: zdob\xB9" "d\x9F"},
       {1250, CodePageSource::kDetected}},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectCodePage(c.texts, 1251), c.expected) << c.texts[0];
}

}  // namespace
}  // namespace vostrel
