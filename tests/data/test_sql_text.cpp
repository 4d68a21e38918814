// The SQL text helpers: blank and identifier tests, quoting, table names, buffer helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "test_util.h"

using namespace orvek3;

TEST(SqlText, BlankText) {
  EXPECT_TRUE(IsBlankText(""));
  EXPECT_TRUE(IsBlankText(" \t\r\n"));
  EXPECT_FALSE(IsBlankText("  x "));
  EXPECT_TRUE(IsBlankText(std::string_view(" \0x", 3)));  // scanning stops at a zero byte
  EXPECT_FALSE(IsBlankText("\xA0"));                       // a no-break space is above 32
}

TEST(SqlText, PlainIdentifier) {
  EXPECT_TRUE(IsPlainIdentifier("Titul"));
  EXPECT_TRUE(IsPlainIdentifier("_x9_Y"));
  EXPECT_FALSE(IsPlainIdentifier(""));
  EXPECT_FALSE(IsPlainIdentifier("9lives"));
  EXPECT_FALSE(IsPlainIdentifier(" Titul"));
  EXPECT_FALSE(IsPlainIdentifier("Film rok"));
  EXPECT_FALSE(IsPlainIdentifier("Stopa\x9E"));  // ž
  EXPECT_FALSE(IsPlainIdentifier("a-b"));
  EXPECT_TRUE(IsPlainIdentifier(std::string(63, 'a')));
  EXPECT_FALSE(IsPlainIdentifier(std::string(64, 'a')));
}

TEST(SqlText, QuoteName) {
  EXPECT_EQ(QuoteName("Titul", false), "Titul");
  EXPECT_EQ(QuoteName("  Titul \r\n", false), "Titul");
  EXPECT_EQ(QuoteName("_a1", false), "_a1");
  EXPECT_EQ(QuoteName("\"Already quoted\"", true), "\"Already quoted\"");
  EXPECT_EQ(QuoteName("Film rok", false), "\"Film rok\"");
  EXPECT_EQ(QuoteName("1st", false), "\"1st\"");
  EXPECT_EQ(QuoteName("Stopa\x9E", false), "\"Stopa\x9E\"");
  EXPECT_EQ(QuoteName("Stopa\x9E", true), "\"Stopa\xC5\xBE\"");  // ž in UTF-8
  EXPECT_EQ(QuoteName(std::string(64, 'b'), false), "\"" + std::string(64, 'b') + "\"");
  EXPECT_EQ(QuoteName("   ", false), "\"\"");
  // An inner quote is doubled, so the name cannot end the quoted text early.
  EXPECT_EQ(QuoteName("a\"b", false), "\"a\"\"b\"");
}

TEST(SqlText, QuoteNameList) {
  EXPECT_EQ(QuoteNameList("Titul; Rok", false), "Titul,Rok");
  EXPECT_EQ(QuoteNameList("Titul,,Rok", false), "Titul,\"\",Rok");
  EXPECT_EQ(QuoteNameList("Film rok,Id", false), "\"Film rok\",Id");
  EXPECT_EQ(QuoteNameList("Id,", false), "Id");
  EXPECT_EQ(QuoteNameList("Id\r\nTitul\nRok", false), "Id,Titul,Rok");
  EXPECT_EQ(QuoteNameList("", false), "");
  EXPECT_EQ(QuoteNameList("  ", false), "");
  EXPECT_EQ(QuoteNameList("\x8A" "aty", true), "\"\xC5\xA0" "aty\"");  // Šaty
}

TEST(SqlText, ExtractTableName) {
  EXPECT_EQ(ExtractTableName("SELECT * FROM Tabulka ORDER BY Titul", false), "TABULKA");
  EXPECT_EQ(ExtractTableName("select * from Tabulka", false), "TABULKA");
  EXPECT_EQ(ExtractTableName("SELECT * FROM \"Moje filmy\" WHERE Id=1", false), "MOJE FILMY");
  EXPECT_EQ(ExtractTableName("SELECT * FROM \"Moje filmy\" WHERE Id=1", true), "\"MOJE FILMY\"");
  EXPECT_EQ(ExtractTableName("pragma table_info(Tabulka)", false), "");
  EXPECT_EQ(ExtractTableName("SELECT *\tFROM Tabulka", false), "");
  EXPECT_EQ(ExtractTableName("SELECT * FROM ", false), "");
  EXPECT_EQ(ExtractTableName("SELECT * FROM a,b", false), "A,B");
  EXPECT_EQ(ExtractTableName("SELECT * FROM \"\" x", false), "");
  EXPECT_EQ(ExtractTableName("SELECT * FROM \"\" x", true), "\"\"");
  EXPECT_EQ(ExtractTableName("SELECT * FROM \"open", false), "");
  EXPECT_EQ(ExtractTableName("SELECT *\r\nFROM Tabulka", false), "TABULKA");
  EXPECT_EQ(ExtractTableName("SELECT *\nFROM Tabulka", false), "TABULKA");
  // Upper case of the code page, letters with diacritics included.
  EXPECT_EQ(ExtractTableName("select * from \"\x9Elu\x9Dou\xE8k\xFD\"", false), "\x8ELU\x8DOU\xC8K\xDD");
  EXPECT_EQ(ExtractTableName("select * from \x9E" "anry", true), "\"\x8E" "ANRY\"");
}

