// Case-ignoring comparison by the user's locale, registered with SQLite as a collation.
#include <unicode/ucol.h>

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "codepage_internal.h"
#include "sql_text.h"

namespace orvek3 {
namespace {

std::string LocaleFromEnvironment() {
  std::string value;
  for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') {
      value = v;
      break;
    }
  }
  // "en_US.UTF-8" and "de_DE@euro" name the locale before the code set or modifier.
  const size_t cut = value.find_first_of(".@");
  if (cut != std::string::npos) value.resize(cut);
  if (value.empty() || value == "C" || value == "POSIX") return "cs_CZ";
  return value;
}

// The collator is opened once per locale: opening costs far more than a comparison.
struct CollatorCache {
  std::mutex lock;
  std::atomic<bool> ready{false};
  UCollator* collator = nullptr;
  std::string locale;

  ~CollatorCache() {
    if (collator != nullptr) ucol_close(collator);
  }

  void OpenLocked() {
    locale = LocaleFromEnvironment();
    UErrorCode status = U_ZERO_ERROR;
    collator = ucol_open(locale.c_str(), &status);
    if (U_FAILURE(status)) {
      status = U_ZERO_ERROR;
      collator = ucol_open("", &status);  // the root order still ignores case
      if (U_FAILURE(status)) collator = nullptr;
    }
    // Secondary strength: accents count, letter case does not.
    if (collator != nullptr) ucol_setStrength(collator, UCOL_SECONDARY);
    ready.store(true, std::memory_order_release);
  }

  void EnsureOpen() {
    if (ready.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> guard(lock);
    if (!ready.load(std::memory_order_relaxed)) OpenLocked();
  }
};

CollatorCache& Cache() {
  static CollatorCache cache;
  return cache;
}

UCollator* ActiveCollator() {
  CollatorCache& cache = Cache();
  cache.EnsureOpen();
  return cache.collator;
}

int Compare(const char16_t* a, int32_t na, const char16_t* b, int32_t nb) {
  if (UCollator* c = ActiveCollator()) {
    const UCollationResult r = ucol_strcoll(c, a, na, b, nb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
  }
  // Without any collator: plain code unit order.
  const int32_t n = na < nb ? na : nb;
  for (int32_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

// Short texts are converted on the stack; a comparison runs for every pair SQLite sorts.
constexpr int32_t kStackUnits = 256;

class WideBuffer {
 public:
  char16_t* Get(int32_t units) {
    if (units <= kStackUnits) return stack_;
    heap_.resize(static_cast<size_t>(units));
    return heap_.data();
  }

 private:
  char16_t stack_[kStackUnits];
  std::u16string heap_;
};

const char16_t* Widen(const void* text, int32_t length, WideBuffer& buffer) {
  char16_t* out = buffer.Get(length);
  const auto* bytes = static_cast<const unsigned char*>(text);
  for (int32_t i = 0; i < length; ++i) out[i] = detail::kAnsiToUnicode[bytes[i]];
  return out;
}

// UTF-16 text in the given byte order as host code units; never writes to the source,
// which SQLite hands over as const.
const char16_t* HostUnits(const void* text, int32_t units, bool bigEndian, WideBuffer& buffer) {
  const bool hostBig = std::endian::native == std::endian::big;
  const bool aligned = reinterpret_cast<uintptr_t>(text) % alignof(char16_t) == 0;
  if (bigEndian == hostBig && aligned) return static_cast<const char16_t*>(text);
  char16_t* out = buffer.Get(units);
  if (units > 0) std::memcpy(out, text, static_cast<size_t>(units) * sizeof(char16_t));
  if (bigEndian != hostBig)
    for (int32_t i = 0; i < units; ++i) out[i] = static_cast<char16_t>((out[i] >> 8) | (out[i] << 8));
  return out;
}

int CompareUtf16(int length1, const void* text1, int length2, const void* text2, bool bigEndian) {
  const int32_t units1 = length1 > 0 ? length1 / 2 : 0;
  const int32_t units2 = length2 > 0 ? length2 / 2 : 0;
  WideBuffer b1, b2;
  return Compare(HostUnits(text1, units1, bigEndian, b1), units1,
                 HostUnits(text2, units2, bigEndian, b2), units2);
}

}  // namespace

std::string CollationLocaleName() {
  CollatorCache& cache = Cache();
  cache.EnsureOpen();
  std::lock_guard<std::mutex> guard(cache.lock);
  return cache.locale;
}

// Only for the one thread that compares: a collator in use elsewhere would be closed.
void ResetCollationLocale() {
  CollatorCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (cache.collator != nullptr) ucol_close(cache.collator);
  cache.collator = nullptr;
  cache.OpenLocked();
}

int NativeCollateAnsi(void*, int length1, const void* text1, int length2, const void* text2) {
  const int32_t n1 = length1 > 0 ? length1 : 0;
  const int32_t n2 = length2 > 0 ? length2 : 0;
  WideBuffer b1, b2;
  return Compare(Widen(text1, n1, b1), n1, Widen(text2, n2, b2), n2);
}

int NativeCollateUtf16LE(void*, int length1, const void* text1, int length2, const void* text2) {
  return CompareUtf16(length1, text1, length2, text2, false);
}

int NativeCollateUtf16BE(void*, int length1, const void* text1, int length2, const void* text2) {
  return CompareUtf16(length1, text1, length2, text2, true);
}

}  // namespace orvek3
