// The locale comparison behind the collation: locale choice, case, Czech letters, UTF-16.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_util.h"

using namespace orvek3;
using kalmetra_test::ScopedCollationLocale;
using kalmetra_test::ScopedEnv;

namespace {

int Ansi(const std::string& a, const std::string& b) {
  return NativeCollateAnsi(nullptr, static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
}

std::vector<unsigned char> Bytes(const std::u16string& s, bool bigEndian) {
  std::vector<unsigned char> out;
  for (const char16_t u : s) {
    const auto hi = static_cast<unsigned char>(u >> 8), lo = static_cast<unsigned char>(u & 0xFF);
    if (bigEndian) out.push_back(hi), out.push_back(lo);
    else out.push_back(lo), out.push_back(hi);
  }
  return out;
}

int Wide(const std::u16string& a, const std::u16string& b, bool bigEndian) {
  const auto x = Bytes(a, bigEndian), y = Bytes(b, bigEndian);
  auto fn = bigEndian ? NativeCollateUtf16BE : NativeCollateUtf16LE;
  return fn(nullptr, static_cast<int>(x.size()), x.data(), static_cast<int>(y.size()), y.data());
}

// Sets all three locale variables for one scope and re-reads them.
struct Locale {
  Locale(const char* all, const char* collate, const char* lang)
      : a("LC_ALL", all), c("LC_COLLATE", collate), l("LANG", lang) {
    ResetCollationLocale();
  }
  ~Locale() { ResetCollationLocale(); }
  ScopedEnv a, c, l;
};

}  // namespace

TEST(CollationLocale, TakenFromTheEnvironmentInOrder) {
  {
    Locale env("en_US.UTF-8", "de_DE.UTF-8", "sk_SK.UTF-8");
    EXPECT_EQ(CollationLocaleName(), "en_US");
  }
  {
    Locale env(nullptr, "de_DE@euro", "sk_SK.UTF-8");
    EXPECT_EQ(CollationLocaleName(), "de_DE");
  }
  {
    Locale env("", nullptr, "sk_SK.UTF-8");
    EXPECT_EQ(CollationLocaleName(), "sk_SK");
  }
}

TEST(CollationLocale, CzechWhereUnsetCOrPosix) {
  for (const char* value : {static_cast<const char*>(nullptr), "C", "POSIX", "C.UTF-8"}) {
    Locale env(value, nullptr, nullptr);
    EXPECT_EQ(CollationLocaleName(), "cs_CZ") << (value ? value : "unset");
  }
}

TEST(CollationLocale, CachedUntilReset) {
  ScopedCollationLocale english("en_US.UTF-8");
  EXPECT_LT(Ansi("ch", "h"), 0);
  {
    ScopedEnv czech("LC_ALL", "cs_CZ.UTF-8");
    EXPECT_EQ(CollationLocaleName(), "en_US");  // not read again yet
    EXPECT_LT(Ansi("ch", "h"), 0);
    ResetCollationLocale();
    EXPECT_EQ(CollationLocaleName(), "cs_CZ");
    EXPECT_GT(Ansi("ch", "h"), 0);
  }
  ResetCollationLocale();
}

TEST(NativeCollate, IgnoresCaseButNotAccents) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  EXPECT_EQ(Ansi("abc", "ABC"), 0);
  EXPECT_EQ(Ansi("\x8E" "ena", "\x9E" "ena"), 0);  // Žena, žena
  EXPECT_LT(Ansi("b", "C"), 0);
  EXPECT_GT(Ansi("C", "b"), 0);
  EXPECT_NE(Ansi("a", "\xE1"), 0);  // a, á
  EXPECT_LT(Ansi("", "a"), 0);
  EXPECT_EQ(Ansi("", ""), 0);
}

TEST(NativeCollate, CzechAlphabet) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  EXPECT_LT(Ansi("h", "ch"), 0);            // ch follows h in Czech
  EXPECT_LT(Ansi("hrad", "chata"), 0);
  EXPECT_LT(Ansi("c", "\xE8"), 0);          // c before č
  EXPECT_LT(Ansi("\xE8", "d"), 0);          // č before d
  EXPECT_LT(Ansi("r", "\xF8"), 0);          // r before ř
  EXPECT_LT(Ansi("\xF8", "s"), 0);          // ř before s
  EXPECT_LT(Ansi("zebra", "\x9E" "aba"), 0);  // z before ž
}

TEST(NativeCollate, EnglishOrderDiffersFromCzech) {
  ScopedCollationLocale english("en_US.UTF-8");
  EXPECT_LT(Ansi("chata", "hrad"), 0);
  EXPECT_LT(Ansi("\x9E" "aba", "zebra"), 0);
}