TEST(SqlText, FieldDataSize) {
  EXPECT_EQ(FieldDataSize(TFieldType::ftString, 80), 81);
  EXPECT_EQ(FieldDataSize(TFieldType::ftSmallint, 0), 2);
  EXPECT_EQ(FieldDataSize(TFieldType::ftWord, 0), 2);
  EXPECT_EQ(FieldDataSize(TFieldType::ftBoolean, 0), 2);
  EXPECT_EQ(FieldDataSize(TFieldType::ftInteger, 0), 4);
  EXPECT_EQ(FieldDataSize(TFieldType::ftDate, 0), 4);
  EXPECT_EQ(FieldDataSize(TFieldType::ftTime, 0), 4);
  EXPECT_EQ(FieldDataSize(TFieldType::ftFloat, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftCurrency, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftDateTime, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftLargeint, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftBlob, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftMemo, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftGraphic, 0), 8);
  EXPECT_EQ(FieldDataSize(TFieldType::ftWideString, 30), 62);
  EXPECT_EQ(FieldDataSize(TFieldType::ftFmtMemo, 0), 0);
  EXPECT_EQ(FieldDataSize(TFieldType::ftUnknown, 10), 0);
  // Beyond 16 bits the slot size does not wrap to a short one.
  EXPECT_EQ(FieldDataSize(TFieldType::ftWideString, 40000), 0xFFFF);
  EXPECT_EQ(FieldDataSize(TFieldType::ftString, 70000), 0xFFFF);
}

TEST(SqlText, CopyWideText) {
  const char16_t source[] = u"Kůň";
  char16_t dest[8];
  std::fill(std::begin(dest), std::end(dest), u'#');
  EXPECT_EQ(CopyWideText(source, dest, sizeof dest), 8);  // three units and the zero
  EXPECT_EQ(std::u16string(dest), u"Kůň");
  std::fill(std::begin(dest), std::end(dest), u'#');
  EXPECT_EQ(CopyWideText(source, dest, 5), 4);  // two units fit in five bytes
  EXPECT_EQ(dest[0], u'K');
  EXPECT_EQ(dest[1], u'ů');
  EXPECT_EQ(dest[2], u'#');
}

TEST(SqlText, SwapUtf16Bytes) {
  unsigned char buffer[] = {0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x05, 0x06};
  EXPECT_EQ(SwapUtf16Bytes(buffer, sizeof buffer), buffer);
  const unsigned char expected[] = {0x02, 0x01, 0x04, 0x03, 0x00, 0x00, 0x05, 0x06};
  EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0);  // stopped after the zero unit
  unsigned char odd[] = {0x01, 0x02, 0x03};
  SwapUtf16Bytes(odd, 3);
  EXPECT_EQ(odd[0], 0x02);
  EXPECT_EQ(odd[2], 0x03);
}

TEST(SqlText, TrimAndAsciiCase) {
  EXPECT_EQ(TrimText("\t a b \r\n"), "a b");
  EXPECT_EQ(TrimText("   "), "");
  EXPECT_TRUE(SameTextAscii("Titul", "tITUL"));
  EXPECT_FALSE(SameTextAscii("Titul", "Titu"));
  EXPECT_FALSE(SameTextAscii("\x9A", "\x8A"));  // š and Š: ASCII only
  EXPECT_EQ(UpperCaseAscii("abc\xE8"), "ABC\xE8");
}

TEST(SqlText, RaiseDatabaseErrorNamesTheComponent) {
  TComponent named;
  named.SetName("Orvek3Database1");
  try {
    RaiseDatabaseError(&named, "Not connected!");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "Orvek3Database1: Not connected!");
  }
  TComponent nameless;
  try {
    RaiseDatabaseError(&nameless, "Not connected!");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "Not connected!");
  }
}

TEST(SqlText, AnsiLikeIsByteWiseWithWildcards) {
  EXPECT_TRUE(AnsiLike("%abc%", "xxABCxx", true));
  EXPECT_FALSE(AnsiLike("%abc%", "xxABCxx", false));
  EXPECT_FALSE(AnsiLike("\xc8%", "\xe8" "aj", true));  // letters with diacritics keep their case
  EXPECT_TRUE(AnsiLike("_\x9a%", "\xe8\x9a", true));
  EXPECT_TRUE(AnsiLike("a%b%c", "aXbYbZc", true));
  EXPECT_FALSE(AnsiLike("a%b%c", "aXbYbZ", true));
  EXPECT_TRUE(AnsiLike("%", "", true));
  EXPECT_FALSE(AnsiLike("_", "", true));
  EXPECT_TRUE(AnsiLike("%%a", "ba", true));
  EXPECT_FALSE(AnsiLike("abc", "abcd", true));
  EXPECT_TRUE(AnsiLike("%'%", "O'Brien", true));
}
