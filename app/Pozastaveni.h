// Work over the whole record set (a walk, a reopening, an export, an import) suspends
// its views, shows the wait cursor and may come back to the current record; these put
// everything back at the end, also when an error ends the work.
#pragma once

#include <QApplication>

#include "record_set.h"

namespace kalmetra {

// The views of the record set hear nothing until the end of the scope.
class TPozastaveni {
 public:
  explicit TPozastaveni(orvek3::TRecordSet& ds) : ds_(ds) { ds_.DisableControls(); }
  ~TPozastaveni() { ds_.EnableControls(); }
  TPozastaveni(const TPozastaveni&) = delete;
  TPozastaveni& operator=(const TPozastaveni&) = delete;

 private:
  orvek3::TRecordSet& ds_;
};

// The views suspended and the current record remembered; at the end the record is
// current again when it still exists.
class TProchazeni {
 public:
  explicit TProchazeni(orvek3::TRecordSet& ds)
      : ds_(ds), zalozka_(ds.Active() && !ds.IsEmpty() ? ds.GetBookmark() : 0), pozastaveni_(ds) {}
  ~TProchazeni() {
    try {
      if (zalozka_ != 0 && ds_.Active()) ds_.GotoBookmark(zalozka_);
    } catch (...) {
      // The record may be gone; the work's own error, if any, is the one to report.
    }
  }
  TProchazeni(const TProchazeni&) = delete;
  TProchazeni& operator=(const TProchazeni&) = delete;

 private:
  orvek3::TRecordSet& ds_;
  orvek3::TBookmark zalozka_;
  TPozastaveni pozastaveni_;
};

// The wait cursor for the scope.
class TCekani {
 public:
  TCekani() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TCekani() { QApplication::restoreOverrideCursor(); }
  TCekani(const TCekani&) = delete;
  TCekani& operator=(const TCekani&) = delete;
};

}  // namespace kalmetra
