// Measuring and breaking text at the layout resolution, with the widths of texts that
// repeat (genres, names) remembered. Part of page preparation.
#pragma once

#include <QFontMetricsF>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "prepare.h"

namespace rpt {

inline constexpr double kMmPerUnit = 25.4 / kLayoutDpi;
inline constexpr double kPad = 0.5;  // mm of air on the left and right of a text
inline constexpr double kEps = 1e-6;

// Texts are looked up for every row: the standard library's hash of the UTF-16 units is
// several times cheaper than Qt's here, which pays for mixing vector instruction sets.
struct TextHash {
  size_t operator()(const QString& s) const {
    return std::hash<std::u16string_view>{}(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                                                 static_cast<size_t>(s.size())));
  }
};

// One line of a broken text, in layout units.
struct TextLine {
  int start = 0, length = 0;
  double width = 0;  // natural width
  double y = 0, height = 0, ascent = 0;
  bool lastOfParagraph = true;
};

class TextMeasure {
 public:
  // Fonts are registered in the prepared report, where the painter finds them.
  explicit TextMeasure(std::vector<RunFont>& fonts) : runFonts_(fonts) {}

  uint16_t FontIndex(const FontDef& f);
  // The font of a text object, looked up once.
  uint16_t FontOf(const ObjDef& o);
  // Text width in layout units.
  double Width(uint16_t font, const QString& text);
  void Break(const QString& text, uint16_t font, double widthUnits, bool wrap, std::vector<TextLine>& lines);

 private:
  struct FontCache {
    QFont qfont;
    std::unique_ptr<QFontMetricsF> metrics;
    std::array<float, 0x180> advances;  // letters of the Latin pages; -1 until measured
    std::unordered_map<QString, double, TextHash> widths;
  };
  bool SurelyFits(uint16_t font, const QString& text, double widthUnits);

  std::vector<RunFont>& runFonts_;
  std::vector<FontCache> fonts_;
  std::unordered_map<QString, uint16_t, TextHash> fontIndex_;
  std::unordered_map<const ObjDef*, uint16_t> objectFont_;
};

}  // namespace rpt
