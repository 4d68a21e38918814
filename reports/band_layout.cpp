#include "band_layout.h"

#include <QColor>

#include <algorithm>

namespace rpt {

LaidBand BandLayout::Layout(const BandDef& band, const TextOf& textOf, double width, int row) {
  LaidBand lb;
  lb.height = band.height;
  lb.items.reserve(band.objects.size() + 2);
  const size_t n = band.objects.size();
  std::vector<double>& growth = growth_;
  std::vector<std::vector<TextLine>>& lines = lines_;
  std::vector<QString>& texts = texts_;
  std::vector<char>& hidden = hidden_;
  std::vector<uint16_t>& fontOf = fontOf_;
  std::vector<double>& shift = shift_;
  growth.assign(n, 0);
  if (lines.size() < n) lines.resize(n);
  for (size_t i = 0; i < n; ++i) lines[i].clear();
  texts.resize(n);
  hidden.assign(n, 0);
  fontOf.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const ObjDef& o = band.objects[i];
    if (o.kind != ObjKind::Text) continue;
    texts[i] = textOf(o.text);
    if (o.hideEmpty && texts[i].trimmed().isEmpty()) {
      hidden[i] = 1;
      continue;
    }
    fontOf[i] = measure_.FontOf(o);
    const bool turned = o.rotation == 90 || o.rotation == 270;
    const double inner = std::max(0.0, (turned ? o.height : o.width) - 2 * kPad) / kMmPerUnit;
    measure_.Break(texts[i], fontOf[i], inner, o.wordWrap, lines[i]);
    if (o.stretch && !turned && !lines[i].empty()) {
      const double need = (lines[i].back().y + lines[i].back().height) * kMmPerUnit;
      growth[i] = std::max(0.0, need - o.height);
    }
  }
  // Objects below a stretched one move down with it, by the most any stretched object
  // above them grew. The grown ones ordered by their bottom edge give that for each object
  // by a binary search, so a band of many objects costs n log n, not n squared.
  shift.assign(n, 0);
  grown_.clear();
  for (size_t i = 0; i < n; ++i)
    if (growth[i] > 0) grown_.push_back({band.objects[i].top + band.objects[i].height - kEps, growth[i], i});
  if (!grown_.empty()) {
    std::sort(grown_.begin(), grown_.end(), [](const Grown& a, const Grown& b) { return a.key < b.key; });
    // Over each prefix: the largest growth, its object, and the largest of any other
    // object (an object never moves for its own growth).
    best_.resize(grown_.size());
    second_.resize(grown_.size());
    std::pair<double, size_t> best{0, n};
    double second = 0;
    for (size_t k = 0; k < grown_.size(); ++k) {
      if (grown_[k].growth > best.first) {
        second = best.first;
        best = {grown_[k].growth, grown_[k].index};
      } else {
        second = std::max(second, grown_[k].growth);
      }
      best_[k] = best;
      second_[k] = second;
    }
    for (size_t j = 0; j < n; ++j) {
      const double top = band.objects[j].top;
      const auto above = std::upper_bound(grown_.begin(), grown_.end(), top,
                                          [](double t, const Grown& g) { return t < g.key; });
      if (above == grown_.begin()) continue;
      const size_t k = static_cast<size_t>(above - grown_.begin()) - 1;
      shift[j] = best_[k].second != j ? best_[k].first : second_[k];
    }
  }

  if (band.type == BandType::MasterData) {
    const QColor fill = (row % 2 == 0) ? band.evenFill : band.oddFill;
    if (fill.isValid()) {
      PreparedItem r;
      r.kind = ItemKind::Rect;
      r.w = static_cast<float>(width);
      r.h = static_cast<float>(band.height);
      r.fill = fill.rgba();
      lb.items.push_back(r);  // height fixed below
    }
  }
  const size_t fillItem = lb.items.size();

