// Case-ignoring comparison by the user's locale, registered with SQLite as a collation.
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

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

// The collator's order for Windows-1250 text, as tables of its collation elements per
// byte (and per byte pair where the locale contracts two letters, as Czech "ch"), read
// from the collator itself. A comparison then walks the bytes instead of converting and
// calling the collator; a byte the tables cannot express sends the comparison to ICU.
class AnsiTables {
 public:
  static constexpr int kMaxElements = 4;
  // A collation element without its case bits: primary << 16 | secondary << 8.
  struct Elements {
    uint8_t count = 0;
    uint32_t ce[kMaxElements] = {};
  };

  void Build(UCollator* collator) {
    *this = AnsiTables();
    if (collator == nullptr) return;
    for (int b = 0; b < 256; ++b) {
      const char16_t u = detail::kAnsiToUnicode[b];
      byte_[b] = Read(collator, &u, 1, fallback_[b]);
    }
    // Contractions the locale defines over two characters that the code page holds, and
    // characters weighed by the one before them (the root's middle dot after "l"): either
    // way the pair's elements are those of the two together.
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(collator, contractions, nullptr, true, &status);
    if (U_FAILURE(status)) {
      uset_close(contractions);
      return;
    }
    const int32_t items = uset_getItemCount(contractions);
    for (int32_t i = 0; i < items; ++i) {
      UChar32 start = 0, end = 0;
      UChar text[8];
      status = U_ZERO_ERROR;
      const int32_t length = uset_getItem(contractions, i, &start, &end, text, 8, &status);
      if (U_FAILURE(status) || length <= 0) continue;  // a range holds no contraction
      // One with a character the code page lacks (a combining caron after "c") never
      // occurs in its text.
      bool held = true;
      for (int32_t k = 0; k < length && k < 8; ++k) held = held && ByteOf(text[k]) >= 0;
      if (!held || length > 8) continue;
      const int first = ByteOf(text[0]), second = length >= 2 ? ByteOf(text[1]) : -1;
      if (length != 2) {
        fallback_[first] = true;  // longer ones are left to ICU
        continue;
      }
      bool unusable = false;
      const Elements e = Read(collator, reinterpret_cast<const char16_t*>(text), 2, unusable);
      if (unusable) {
        fallback_[first] = true;
        continue;
      }
      startsPair_[first] = true;
      pairs_.push_back({static_cast<uint8_t>(first), static_cast<uint8_t>(second), e});
    }
    uset_close(contractions);
    // A byte of one element with a primary weight, on its own: most letters.
    for (int b = 0; b < 256; ++b)
      if (byte_[b].count == 1 && !startsPair_[b] && !fallback_[b]) simple_[b] = static_cast<uint16_t>(byte_[b].ce[0] >> 16);
    usable_ = true;
  }

  bool Usable() const { return usable_; }

  // -1, 0 or 1; 2 when a byte needs ICU.
  int Compare(const unsigned char* a, int32_t na, const unsigned char* b, int32_t nb) const {
    // An equal start adds the same elements to both sides: it decides nothing, as long as
    // it does not end inside a contraction.
    int32_t same = 0;
    const int32_t n = na < nb ? na : nb;
    while (same < n && a[same] == b[same]) ++same;
    while (same > 0 && (startsPair_[a[same - 1]] || fallback_[a[same - 1]])) --same;
    // The first primary difference decides; while both sides have simple letters their
    // primaries are compared straight from the table.
    int32_t i = same, j = same;
    while (i < na && j < nb) {
      const uint16_t pa = simple_[a[i]], pb = simple_[b[j]];
      if (pa == 0 || pb == 0) break;
      if (pa != pb) return pa < pb ? -1 : 1;
      ++i;
      ++j;
    }
    Stream sa(*this, a + same, a + na), sb(*this, b + same, b + nb);
    for (int level = 0; level < 2; ++level) {
      const int shift = level == 0 ? 16 : 8;
      const uint32_t mask = level == 0 ? 0xFFFFu : 0xFFu;
      // The primaries up to i and j were equal.
      sa.Restart(level == 0 ? a + i : a + same);
      sb.Restart(level == 0 ? b + j : b + same);
      for (;;) {
        uint32_t wa = 0, wb = 0;
        const int ra = sa.NextWeight(shift, mask, wa);
        const int rb = sb.NextWeight(shift, mask, wb);
        if (ra == 2 || rb == 2) return 2;
        if (ra == 0 || rb == 0) {
          if (ra != rb) return ra == 0 ? -1 : 1;  // the shorter first
          break;
        }
        if (wa != wb) return wa < wb ? -1 : 1;
      }
    }
    return 0;
  }

