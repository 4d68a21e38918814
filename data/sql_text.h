// SQL text helpers, the Windows-1250 code page and the locale collation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db_types.h"

namespace orvek3 {

// True when no byte up to the first zero byte has a code above 32.
bool IsBlankText(std::string_view text);
// A name of 1 to 63 ASCII letters, digits and "_" that begins with a letter or "_".
bool IsPlainIdentifier(std::string_view text);
// Trims; returns plain identifiers and names already in double quotes as they are,
// quotes the rest (doubling inner double quotes), converted to UTF-8 when asked.
std::string QuoteName(std::string_view name, bool convertToUtf8);
// Names separated by "," or ";" quoted one by one and joined by ",".
std::string QuoteNameList(std::string_view list, bool convertToUtf8);
// The table after the first " FROM ", upper case; empty when there is none.
std::string ExtractTableName(std::string_view statement, bool quote);
// Bytes a value of the type takes in a row slot (without the presence byte).
uint16_t FieldDataSize(TFieldType type, int size);
// Copies UTF-16 units up to and including a zero unit, at most byteLimit/2; returns bytes copied.
// The destination may be unaligned (a row slot).
int CopyWideText(const char16_t* source, void* destination, int byteLimit);
// The zero-ended UTF-16 text at a possibly unaligned place, at most maxUnits units.
std::u16string ReadWideText(const void* source, size_t maxUnits);
// Swaps the bytes of each UTF-16 unit in place, stopping after a zero unit.
void* SwapUtf16Bytes(void* buffer, int byteLength);

// SQL LIKE over Windows-1250 text, a byte a character: "%" matches any run, "_" any one
// character; A to Z match either case when asked, every other character only itself.
bool AnsiLike(std::string_view pattern, std::string_view text, bool ignoreAsciiCase);

// Trim of characters with codes 32 and below from both ends.
std::string TrimText(std::string_view text);
// A whole number as a number field takes it: an optional sign and decimal digits that
// fit 64 bits.
bool ParseInt64(const std::string& text, int64_t& out);

// ASCII-only case-insensitive equality and upper-casing.
bool SameTextAscii(std::string_view a, std::string_view b);
std::string UpperCaseAscii(std::string_view text);
// Upper-casing of Windows-1250 text (letters with diacritics included).
std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);
// Case-insensitive equality of Windows-1250 texts, folding letters with diacritics too.
bool SameTextAnsi(std::string_view a, std::string_view b);

// Windows-1250 <-> Unicode. Characters the code page lacks become '?' (the edit controls
// refuse them earlier; see TryUnicodeToAnsi).
char16_t AnsiCharToUnicode(unsigned char c);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
// False when a character cannot be held by the code page; out receives the rest converted.
bool TryUnicodeToAnsi(std::u16string_view text, std::string& out);

// The locale used for comparison: LC_ALL, LC_COLLATE, LANG; cs_CZ when unset, C or POSIX.
std::string CollationLocaleName();
// Case-ignoring locale comparisons with the SQLite collation signature; -1, 0 or 1.
int NativeCollateAnsi(void* context, int length1, const void* text1, int length2, const void* text2);
// The same through ICU for every comparison, without the tables derived from it; the
// reference the tables are tested against.
int NativeCollateAnsiByIcu(int length1, const void* text1, int length2, const void* text2);
int NativeCollateUtf16LE(void* context, int length1, const void* text1, int length2, const void* text2);
int NativeCollateUtf16BE(void* context, int length1, const void* text1, int length2, const void* text2);

}  // namespace orvek3

namespace orvek3 {
// Reads the locale from the environment again (the comparison caches it).
void ResetCollationLocale();
}  // namespace orvek3

namespace orvek3 {
// Locale comparison of two Windows-1250 texts: ignoring case, and respecting it.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
}  // namespace orvek3

namespace orvek3 {
// A date, a date and time, or a time alone as written by a Czech user ("20.3.2018 10:30")
// or in ISO order ("2018-3-20"); nothing when the text is neither.
std::optional<TDateTime> TextToDateTime(std::string_view text);
}  // namespace orvek3
