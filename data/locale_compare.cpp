// Locale comparisons of program text outside the collation (locating rows).
#include <unicode/ucol.h>

#include <memory>

#include "sql_text.h"

namespace orvek3 {

int AnsiCompareText(std::string_view a, std::string_view b) {
  return NativeCollateAnsi(nullptr, static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  struct Closer {
    void operator()(UCollator* c) const { ucol_close(c); }
  };
  static std::unique_ptr<UCollator, Closer> collator;
  static std::string locale;
  const std::string wanted = CollationLocaleName();
  if (!collator || locale != wanted) {
    UErrorCode status = U_ZERO_ERROR;
    collator.reset(ucol_open(wanted.c_str(), &status));
    if (U_FAILURE(status)) collator.reset();
    if (collator) ucol_setStrength(collator.get(), UCOL_TERTIARY);
    locale = wanted;
  }
  const std::u16string ua = AnsiToUtf16(a);
  const std::u16string ub = AnsiToUtf16(b);
  if (!collator) return ua < ub ? -1 : (ua == ub ? 0 : 1);
  const UCollationResult r = ucol_strcoll(collator.get(), reinterpret_cast<const UChar*>(ua.data()),
                                          static_cast<int32_t>(ua.size()), reinterpret_cast<const UChar*>(ub.data()),
                                          static_cast<int32_t>(ub.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

}  // namespace orvek3
