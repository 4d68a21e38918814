// SQL text helpers: blank and identifier tests, name quoting, table name extraction.
#include <cstring>
#include <vector>

#include "sql_text.h"

namespace orvek3 {
namespace {

inline bool IsAsciiLetterOrDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string DoubleQuotes(std::string_view name) {
  std::string out;
  out.reserve(name.size() + 2);
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out;
}

// Splits at commas and at line ends; a separator at the very end adds no empty item.
std::vector<std::string_view> SplitNameList(std::string_view list) {
  std::vector<std::string_view> items;
  size_t start = 0;
  size_t i = 0;
  while (i < list.size()) {
    const char c = list[i];
    if (c == ',' || c == ';' || c == '\n' || c == '\r') {
      items.push_back(list.substr(start, i - start));
      if (c == '\r' && i + 1 < list.size() && list[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < list.size()) items.push_back(list.substr(start));
  return items;
}

}  // namespace

bool IsBlankText(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0) break;
    if (c > 32) return false;
  }
  return true;
}

bool IsPlainIdentifier(std::string_view text) {
  if (text.empty() || static_cast<unsigned char>(text[0]) <= '9') return false;
  for (size_t i = 0; i < 64; ++i) {
    if (i >= text.size() || text[i] == '\0') return true;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != '_' && !IsAsciiLetterOrDigit(c)) return false;
  }
  return false;  // 64 characters or more
}

std::string QuoteName(std::string_view name, bool convertToUtf8) {
  const std::string trimmed = TrimText(name);
  if (!IsBlankText(trimmed) && trimmed[0] == '"') return trimmed;
  if (IsPlainIdentifier(trimmed)) return trimmed;
  // Inner quotes are doubled so that no name can end the quoted text early.
  return "\"" + DoubleQuotes(convertToUtf8 ? AnsiToUtf8(trimmed) : trimmed) + "\"";
}

std::string QuoteNameList(std::string_view list, bool convertToUtf8) {
  if (IsBlankText(list)) return {};
  std::string out;
  for (const std::string_view item : SplitNameList(list)) {
    out += QuoteName(item, convertToUtf8);
    out += ',';
  }
  if (!IsBlankText(out)) out.pop_back();
  return out;
}

std::string ExtractTableName(std::string_view statement, bool quote) {
  // Line ends count as blanks, whichever platform wrote them.
  std::string text;
  text.reserve(statement.size() + 1);
  for (size_t i = 0; i < statement.size(); ++i) {
    const char c = statement[i];
    if (c == '\r' && i + 1 < statement.size() && statement[i + 1] == '\n') {
      text += ' ';
      ++i;
    } else if (c == '\r' || c == '\n') {
      text += ' ';
    } else {
      text += c;
    }
  }
  text = AnsiUpperCase(text);
  text += ' ';

  const size_t from = text.find(" FROM ");
  if (from == std::string::npos) return {};
  const std::string rest = TrimText(std::string_view(text).substr(from + 6));
  if (IsBlankText(rest)) return {};

  std::string name;
  if (rest[0] == '"') {
    const size_t close = rest.find('"', 1);
    if (close != std::string::npos && close > 1) name = rest.substr(1, close - 1);
  } else {
    const size_t space = rest.find(' ');
    name = space == std::string::npos ? rest : rest.substr(0, space);
  }
  return quote ? QuoteName(name, false) : name;
}

uint16_t FieldDataSize(TFieldType type, int size) {
  // A slot size beyond 16 bits would wrap to a short slot; the largest one is kept instead.
  auto clamp = [](int64_t bytes) -> uint16_t {
    if (bytes < 0) return 0;
    return bytes > 0xFFFF ? uint16_t{0xFFFF} : static_cast<uint16_t>(bytes);
  };
  switch (type) {
    case TFieldType::ftString: return clamp(int64_t{size} + 1);
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
    case TFieldType::ftBoolean: return 2;
    case TFieldType::ftInteger:
    case TFieldType::ftDate:
    case TFieldType::ftTime: return 4;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftDateTime:
    case TFieldType::ftLargeint: return 8;
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic: return 8;
    case TFieldType::ftWideString: return clamp((int64_t{size} + 1) * 2);
    default: return 0;
  }
}

int CopyWideText(const char16_t* source, void* destination, int byteLimit) {
  if (source == nullptr || destination == nullptr || byteLimit < 2) return 0;
  const int units = byteLimit / 2;
  auto* out = static_cast<unsigned char*>(destination);
  int copied = 0;
  while (copied < units) {
    const char16_t u = source[copied];
    std::memcpy(out + 2 * copied++, &u, 2);
    if (u == 0) break;
  }
  return copied * 2;
}

std::u16string ReadWideText(const void* source, size_t maxUnits) {
  std::u16string text;
  if (source == nullptr) return text;
  const auto* in = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < maxUnits; ++i) {
    char16_t u;
    std::memcpy(&u, in + 2 * i, 2);
    if (u == 0) break;
    text.push_back(u);
  }
  return text;
}

void* SwapUtf16Bytes(void* buffer, int byteLength) {
  if (buffer == nullptr) return buffer;
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (int i = 0; i + 1 < byteLength; i += 2) {
    const bool zero = bytes[i] == 0 && bytes[i + 1] == 0;
    std::swap(bytes[i], bytes[i + 1]);
    if (zero) break;
  }
  return buffer;
}

std::string TrimText(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(begin, end - begin));
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

std::string UpperCaseAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool AnsiLike(std::string_view pattern, std::string_view text, bool ignoreAsciiCase) {
  auto fold = [ignoreAsciiCase](char c) {
    return ignoreAsciiCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  // Greedy match that goes back to the last "%" on a mismatch: linear in most texts, at
  // worst pattern length times text length.
  size_t p = 0, t = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      starP = ++p;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == '_' || fold(pattern[p]) == fold(text[t]))) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '%') ++p;
  return p == pattern.size();
}

}  // namespace orvek3
