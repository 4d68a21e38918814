// Lays out one band for one row: evaluates its texts, breaks and stretches them, moves
// what lies below a stretched object and yields positioned items relative to the band.
// Part of page preparation.
#pragma once

#include <functional>
#include <unordered_map>
#include <vector>

#include "text_measure.h"

namespace rpt {

// Stands for the page count until it is known.
inline constexpr char16_t kTotalPagesMark = 0xE000;

struct LaidBand {
  double height = 0;
  std::vector<PreparedItem> items;  // relative to the band's top left
};

class BandLayout {
 public:
  using TextOf = std::function<QString(const Expression&)>;
  // Pictures are registered in the prepared report, each object's once.
  BandLayout(TextMeasure& measure, std::vector<QImage>& images) : measure_(measure), images_(images) {}

  // width: the band's width (its column's); row: counts the data rows for alternating fills.
  LaidBand Layout(const BandDef& band, const TextOf& textOf, double width, int row);
  // Cuts a laid band down to its own height: what lies below goes, a frame is shortened.
  static void Clip(LaidBand& lb, double height);
  TextMeasure& Measure() { return measure_; }

 private:
  struct Grown {
    double key;  // bottom edge less the tolerance
    double growth;
    size_t index;
  };

  TextMeasure& measure_;
  std::vector<QImage>& images_;
  std::unordered_map<const ObjDef*, uint32_t> objectImage_;
  // Scratch kept between rows, so a row costs no allocations of its own.
  std::vector<double> growth_, shift_;
  std::vector<std::vector<TextLine>> lines_;
  std::vector<QString> texts_;
  std::vector<char> hidden_;
  std::vector<uint16_t> fontOf_;
  std::vector<Grown> grown_;
  std::vector<std::pair<double, size_t>> best_;  // growth and its object, over a prefix
  std::vector<double> second_;                   // best growth of another object
};

}  // namespace rpt
