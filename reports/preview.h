// The preview window: prepared pages at a zoom, scrolled through continuously one, two
// or many side by side, page navigation, finding text (with or without diacritics) with
// the hits marked, page setup, printing, PDF export and a strip of page thumbnails.
#pragma once

#include <QDialog>
#include <QScrollArea>

#include <functional>
#include <memory>
#include <vector>

#include "preview_view.h"
#include "render.h"
#include "template.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace rpt {

// What the preview needs of the report it shows. The engine fills it in, so the preview
// knows nothing of the engine.
struct PreviewHost {
  // The pages shown; the host keeps them and replaces them only through Prepare.
  const PreparedReport* prepared = nullptr;
  // The page the report was prepared with: where the preview's page setup starts.
  PageDef page;
  QString reportName;
  QString iniFile;  // "Sestavy.ini"; empty keeps no settings
  double zoom = 1.0;
  // Prepares the report again with this page's size and margins, for the preview only.
  // On success *prepared holds the new pages; on failure (reported) it is left as it was.
  std::function<bool(const PageDef& page)> Prepare;
  // Prints, or writes to the PDF file, the pages in *prepared.
  std::function<bool()> Print;
  std::function<bool(const QString& path)> ExportPdf;
};

enum class ZoomMode { Factor, WholePage, PageWidth };

class TRptPreview : public QDialog {
  Q_OBJECT

 public:
  explicit TRptPreview(PreviewHost host, QWidget* parent = nullptr);
  ~TRptPreview() override;

  int PageCount() const;
  int CurrentPage() const { return page_; }  // from 0
  void SetPage(int page);
  ZoomMode Mode() const { return mode_; }
  double Zoom() const { return zoom_; }  // 1.0 = true size
  void SetZoom(ZoomMode mode, double factor = 1.0);
  void ZoomStep(int direction);
  // Finds the next (or previous) hit of the text from the current one; false when the
  // text is nowhere in the report.
  bool Find(const QString& text, bool forward = true);
  const std::vector<TextHit>& Hits() const { return hits_; }
  int CurrentHit() const { return hit_; }
  QString PageFieldText() const;
  // The pages shown and the page setup they were prepared with.
  const PreparedReport& Prepared() const { return *host_.prepared; }
  const PageDef& Page() const { return pageDef_; }
  QString StatusText() const;
  // Page setup from values: the report is prepared again with them.
  bool ApplyPageSetup(double width, double height, double left, double top, double right, double bottom);
  void PageSetup();
  void ExportPdf();
  void Print();
  bool ThumbnailsVisible() const;
  void SetThumbnailsVisible(bool visible);
  QWidget* PageView() const;
  // One page a row, two side by side, or as many as fit the width; always one below
  // another, scrolled through continuously.
  PageColumns Columns() const { return columns_; }
  void SetColumns(PageColumns columns);
  // A page's paper in the page view's coordinates.
  QRect PageRect(int page) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void Refresh();
  void ShowPage();
  void FollowScroll();
  void UpdateZoom();
  void UpdateThumbnails();
  void RebuildThumbnails();
  void SearchAll(const QString& text);
  void LoadSettings();
  void SaveSettings();

  PreviewHost host_;
  PageDef pageDef_;
  std::unique_ptr<Renderer> renderer_;
  int page_ = 0;
  ZoomMode mode_ = ZoomMode::Factor;
  double zoom_ = 1.0;
  std::vector<TextHit> hits_;
  int hit_ = -1;
  QString searched_;
  bool searchedWhole_ = false;
  bool searchedBare_ = false;
  PageColumns columns_ = PageColumns::One;
  bool placing_ = false;  // the view is scrolled to the page, not the page to the view

  QScrollArea* scroll_ = nullptr;
  PreviewPages* view_ = nullptr;
  QLineEdit* pageField_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  QLineEdit* findField_ = nullptr;
  QCheckBox* wholeWords_ = nullptr;
  QCheckBox* bare_ = nullptr;
  QComboBox* columnsBox_ = nullptr;
  QLabel* status_ = nullptr;
  QListWidget* thumbs_ = nullptr;
  QAction* thumbsAction_ = nullptr;
};

}  // namespace rpt