  for (size_t i = 0; i < n; ++i) {
    const ObjDef& o = band.objects[i];
    if (hidden[i]) continue;
    const double top = o.top + shift[i];
    const double h = o.height + growth[i];
    lb.height = std::max(lb.height, (band.stretch || growth[i] > 0 || shift[i] > 0) ? top + h : 0.0);
    if (o.kind == ObjKind::Line) {
      PreparedItem it;
      it.kind = ItemKind::Line;
      it.x = static_cast<float>(o.left);
      it.y = static_cast<float>(top);
      it.w = static_cast<float>(o.width);
      it.h = static_cast<float>(o.height);
      it.lineWidth = static_cast<float>(o.lineWidth);
      it.color = o.color.rgba();
      lb.items.push_back(it);
      continue;
    }
    if (o.kind == ObjKind::Image) {
      if (o.image.isNull() || o.width <= 0 || o.height <= 0) continue;
      // Kept aspect ratio, centred in the object's box.
      const double ar = static_cast<double>(o.image.width()) / o.image.height();
      double w = o.width, ih = o.width / ar;
      if (ih > h) { ih = h; w = h * ar; }
      PreparedItem it;
      it.kind = ItemKind::Image;
      it.x = static_cast<float>(o.left + (o.width - w) / 2);
      it.y = static_cast<float>(top + (h - ih) / 2);
      it.w = static_cast<float>(w);
      it.h = static_cast<float>(ih);
      // Each object's picture is kept once, however often it is placed.
      auto [slot, added] = objectImage_.try_emplace(&o, static_cast<uint32_t>(images_.size()));
      if (added) images_.push_back(o.image);
      it.image = slot->second;
      lb.items.push_back(it);
      continue;
    }
    if (o.fill.isValid() || o.frame != 0) {
      PreparedItem it;
      it.kind = ItemKind::Rect;
      it.x = static_cast<float>(o.left);
      it.y = static_cast<float>(top);
      it.w = static_cast<float>(o.width);
      it.h = static_cast<float>(h);
      it.frame = static_cast<uint8_t>(o.frame);
      it.lineWidth = static_cast<float>(o.frameWidth);
      it.color = o.frameColor.rgba();
      it.fill = o.fill.isValid() ? o.fill.rgba() : 0;
      it.radius = static_cast<float>(o.radius);
      lb.items.push_back(it);
    }
    if (o.kind != ObjKind::Text) continue;
    const std::vector<TextLine>& ls = lines[i];
    if (ls.empty()) continue;
    // A turned text runs along the object's height, its lines stacked across the width.
    const int turn = o.rotation == 90 ? 1 : o.rotation == 270 ? 3 : 0;
    const double across = turn ? o.width : h;
    const double textH = (ls.back().y + ls.back().height) * kMmPerUnit;
    double dy = 0;
    if (o.valign == VAlign::Center) dy = (across - textH) / 2;
    else if (o.valign == VAlign::Bottom) dy = across - textH;
    QString t = texts[i];
    if (t.contains(u'\r')) {
      t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      t.replace(u'\r', u'\n');
    }
    const double inner = std::max(0.0, (turn ? o.height : o.width) - 2 * kPad);
    for (size_t k = 0; k < ls.size(); ++k) {
      const TextLine& l = ls[k];
      const double ly = dy + l.y * kMmPerUnit;
      const double lh = l.height * kMmPerUnit;
      // Without stretch, lines past the object's bottom are cut off (the first stays).
      if (k > 0 && ly + lh > across + 0.01) break;
      QString run = t.mid(l.start, l.length);
      while (!run.isEmpty() && (run.back().isSpace() || run.back() == u'\n')) run.chop(1);
      if (run.isEmpty()) continue;
      PreparedItem it;
      it.kind = ItemKind::Text;
      it.font = fontOf[i];
      it.turn = static_cast<uint8_t>(turn);
      if (turn == 0) {
        it.x = static_cast<float>(o.left + kPad);
        it.y = static_cast<float>(top + ly);
        it.w = static_cast<float>(inner);
        it.h = static_cast<float>(lh);
      } else {
        it.x = static_cast<float>(turn == 1 ? o.left + ly : o.left + o.width - ly - lh);
        it.y = static_cast<float>(top + kPad);
        it.w = static_cast<float>(lh);
        it.h = static_cast<float>(inner);
      }
      it.ascent = static_cast<float>(l.ascent * kMmPerUnit);
      it.color = o.color.rgba();
      switch (o.halign) {
        case HAlign::Left: it.frame = 0; break;
        case HAlign::Center:
        case HAlign::Right:
          if (turn == 0 && run.contains(QChar(kTotalPagesMark))) {
            // Aligned in its box once the page count replaces the mark (see FinishPageCounts).
            it.frame = o.halign == HAlign::Center ? 1 : 2;
          } else if (turn == 0) {
            // Placed here, where widths of repeated texts are measured once, not on every
            // painting; the run's box is then the text itself.
            const double tw = measure_.Width(it.font, run) * kMmPerUnit;
            const double offset = o.halign == HAlign::Center ? (inner - tw) / 2 : inner - tw;
            it.x = static_cast<float>(o.left + kPad + offset);
            it.w = static_cast<float>(tw);
            it.frame = 0;
          } else {
            it.frame = o.halign == HAlign::Center ? 1 : 2;
          }
          break;
        case HAlign::Justify: {
          it.frame = 0;
          const auto spaces = run.count(u' ');
          if (!l.lastOfParagraph && spaces > 0)
            it.wordSpacing = static_cast<float>((inner - l.width * kMmPerUnit) / static_cast<double>(spaces));
          break;
        }
      }
      it.text = std::move(run);
      lb.items.push_back(std::move(it));
    }
  }
  if (fillItem > 0) lb.items[0].h = static_cast<float>(lb.height);
  return lb;
}

void BandLayout::Clip(LaidBand& lb, double h) {
  const bool over = lb.height > h + kEps || std::any_of(lb.items.begin(), lb.items.end(), [&](const PreparedItem& it) {
                      return it.y + std::max(0.0f, it.h) > h + kEps;
                    });
  if (!over) return;
  std::erase_if(lb.items, [&](const PreparedItem& it) {
    return it.y >= h - kEps || ((it.kind == ItemKind::Text || it.kind == ItemKind::Image) && it.y + it.h > h + kEps);
  });
  for (PreparedItem& it : lb.items)
    if (it.y + it.h > h) it.h = static_cast<float>(h - it.y);
  lb.height = h;
}

}  // namespace rpt
