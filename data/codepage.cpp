// Windows-1250, the fixed ANSI code page of the data layer, and UTF-8/UTF-16 conversion.
#include <unicode/uchar.h>

#include <array>
#include <cstdint>

#include "codepage_internal.h"
#include "sql_text.h"

namespace orvek3 {
namespace detail {

// Bytes the code page leaves undefined map to the C1 control of the same value, as the
// system converters do, so every byte survives a round trip. Constant, so that the tables
// below are built from it at compile time; the declaration in the header keeps it visible
// to the collation.
constexpr char16_t kAnsiToUnicode[256] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
    0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

}  // namespace detail

namespace {

using detail::kAnsiToUnicode;

// Every character of the code page lies in one of these 256-character pages of the BMP.
constexpr int PageSlot(unsigned page) {
  switch (page) {
    case 0x00: return 0;
    case 0x01: return 1;
    case 0x02: return 2;
    case 0x20: return 3;
    case 0x21: return 4;
    default: return -1;
  }
}

// Reverse table; 0 marks a character the code page lacks (U+0000 is handled as ASCII).
struct ReverseTable {
  uint8_t bytes[5][256] = {};
};

constexpr ReverseTable BuildReverse() {
  ReverseTable t;
  for (int b = 0x80; b < 256; ++b) {
    const unsigned u = kAnsiToUnicode[b];
    t.bytes[PageSlot(u >> 8)][u & 0xFF] = static_cast<uint8_t>(b);
  }
  return t;
}

constexpr ReverseTable kReverse = BuildReverse();

// The byte for a code point, or -1 when the code page lacks it.
inline int UnicodeToAnsiByte(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp > 0xFFFF) return -1;
  const int slot = PageSlot(cp >> 8);
  if (slot < 0) return -1;
  const uint8_t b = kReverse.bytes[slot][cp & 0xFF];
  return b == 0 ? -1 : b;
}

// UTF-8 form of each byte of the code page, at most three bytes.
struct Utf8Table {
  char text[256][3] = {};
  uint8_t length[256] = {};
};

constexpr Utf8Table BuildUtf8() {
  Utf8Table t;
  for (int b = 0; b < 256; ++b) {
    const unsigned u = kAnsiToUnicode[b];
    if (u < 0x80) {
      t.text[b][0] = static_cast<char>(u);
      t.length[b] = 1;
    } else if (u < 0x800) {
      t.text[b][0] = static_cast<char>(0xC0 | (u >> 6));
      t.text[b][1] = static_cast<char>(0x80 | (u & 0x3F));
      t.length[b] = 2;
    } else {
      t.text[b][0] = static_cast<char>(0xE0 | (u >> 12));
      t.text[b][1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      t.text[b][2] = static_cast<char>(0x80 | (u & 0x3F));
      t.length[b] = 3;
    }
  }
  return t;
}

constexpr Utf8Table kUtf8 = BuildUtf8();

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; malformed input gives U+FFFD and
// consumes one byte, so decoding always moves on.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra;
  char32_t cp;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<size_t>(extra) >= text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto c = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
    ++i;
    return kReplacement;
  }
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point of UTF-16 at text[i]; a lone surrogate gives U+FFFD.
char32_t DecodeUtf16(std::u16string_view text, size_t& i) {
  const char16_t u = text[i++];
  if (u < 0xD800 || u >= 0xE000) return u;
  if (u < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000) {
    const char16_t low = text[i++];
    return 0x10000 + ((static_cast<char32_t>(u - 0xD800) << 10) | (low - 0xDC00));
  }
  return kReplacement;
}

// Casing tables of the code page: a letter whose other case the code page lacks stays.
struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
  CaseTables() {
    for (int b = 0; b < 256; ++b) {
      const char16_t u = kAnsiToUnicode[b];
      const int up = UnicodeToAnsiByte(static_cast<char32_t>(u_toupper(u)));
      const int low = UnicodeToAnsiByte(static_cast<char32_t>(u_tolower(u)));
      upper[b] = static_cast<unsigned char>(up < 0 ? b : up);
      lower[b] = static_cast<unsigned char>(low < 0 ? b : low);
    }
  }
};

const CaseTables& Cases() {
  static const CaseTables tables;
  return tables;
}

}  // namespace

char16_t AnsiCharToUnicode(unsigned char c) { return kAnsiToUnicode[c]; }

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out(ansi.size(), u'\0');
  for (size_t i = 0; i < ansi.size(); ++i) out[i] = kAnsiToUnicode[static_cast<unsigned char>(ansi[i])];
  return out;
}

bool TryUnicodeToAnsi(std::u16string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool complete = true;
  for (size_t i = 0; i < text.size();) {
    const int b = UnicodeToAnsiByte(DecodeUtf16(text, i));
    if (b < 0) {
      complete = false;
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  return complete;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  TryUnicodeToAnsi(text, out);
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (const char ch : ansi) {
    const auto b = static_cast<unsigned char>(ch);
    out.append(kUtf8.text[b], kUtf8.length[b]);
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    const int b = UnicodeToAnsiByte(DecodeUtf8(utf8, i));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = DecodeUtf8(utf8, i);
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf8(out, DecodeUtf16(text, i));
  return out;
}

std::string AnsiUpperCase(std::string_view text) {
  const CaseTables& t = Cases();
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(t.upper[static_cast<unsigned char>(ch)]);
  return out;
}

std::string AnsiLowerCase(std::string_view text) {
  const CaseTables& t = Cases();
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(t.lower[static_cast<unsigned char>(ch)]);
  return out;
}

bool SameTextAnsi(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const CaseTables& t = Cases();
  for (size_t i = 0; i < a.size(); ++i)
    if (t.upper[static_cast<unsigned char>(a[i])] != t.upper[static_cast<unsigned char>(b[i])]) return false;
  return true;
}

}  // namespace orvek3
