#include "scanner/code_pages.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vostrel {
namespace {

TEST(AnsiCodePageOfLocale, GivesTheCodePageOfTheLocalesLanguageTerritoryAndScript) {
  const struct {
    std::string_view locale;
    CodePage codePage;
  } cases[] = {
      {"", 1252},
      {"C", 1252},
      {"POSIX", 1252},
      {"C.UTF-8", 1252},
      {"de_DE.UTF-8@euro", 1252},
      {"ka_GE.UTF-8", 1252},  // Windows gives Georgian no ANSI code page
      {"pl_PL.UTF-8", 1250},
      {"sq_AL", 1250},
      {"bs_BA.UTF-8", 1250},
      {"sr_RS.UTF-8@latin", 1250},
      {"sr_RS.UTF-8", 1251},
      {"sr_ME", 1251},
      {"ru_RU.KOI8-R", 1251},
      {"tt_RU.UTF-8@iqtelif", 1251},  // Windows writes Tatar in Cyrillic only
      {"uz_UZ.UTF-8@cyrillic", 1251},
      {"el_GR@euro", 1253},
      {"az_AZ.UTF-8", 1254},
      {"uz_UZ.UTF-8", 1254},
      {"he_IL.UTF-8", 1255},
      {"fa_IR.UTF-8", 1256},
      {"az_IR.UTF-8", 1256},
      {"sd_IN.UTF-8", 1256},
      {"sd_IN.UTF-8@devanagari", 1252},
      {"ps_AF.UTF-8", 1252},  // Windows gives Pashto no ANSI code page
      {"lv_LV.UTF-8", 1257},
      {"vi_VN", 1258},
      {"th_TH.UTF-8", 874},
      {"ja_JP.eucJP", 932},
      {"zh_SG.UTF-8", 936},
      {"zh_HK.BIG5-HKSCS", 950},
      {"zh_MO", 950},
      {"KO_kr.UTF-8", 949},
  };
  for (const auto& test : cases) EXPECT_EQ(AnsiCodePageOfLocale(test.locale), test.codePage) << test.locale;
}

}  // namespace
}  // namespace vostrel
