#include "text_measure.h"

#include <QTextLayout>

namespace rpt {

uint16_t TextMeasure::FontOf(const ObjDef& o) {
  if (const auto it = objectFont_.find(&o); it != objectFont_.end()) return it->second;
  const uint16_t index = FontIndex(o.font);
  objectFont_.emplace(&o, index);
  return index;
}

uint16_t TextMeasure::FontIndex(const FontDef& f) {
  RunFont rf{f.family, static_cast<float>(f.size), f.bold, f.italic, f.underline};
  // Looked up by a key, not by a scan: a template may have thousands of fonts.
  const QString key = QStringLiteral("%1|%2|%3%4%5")
                          .arg(rf.family)
                          .arg(static_cast<double>(rf.size), 0, 'g', 9)  // every float apart
                          .arg(rf.bold ? u'b' : u'-')
                          .arg(rf.italic ? u'i' : u'-')
                          .arg(rf.underline ? u'u' : u'-');
  if (const auto it = fontIndex_.find(key); it != fontIndex_.end()) return it->second;
  fontIndex_.emplace(key, static_cast<uint16_t>(runFonts_.size()));
  runFonts_.push_back(rf);
  FontCache c;
  c.qfont = LayoutFont(rf);
  c.metrics = std::make_unique<QFontMetricsF>(c.qfont);
  c.advances.fill(-1);
  fonts_.push_back(std::move(c));
  return static_cast<uint16_t>(runFonts_.size() - 1);
}

double TextMeasure::Width(uint16_t font, const QString& text) {
  FontCache& fc = fonts_[font];
  if (const auto it = fc.widths.find(text); it != fc.widths.end()) return it->second;
  const double w = fc.metrics->horizontalAdvance(text);
  if (fc.widths.size() < 20000) fc.widths.emplace(text, w);
  return w;
}

bool TextMeasure::SurelyFits(uint16_t font, const QString& text, double widthUnits) {
  // Letters one at a time, without kerning (the layout fonts take no shaping), give a
  // bound of the run's width that costs no text layout.
  FontCache& fc = fonts_[font];
  double sum = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= fc.advances.size()) return false;
    float& a = fc.advances[u];
    if (a < 0) a = static_cast<float>(fc.metrics->horizontalAdvance(c));
    sum += a;
  }
  // A margin for rounding: a run that close to the edge is measured.
  return sum * 1.001 + 1 < widthUnits;
}

void TextMeasure::Break(const QString& text, uint16_t font, double widthUnits, bool wrap, std::vector<TextLine>& lines) {
  const FontCache& fc = fonts_[font];
  lines.clear();
  const bool plain = !text.contains(u'\n') && !text.contains(u'\r');
  if (plain) {
    // A single line needs no width unless it might wrap, and none when its letters'
    // advances added up surely fit.
    const double w = wrap && !SurelyFits(font, text, widthUnits) ? Width(font, text) : 0;
    if (!wrap || w <= widthUnits) {
      TextLine l;
      l.length = static_cast<int>(text.size());
      l.width = w;
      l.height = fc.metrics->ascent() + fc.metrics->descent();
      l.ascent = fc.metrics->ascent();
      lines.push_back(l);
      return;
    }
  }
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(u'\r', u'\n');
  t.replace(u'\n', QChar::LineSeparator);
  QTextLayout layout(t, fc.qfont);
  QTextOption option;
  option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  double y = 0;
  for (QTextLine tl = layout.createLine(); tl.isValid(); tl = layout.createLine()) {
    tl.setLineWidth(widthUnits);
    TextLine l;
    l.start = tl.textStart();
    l.length = tl.textLength();
    l.width = tl.naturalTextWidth();
    l.y = y;
    l.height = tl.ascent() + tl.descent();
    l.ascent = tl.ascent();
    const int end = l.start + l.length;
    l.lastOfParagraph = end >= t.size() || t[end - 1] == QChar::LineSeparator;
    y += l.height;
    lines.push_back(l);
  }
  layout.endLayout();
}

QFont LayoutFont(const RunFont& font) {
  QFont f(font.family);
  // Ten layout units to the point at 720 dpi, so sizes in tenths of a point stay exact.
  f.setPixelSize(std::max(1, static_cast<int>(font.size * kLayoutDpi / 72.0 + 0.5)));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  f.setHintingPreference(QFont::PreferNoHinting);
  // No ligatures: the PDF's text must read back and be found letter for letter.
  f.setStyleStrategy(QFont::PreferNoShaping);
  return f;
}

}  // namespace rpt
