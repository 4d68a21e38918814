// Puts laid bands on pages: page and column breaks, the bands every page carries, bands
// split over pages, and the bounds that end preparation of a template no page can hold.
// Part of page preparation.
#pragma once

#include <QString>

#include "band_layout.h"

namespace rpt {

// What the flow asks of the row walk, which owns the rows and the totals.
class PageEvents {
 public:
  virtual ~PageEvents() = default;
  // A page begins (its totals start again).
  virtual void PageBegun() = 0;
  // The title, page header and column header show the page's first row.
  virtual LaidBand LayoutHead(const BandDef& band, double width) = 0;
  // The page footer shows the page's totals and its last row.
  virtual LaidBand LayoutFoot(const BandDef& band, double width) = 0;
  // The data went on to a new page: the open groups' headers that repeat are placed.
  virtual void RepeatHeaders() = 0;
};

struct PageBands {
  const BandDef* title = nullptr;
  const BandDef* pageHeader = nullptr;
  const BandDef* columnHeader = nullptr;
  const BandDef* pageFooter = nullptr;
};

class PageFlow {
 public:
  PageFlow(const PageDef& page, PageBands bands, PreparedReport& out, BandLayout& layout, PageEvents& events,
           const ProgressFn& progress)
      : page_(page), bands_(bands), out_(out), layout_(layout), events_(events), progress_(progress) {}

  // Bounds no real report reaches: a template whose bands cannot fit a page ends with a
  // message instead of adding pages for ever.
  static constexpr int kMaxPagesPerRow = 1000;
  static constexpr int kMaxPages = 200000;

  void StartPage();
  void EndPage();
  // Ends the page and starts the next.
  void NewPage() {
    EndPage();
    StartPage();
  }
  // Places a band laid out by textOf: in the data area (its column) or across the page;
  // landed runs once the band's page is known, before it is laid out again for it.
  void PlaceBand(const BandDef* band, const BandLayout::TextOf& textOf, bool dataArea, int row = 0,
                 const std::function<void()>& landed = {});
  void Place(LaidBand& lb, double x);
  // Room for a band of the data area: next column or next page when needed.
  void Ensure(double height, bool dataArea);
  void NextColumn() {
    columnsBottom_ = std::max(columnsBottom_, y_);
    ++column_;
    y_ = dataTop_;
  }
  // Below every column: where a band across the page goes.
  void LeaveColumns() { y_ = std::max(y_, columnsBottom_); }
  // The next column, or the next page after the last.
  void NextColumnOrPage() {
    if (column_ + 1 < page_.columns) NextColumn();
    else NewPage();
  }

  double ColumnWidth() const;
  double ColumnX() const { return page_.leftMargin + column_ * (ColumnWidth() + page_.columnGap); }
  double FullWidth() const { return page_.width - page_.leftMargin - page_.rightMargin; }
  double Room() const { return bottom_ - y_; }
  // The data area of a page holding only what every page holds.
  double FreshRoom() const;
  bool DataOnPage() const { return dataOnPage_; }
  int Column() const { return column_; }
  // Nothing on the page but what every page holds.
  bool PageEmpty() const { return !dataOnPage_ && y_ <= dataTop_ + kEps; }
  int PageNumber() const { return pageNo_; }
  // A data row starts: the bound of pages per row counts from here.
  void RowStarts() { rowFirstPage_ = pageNo_; }
  void SetPlacing(const BandDef* band) { placing_ = band; }

  void Stop(const QString& why);
  void Cancel() { cancelled_ = true; }
  bool Stopped() const { return cancelled_ || failed_; }
  bool Failed() const { return failed_; }
  bool Cancelled() const { return cancelled_; }
  const QString& Failure() const { return failure_; }

  static QString BandLabel(const BandDef* band);

 private:
  void ColumnHeaderIfDue();
  // A header every page carries, across the page: placed, or the next page for it (the
  // title took the room), or preparation stopped (an empty page cannot hold it).
  enum class Head { Placed, NextPage, Stopped };
  Head PlaceHead(const BandDef& band, const char16_t* between);
  void PlaceSplit(LaidBand& lb, bool dataArea);

  const PageDef& page_;
  const PageBands bands_;
  PreparedReport& out_;
  BandLayout& layout_;
  PageEvents& events_;
  const ProgressFn& progress_;

  int pageNo_ = 0;
  double y_ = 0, bottom_ = 0, dataTop_ = 0;
  int column_ = 0;
  double columnsBottom_ = 0;  // lowest bottom of the columns left on this page
  bool columnHeaderDue_ = true;
  bool dataOnPage_ = false;
  bool titleOnPage_ = false;  // the title (or its last piece) is on this page
  bool cancelled_ = false;
  // Set when preparation cannot go on; the reason is in failure_.
  bool failed_ = false;
  QString failure_;
  const BandDef* placing_ = nullptr;  // the band being placed, for messages
  int rowFirstPage_ = 1;              // the page the current row started on
};

}  // namespace rpt
