#include "page_flow.h"

namespace rpt {

double PageFlow::ColumnWidth() const {
  const int c = std::max(1, page_.columns);
  return (FullWidth() - (c - 1) * page_.columnGap) / c;
}

void PageFlow::Place(LaidBand& lb, double x) {
  auto& items = out_.pages.back().items;
  for (PreparedItem& it : lb.items) {
    it.x += static_cast<float>(x);
    it.y += static_cast<float>(y_);
    items.push_back(std::move(it));
  }
  y_ += lb.height;
}

void PageFlow::StartPage() {
  PreparedPage p;
  p.width = static_cast<float>(page_.width);
  p.height = static_cast<float>(page_.height);
  // Pages of one report hold about as many items each.
  if (!out_.pages.empty()) p.items.reserve(out_.pages.back().items.size() + 16);
  out_.pages.push_back(std::move(p));
  ++pageNo_;
  if (static_cast<int>(out_.pages.size()) > kMaxPages)
    Stop(QStringLiteral("sestava by měla více než %1 stran").arg(kMaxPages));
  else if (pageNo_ - rowFirstPage_ > kMaxPagesPerRow)
    Stop(QStringLiteral("pás %1 by zabral více než %2 stran; zkontrolujte jeho výšku a výšku jeho objektů")
             .arg(BandLabel(placing_))
             .arg(kMaxPagesPerRow));
  events_.PageBegun();
  y_ = page_.topMargin;
  column_ = 0;
  columnsBottom_ = 0;
  bottom_ = page_.height - page_.bottomMargin - (bands_.pageFooter ? bands_.pageFooter->height : 0);
  columnHeaderDue_ = true;
  dataOnPage_ = false;
  titleOnPage_ = false;
  if (pageNo_ == 1 && bands_.title) {
    titleOnPage_ = true;
    LaidBand lb = events_.LayoutHead(*bands_.title, FullWidth());
    if (y_ + lb.height > bottom_ + kEps) {
      // A title longer than the page goes on over the next ones, below their headers.
      placing_ = bands_.title;
      dataTop_ = y_;
      PlaceSplit(lb, false);
      dataTop_ = y_;
      titleOnPage_ = true;
      return;
    }
    Place(lb, page_.leftMargin);
  }
  if (bands_.pageHeader) {
    const Head placed = PlaceHead(*bands_.pageHeader, u"mezi okraji a zápatím");
    if (placed == Head::NextPage) NewPage();  // the data starts on the next page
    if (placed != Head::Placed) return;
  }
  dataTop_ = y_;
}

PageFlow::Head PageFlow::PlaceHead(const BandDef& band, const char16_t* between) {
  LaidBand lb = events_.LayoutHead(band, FullWidth());
  if (y_ + lb.height <= bottom_ + kEps) {
    Place(lb, page_.leftMargin);
    return Head::Placed;
  }
  // Below the title there may be no room left; on a page without it there never is.
  if (titleOnPage_) return Head::NextPage;
  Stop(QStringLiteral("pás %1 je vyšší (%2 mm) než místo na stránce %3 (%4 mm)")
           .arg(BandLabel(&band), FormatNumber(lb.height), QString::fromUtf16(between), FormatNumber(bottom_ - y_)));
  return Head::Stopped;
}

void PageFlow::Stop(const QString& why) {
  if (!failed_) failure_ = why;
  failed_ = true;
}

QString PageFlow::BandLabel(const BandDef* band) {
  if (!band) return QString();
  return band->name.isEmpty() ? BandTypeName(band->type) : band->name;
}

void PageFlow::EndPage() {
  if (bands_.pageFooter) {
    LaidBand lb = events_.LayoutFoot(*bands_.pageFooter, FullWidth());
    // The page kept the footer's own height free: what would grow past it is cut off, so
    // the footer never covers the data nor runs into the margin.
    BandLayout::Clip(lb, bands_.pageFooter->height);
    y_ = page_.height - page_.bottomMargin - lb.height;
    Place(lb, page_.leftMargin);
  }
  // A long report keeps thousands of pages: no spare capacity.
  out_.pages.back().items.shrink_to_fit();
  if (progress_ && !progress_(pageNo_)) cancelled_ = true;
}

void PageFlow::ColumnHeaderIfDue() {
  if (!columnHeaderDue_) return;
  columnHeaderDue_ = false;
  if (bands_.columnHeader) {
    const Head placed = PlaceHead(*bands_.columnHeader, u"mezi záhlavím a zápatím");
    if (placed == Head::NextPage) {
      NewPage();  // the columns start on the next page
      ColumnHeaderIfDue();
    }
    if (placed != Head::Placed) return;
  }
  dataTop_ = y_;
}

void PageFlow::Ensure(double height, bool dataArea) {
  if (dataArea) ColumnHeaderIfDue();
  if (y_ + height <= bottom_ + kEps) return;
  if (dataArea && column_ + 1 < page_.columns) {
    NextColumn();
    return;
  }
  // A band taller than a whole empty page is split where it stands.
  if (!dataOnPage_ && y_ <= dataTop_ + kEps) return;
  EndPage();
  StartPage();
  if (!dataArea) return;
  ColumnHeaderIfDue();
  events_.RepeatHeaders();
}

void PageFlow::PlaceBand(const BandDef* band, const BandLayout::TextOf& textOf, bool dataArea, int row,
                         const std::function<void()>& landed) {
  if (!band || Stopped()) return;
  placing_ = band;
  const double width = dataArea ? ColumnWidth() : FullWidth();
  LaidBand lb = layout_.Layout(*band, textOf, width, row);
  const int pageBefore = pageNo_;
  const int columnBefore = column_;
  Ensure(lb.height, dataArea);
  if (landed) landed();
  // Page numbers and repeated headers may change what the band shows.
  if (pageNo_ != pageBefore || column_ != columnBefore) lb = layout_.Layout(*band, textOf, width, row);
  if (y_ + lb.height > bottom_ + kEps) PlaceSplit(lb, dataArea);
  else Place(lb, dataArea ? ColumnX() : page_.leftMargin);
  if (dataArea) dataOnPage_ = true;
}

void PageFlow::PlaceSplit(LaidBand& lb, bool dataArea) {
  // A band taller than the room left on an empty page goes on over the following pages:
  // what fits stays, text lines and objects below the break move on, a frame or fill
  // crossing the break is cut in two.
  std::vector<PreparedItem> pending = std::move(lb.items);
  double offset = 0;  // band coordinate at the top of the current piece
  bool fresh = !dataOnPage_ && y_ <= dataTop_ + kEps;  // nothing above the piece but headers
  for (;;) {
    if (Stopped()) return;
    const double room = std::max(0.0, bottom_ - y_);
    if (fresh && room <= kEps) {
      if (pageNo_ == 1 && bands_.title) {
        // The title took the first page; the next has no title.
        EndPage();
        StartPage();
        if (dataArea) ColumnHeaderIfDue();
        continue;
      }
      Stop(QStringLiteral("pás %1 se nevejde ani na prázdnou stránku: záhlaví a zápatí stránky na ní nenechávají "
                          "žádné místo")
               .arg(BandLabel(placing_)));
      return;
    }
    const double x = dataArea ? ColumnX() : page_.leftMargin;
    std::vector<PreparedItem> rest;
    auto& items = out_.pages.back().items;
    for (PreparedItem& it : pending) {
      const double top = it.y - offset;
      const double h = it.kind == ItemKind::Line ? std::max(0.0f, it.h) : it.h;
      const bool fits = top + h <= room + kEps || (top <= kEps && h > room);
      // A frame or fill crossing the break is cut: its tail goes on the next page.
      const bool cut = it.kind == ItemKind::Rect && top + h > room + kEps && (fits || top < room);
      if (fits || cut) {
        if (cut) {
          PreparedItem tail = it;
          tail.y = static_cast<float>(offset + room);
          tail.h = static_cast<float>(top + h - room);
          rest.push_back(tail);
          it.h = static_cast<float>(room - top);
        }
        it.x += static_cast<float>(x);
        it.y = static_cast<float>(y_ + top);
        items.push_back(std::move(it));
      } else {
        rest.push_back(std::move(it));
      }
    }
    if (rest.empty() || Stopped()) {
      y_ += std::max(0.0, lb.height - offset);
      return;
    }
    // The next piece starts at the highest item left.
    double next = rest.front().y;
    for (const PreparedItem& it : rest) next = std::min(next, static_cast<double>(it.y));
    offset = next;
    if (dataArea && column_ + 1 < page_.columns) {
      NextColumn();
    } else {
      EndPage();
      StartPage();
      if (dataArea) ColumnHeaderIfDue();
    }
    fresh = true;
    pending = std::move(rest);
  }
}

double PageFlow::FreshRoom() const {
  return bottom_ - page_.topMargin - (bands_.pageHeader ? bands_.pageHeader->height : 0) -
         (bands_.columnHeader ? bands_.columnHeader->height : 0);
}

}  // namespace rpt
