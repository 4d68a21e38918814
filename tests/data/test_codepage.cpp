// The Windows-1250 table and the conversions, checked against ICU's own converter.
#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <memory>

#include "test_util.h"

using namespace orvek3;

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

std::unique_ptr<UConverter, ConverterCloser> OpenWindows1250() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> c(ucnv_open("windows-1250", &status));
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  return c;
}

}  // namespace

TEST(CodePage, EveryByteMapsAsIcuSays) {
  auto converter = OpenWindows1250();
  ASSERT_NE(converter, nullptr);
  for (int b = 0; b < 256; ++b) {
    const char in[1] = {static_cast<char>(b)};
    UChar out[4] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter.get(), out, 4, in, 1, &status);
    ASSERT_TRUE(U_SUCCESS(status)) << b;
    ASSERT_EQ(n, 1) << b;
    EXPECT_EQ(AnsiCharToUnicode(static_cast<unsigned char>(b)), out[0]) << "byte 0x" << std::hex << b;
  }
}

TEST(CodePage, UndefinedBytesAgreeWithIcu) {
  auto converter = OpenWindows1250();
  for (const int b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
    const char in[1] = {static_cast<char>(b)};
    UChar out[2] = {};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUChars(converter.get(), out, 2, in, 1, &status);
    EXPECT_EQ(AnsiCharToUnicode(static_cast<unsigned char>(b)), out[0]);
    // and they survive a round trip
    EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(std::string(1, static_cast<char>(b)))), std::string(1, static_cast<char>(b)));
  }
}

TEST(CodePage, ReverseMappingAgreesWithIcuForTheWholeBmp) {
  auto converter = OpenWindows1250();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  int mappable = 0;
  for (int u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u < 0xE000) continue;
    const UChar in[1] = {static_cast<UChar>(u)};
    char out[8];
    status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter.get(), out, 8, in, 1, &status);
    const bool icuMaps = U_SUCCESS(status) && n == 1;
    std::string ours;
    const bool weMap = TryUnicodeToAnsi(std::u16string(1, static_cast<char16_t>(u)), ours);
    ASSERT_EQ(weMap, icuMaps) << "U+" << std::hex << u;
    if (icuMaps) {
      ++mappable;
      EXPECT_EQ(ours, std::string(1, out[0])) << "U+" << std::hex << u;
    } else {
      EXPECT_EQ(ours, "?");
    }
  }
  EXPECT_EQ(mappable, 255);  // every byte but 0x00
}

TEST(CodePage, CzechTextThroughUtf8AndUtf16) {
  const std::string utf8 = "Příliš žluťoučký kůň úpěl ďábelské ódy – „Š€“";
  const std::string ansi = Utf8ToAnsi(utf8);
  EXPECT_EQ(ansi, "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
                  "belsk\xE9 \xF3" "dy \x96 \x84\x8A\x80\x93");
  EXPECT_EQ(AnsiToUtf8(ansi), utf8);
  EXPECT_EQ(Utf8ToUtf16(utf8), u"Příliš žluťoučký kůň úpěl ďábelské ódy – „Š€“");
  EXPECT_EQ(Utf16ToUtf8(AnsiToUtf16(ansi)), utf8);
  EXPECT_EQ(Utf16ToAnsi(Utf8ToUtf16(utf8)), ansi);
}

TEST(CodePage, CharactersOutsideTheCodePageAreReported) {
  std::string out;
  EXPECT_TRUE(TryUnicodeToAnsi(u"Čapek", out));
  EXPECT_EQ(out, "\xC8" "apek");
  EXPECT_FALSE(TryUnicodeToAnsi(u"Ærø", out));
  EXPECT_EQ(out, "?r?");
  // A surrogate pair is one character, so one replacement.
  EXPECT_FALSE(TryUnicodeToAnsi(u"a\U0001F3AC" u"b", out));
  EXPECT_EQ(out, "a?b");
  EXPECT_EQ(Utf8ToAnsi("\xE6\x97\xA5"), "?");  // a CJK character
}

TEST(CodePage, MalformedUtf8NeverStallsOrOverruns) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");          // cut short at the end
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToAnsi("x\xFFy"), "x?y");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E\xAC"), u"\U0001F3AC");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F3AC"), "\xF0\x9F\x8E\xAC");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(CodePage, AnsiCasingCoversLettersWithDiacritics) {
  const std::string lower = Utf8ToAnsi("žluťoučký kůň ěščřďňáíéóúůýľĺŕąęłśźż");
  const std::string upper = Utf8ToAnsi("ŽLUŤOUČKÝ KŮŇ ĚŠČŘĎŇÁÍÉÓÚŮÝĽĹŔĄĘŁŚŹŻ");
  EXPECT_EQ(AnsiUpperCase(lower), upper);
  EXPECT_EQ(AnsiLowerCase(upper), lower);
  // ß, ×, ÷ and µ have no other case in the code page and stay.
  const std::string keep = Utf8ToAnsi("ß×÷µ123");
  EXPECT_EQ(AnsiUpperCase(keep), keep);
  EXPECT_EQ(AnsiLowerCase(keep), keep);
  EXPECT_EQ(UpperCaseAscii(lower.substr(0, 4)), std::string("\x9E" "LU\x9D"));
}