TEST(NativeCollate, LongTextsBeyondTheStackBuffer) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  const std::string a = std::string(1000, 'x') + "a";
  const std::string b = std::string(1000, 'X') + "b";
  EXPECT_LT(Ansi(a, b), 0);
  EXPECT_EQ(Ansi(a, std::string(1000, 'X') + "A"), 0);
  EXPECT_LT(Wide(Utf8ToUtf16(a), Utf8ToUtf16(b), false), 0);
  EXPECT_LT(Wide(Utf8ToUtf16(a), Utf8ToUtf16(b), true), 0);
}

TEST(NativeCollate, Utf16BothByteOrders) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  for (const bool big : {false, true}) {
    EXPECT_EQ(Wide(u"abc", u"ABC", big), 0) << big;
    EXPECT_LT(Wide(u"b", u"C", big), 0) << big;
    EXPECT_LT(Wide(u"h", u"ch", big), 0) << big;
    EXPECT_LT(Wide(u"c", u"č", big), 0) << big;
    EXPECT_EQ(Wide(u"Čapek", u"čAPEK", big), 0) << big;
    EXPECT_GT(Wide(u"d", u"č", big), 0) << big;
  }
}

TEST(NativeCollate, BigEndianLeavesTheTextsUntouched) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  auto x = Bytes(u"Řeka", true), y = Bytes(u"řeka", true);
  const auto x0 = x, y0 = y;
  EXPECT_EQ(NativeCollateUtf16BE(nullptr, static_cast<int>(x.size()), x.data(), static_cast<int>(y.size()), y.data()), 0);
  EXPECT_EQ(x, x0);
  EXPECT_EQ(y, y0);
}

TEST(NativeCollate, Utf16AtAnOddAddress) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  const auto a = Bytes(u"chata", false), b = Bytes(u"hrad", false);
  std::vector<unsigned char> sa(a.size() + 1), sb(b.size() + 1);
  std::memcpy(sa.data() + 1, a.data(), a.size());
  std::memcpy(sb.data() + 1, b.data(), b.size());
  EXPECT_GT(NativeCollateUtf16LE(nullptr, static_cast<int>(a.size()), sa.data() + 1, static_cast<int>(b.size()),
                                 sb.data() + 1),
            0);
}

namespace {

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// A title-like text: Czech letters of both cases, "ch" often, spaces, digits and
// punctuation, now and then any byte at all.
std::string RandomTitle(std::mt19937& random) {
  static const std::string letters =
      "aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrRsStTuUvVwWxXyYzZ"
      "\xE1\xC1\xE8\xC8\xEF\xCF\xE9\xC9\xEC\xCC\xED\xCD\xF2\xD2\xF3\xD3\xF8\xD8\x9A\x8A\x9D\x8D\xFA\xDA\xF9\xD9\xFD\xDD\x9E\x8E"
      "      0123456789.,-:!?'\"()&";
  std::uniform_int_distribution<int> length(0, 24), pick(0, static_cast<int>(letters.size()) - 1), any(0, 255),
      chance(0, 99);
  std::string s;
  const int n = length(random);
  for (int i = 0; i < n; ++i) {
    const int c = chance(random);
    if (c < 4) s += static_cast<char>(any(random));
    else if (c < 12) s += (c % 4 == 0 ? "ch" : c % 4 == 1 ? "CH" : c % 4 == 2 ? "Ch" : "cH");
    else s += letters[static_cast<size_t>(pick(random))];
  }
  return s;
}

int ByIcu(const std::string& a, const std::string& b) {
  return NativeCollateAnsiByIcu(static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
}

// Every pair of single bytes and a million pairs of title-like texts (half of them
// differing late, after an equal start) compare as ICU compares them.
void ExpectTablesAgreeWithIcu(int pairs) {
  int wrong = 0;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      const std::string x(1, static_cast<char>(a)), y(1, static_cast<char>(b));
      if (Sign(Ansi(x, y)) != Sign(ByIcu(x, y)) && ++wrong <= 5)
        ADD_FAILURE() << "bytes " << a << " and " << b << ": " << Ansi(x, y) << " against " << ByIcu(x, y);
    }
  std::mt19937 random(20261209);
  for (int i = 0; i < pairs; ++i) {
    const std::string x = RandomTitle(random);
    std::string y = RandomTitle(random);
    if (i % 2 == 0) y = x.substr(0, x.size() / 2) + y;
    if (Sign(Ansi(x, y)) != Sign(ByIcu(x, y)) && ++wrong <= 10)
      ADD_FAILURE() << "'" << x << "' and '" << y << "': " << Ansi(x, y) << " against " << ByIcu(x, y);
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(NativeCollate, TablesAgreeWithIcuOnEveryPairOfBytesAndAMillionTitles) {
  {
    ScopedCollationLocale czech("cs_CZ.UTF-8");
    ExpectTablesAgreeWithIcu(1000000);
  }
  // Another locale has other contractions (none): the tables follow the collator.
  ScopedCollationLocale english("en_US.UTF-8");
  ExpectTablesAgreeWithIcu(100000);
}