 private:
  struct Pair {
    uint8_t first, second;
    Elements e;
  };

  // The elements of one text; unusable when there are more than the tables hold.
  static Elements Read(UCollator* collator, const char16_t* text, int32_t length, bool& unusable) {
    Elements e;
    unusable = false;
    UErrorCode status = U_ZERO_ERROR;
    UCollationElements* it = ucol_openElements(collator, reinterpret_cast<const UChar*>(text), length, &status);
    if (U_FAILURE(status)) {
      unusable = true;
      return e;
    }
    for (;;) {
      const int32_t ce = ucol_next(it, &status);
      if (U_FAILURE(status) || ce == UCOL_NULLORDER) break;
      const auto v = static_cast<uint32_t>(ce);
      // A continuation (tertiary bits 11) carries the next bytes of a long weight; in
      // order they compare as the long weight does.
      if (e.count == kMaxElements) {
        unusable = true;
        break;
      }
      e.ce[e.count++] = v & 0xFFFFFF00u;
    }
    if (U_FAILURE(status)) unusable = true;
    ucol_closeElements(it);
    return e;
  }

  static int ByteOf(UChar u) {
    for (int b = 0; b < 256; ++b)
      if (detail::kAnsiToUnicode[b] == u) return b;
    return -1;
  }

  const Elements* PairOf(uint8_t first, uint8_t second) const {
    for (const Pair& p : pairs_)
      if (p.first == first && p.second == second) return &p.e;
    return nullptr;
  }

  // The weights of one level in text order, skipping those the level ignores.
  class Stream {
   public:
    Stream(const AnsiTables& t, const unsigned char* begin, const unsigned char* end)
        : t_(t), p_(begin), end_(end) {}
    void Restart(const unsigned char* from) {
      p_ = from;
      e_ = nullptr;
      k_ = 0;
    }
    // 1 with a weight, 0 at the end, 2 for a byte the tables cannot express.
    int NextWeight(int shift, uint32_t mask, uint32_t& weight) {
      for (;;) {
        while (e_ != nullptr && k_ < e_->count) {
          const uint32_t w = (e_->ce[k_++] >> shift) & mask;
          if (w != 0) {
            weight = w;
            return 1;
          }
        }
        if (p_ == end_) return 0;
        const unsigned char c = *p_++;
        if (t_.fallback_[c]) return 2;
        e_ = &t_.byte_[c];
        if (t_.startsPair_[c] && p_ != end_) {
          if (const Elements* pair = t_.PairOf(c, *p_)) {
            e_ = pair;
            ++p_;
          }
        }
        k_ = 0;
      }
    }

   private:
    const AnsiTables& t_;
    const unsigned char* p_;
    const unsigned char* end_;
    const Elements* e_ = nullptr;
    int k_ = 0;
  };

  bool usable_ = false;
  Elements byte_[256];
  bool fallback_[256] = {};
  bool startsPair_[256] = {};
  uint16_t simple_[256] = {};  // the primary of a simple byte, else 0
  std::vector<Pair> pairs_;
};

// The collator is opened once per locale: opening costs far more than a comparison.
struct CollatorCache {
  std::mutex lock;
  std::atomic<bool> ready{false};
  UCollator* collator = nullptr;
  std::string locale;
  AnsiTables tables;

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
    tables.Build(collator);
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
  CollatorCache& cache = Cache();
  cache.EnsureOpen();
  if (cache.tables.Usable()) {
    const int r = cache.tables.Compare(static_cast<const unsigned char*>(text1), n1,
                                       static_cast<const unsigned char*>(text2), n2);
    if (r != 2) return r;
  }
  return NativeCollateAnsiByIcu(n1, text1, n2, text2);
}

int NativeCollateAnsiByIcu(int length1, const void* text1, int length2, const void* text2) {
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
