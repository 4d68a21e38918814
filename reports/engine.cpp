#include "engine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "designer.h"
#include "preview.h"
#include "record_set.h"
#include "render.h"
#include "sql_text.h"

namespace rpt {

namespace {

QString Unicode(const std::string& ansi) { return QString::fromStdU16String(orvek3::AnsiToUtf16(ansi)); }

// Wait cursor and, past a second, a progress window that Esc cancels.
class Progress {
 public:
  explicit Progress(const QString& title) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    dialog_.setWindowTitle(title);
    dialog_.setLabelText(QStringLiteral("Připraveno stran: 0"));
    dialog_.setCancelButtonText(QStringLiteral("Přerušit"));
    dialog_.setRange(0, 0);
    dialog_.setMinimumDuration(1000);
    dialog_.setWindowModality(Qt::ApplicationModal);
    timer_.start();
  }
  ~Progress() { QApplication::restoreOverrideCursor(); }
  bool Step(int pages, const QString& label) {
    if (timer_.elapsed() >= 1000) {
      if (!dialog_.isVisible()) dialog_.show();
      dialog_.setLabelText(label.arg(pages));
      QApplication::processEvents();
    }
    return !dialog_.wasCanceled();
  }

 private:
  QProgressDialog dialog_;
  QElapsedTimer timer_;
};

bool SameGeometry(const PageDef& a, const PageDef& b) {
  return a.width == b.width && a.height == b.height && a.leftMargin == b.leftMargin && a.topMargin == b.topMargin &&
         a.rightMargin == b.rightMargin && a.bottomMargin == b.bottomMargin;
}

}  // namespace

// ---------------------------------------------------------------------------------------

QStringList TRptDataset::FieldNames() const {
  QStringList names;
  if (!dataSet_) return names;
  for (int i = 0; i < dataSet_->FieldCount(); ++i) names << Unicode(dataSet_->Field(i).FieldName());
  return names;
}

void TRptDataset::First() {
  if (dataSet_ && dataSet_->Active()) dataSet_->First();
}

void TRptDataset::Next() {
  if (dataSet_) dataSet_->Next();
}

bool TRptDataset::Eof() const { return !dataSet_ || !dataSet_->Active() || dataSet_->IsEmpty() || dataSet_->Eof(); }

QString TRptDataset::FieldText(int index) const {
  const std::string ansi = dataSet_->Field(index).AsString();
  QString text(static_cast<qsizetype>(ansi.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : ansi) *out++ = QChar(orvek3::AnsiCharToUnicode(static_cast<unsigned char>(c)));
  return text;
}

void TRptDataset::SaveBookmark() { bookmark_ = dataSet_ && dataSet_->Active() ? dataSet_->GetBookmark() : 0; }

void TRptDataset::RestoreBookmark() {
  if (dataSet_ && dataSet_->BookmarkValid(bookmark_)) dataSet_->GotoBookmark(bookmark_);
}

void TRptDataset::Suspend() {
  if (dataSet_) dataSet_->DisableControls();
}

void TRptDataset::Resume() {
  if (dataSet_) dataSet_->EnableControls();
}

// ---------------------------------------------------------------------------------------

bool TRptPDFExport::Export(TRptReport& report, const QString& path) {
  PdfInfo info;
  info.title = report.ReportOptions.Name;
  info.author = Author.isEmpty() ? report.ReportOptions.Author : Author;
  info.creator = Creator;
  QString error;
  bool ok;
  if (ShowProgress) {
    Progress progress(QStringLiteral("Export do PDF"));
    ok = ExportPdf(report.Prepared(), path, info, &error,
                   [&](int page) { return progress.Step(page, QStringLiteral("Zapsáno stran: %1")); });
  } else {
    ok = ExportPdf(report.Prepared(), path, info, &error);
  }
  if (!ok) Interaction().ShowError(QStringLiteral("Soubor „%1“ se nepodařilo zapsat: %2.").arg(path, error));
  return ok;
}

DesignerHost TRptDesigner::Host(TRptReport& report) const {
  DesignerHost host;
  host.DataSet = report.DataSet;
  host.IniFile = report.IniFile;
  if (report.Designable()) host.Template = report.Template();
  host.FileName = report.FileName;
  host.DefaultFont = DefaultFont;
  host.DefaultFontSize = DefaultFontSize;
  host.DefaultMargins = DefaultMargins;
  host.DefaultPaperSize = DefaultPaperSize;
  host.DefaultLandscape = DefaultLandscape;
  // A report of its own, so the designer's unsaved template never replaces the loaded one.
  host.PreviewTemplate = [&report](const QByteArray& bytes, const QString& path) {
    TRptReport temp;
    temp.DataSet = report.DataSet;
    temp.DataSetName = report.DataSetName;
    temp.IniFile = report.IniFile;
    temp.PDFExport = report.PDFExport;
    if (temp.LoadFromBytes(bytes, path)) temp.ShowReport();
  };
  return host;
}

void TRptDesigner::Design(TRptReport& report) {
  TRptDesignerWindow window(Host(report), QApplication::activeWindow());
  Interaction().RunDesigner(window);
  // The list's loaded template follows what was saved over it.
  if (window.SavedOver()) report.LoadFromFile(report.FileName);
}

// ---------------------------------------------------------------------------------------

TRptReport::TRptReport() = default;
TRptReport::~TRptReport() = default;

QString TRptReport::Fault(const QString& what) const {
  return QStringLiteral("Sestavu „%1“ nelze použít: %2.").arg(QFileInfo(FileName).fileName(), what);
}

bool TRptReport::LoadFromFile(const QString& path, bool noErrorWhenMissing) {
  loaded_ = false;
  designable_ = false;
  xml_ = XmlNode{};
  ReportOptions = ReportOptionsData{};
  prepared_ = PreparedReport{};
  FileName = path;
  QFile file(path);
  if (!file.exists()) {
    if (!noErrorWhenMissing) Interaction().ShowError(Fault(QStringLiteral("soubor neexistuje")));
    return false;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    Interaction().ShowError(Fault(QStringLiteral("soubor nelze otevřít (%1)").arg(file.errorString())));
    return false;
  }
  return LoadFromBytes(file.readAll(), path);
}

bool TRptReport::LoadFromBytes(const QByteArray& bytes, const QString& path) {
  loaded_ = false;
  designable_ = false;
  xml_ = XmlNode{};
  ReportOptions = ReportOptionsData{};
  prepared_ = PreparedReport{};
  FileName = path;
  XmlNode root;
  ReportDef def;
  QString error;
  // Fields are checked now when the data set already has them, so a wrong name shows
  // when the template is chosen, not only when it is run.
  const bool fieldsKnown = DataSet && !DataSet->FieldNames().isEmpty();
  if (!ReadTemplateXml(bytes, root, &error) || !CompileTemplate(root, def, &error)) {
    Interaction().ShowError(Fault(error));
    return false;
  }
  xml_ = std::move(root);
  designable_ = true;
  ReportOptions.Name = def.name;
  ReportOptions.Author = def.author;
  ReportOptions.Description = def.description;
  if (fieldsKnown && !CheckFieldReferences(def, *DataSet, &error)) {
    Interaction().ShowError(Fault(error));
    return false;
  }
  def_ = std::move(def);
  loaded_ = true;
  return true;
}

bool TRptReport::PrepareReport() {
  prepared_ = PreparedReport{};
  return PrepareInto(def_, prepared_);
}

bool TRptReport::PrepareInto(const ReportDef& def, PreparedReport& out) {
  if (!loaded_) {
    Interaction().ShowError(QStringLiteral("Není načtena žádná sestava."));
    return false;
  }
  if (!DataSet) {
    Interaction().ShowError(Fault(QStringLiteral("sestava nemá zdroj dat")));
    return false;
  }
  QString error;
  bool ok;
  {
    Progress progress(QStringLiteral("Příprava sestavy"));
    try {
      ok = rpt::PrepareReport(def, *DataSet, out, &error,
                              [&](int pages) { return progress.Step(pages, QStringLiteral("Připraveno stran: %1")); });
    } catch (const std::exception& e) {  // the data could not be read (a damaged catalogue)
      ok = false;
      error = QStringLiteral("data nelze přečíst: ") + Unicode(e.what());
    }
  }
  if (!ok) {
    Interaction().ShowError(Fault(error));
    out = PreparedReport{};
    return false;
  }
  if (out.cancelled) {
    out = PreparedReport{};
    return false;
  }
  return true;
}

bool TRptReport::PrepareWithPage(const PageDef& page) {
  if (def_.pages.empty()) return false;
  ReportDef def = def_;
  PageDef& pg = def.pages.front();
  pg.width = page.width;
  pg.height = page.height;
  pg.landscape = page.landscape;
  pg.leftMargin = page.leftMargin;
  pg.topMargin = page.topMargin;
  pg.rightMargin = page.rightMargin;
  pg.bottomMargin = page.bottomMargin;
  // The preview's pages and its find hits belong together: the new pages are made
  // aside and take the old ones' place only when complete, so whatever the preview
  // paints or finds meanwhile (events run during preparation) reads the pages it knows.
  PreparedReport fresh;
  if (!PrepareInto(def, fresh)) return false;
  prepared_ = std::move(fresh);
  return true;
}

PreviewHost TRptReport::MakePreviewHost() {
  PreviewHost host;
  host.prepared = &prepared_;
  if (!def_.pages.empty()) {
    host.page = def_.pages.front();
    host.page.bands.clear();  // the preview changes only size and margins
  }
  host.reportName = ReportOptions.Name;
  host.iniFile = IniFile;
  host.zoom = PreviewZoom;
  host.Prepare = [this](const PageDef& page) { return PrepareWithPage(page); };
  host.Print = [this] { return PrintPrepared(); };
  host.ExportPdf = [this](const QString& path) {
    TRptPDFExport fallback;
    return (PDFExport ? PDFExport : &fallback)->Export(*this, path);
  };
  return host;
}

void TRptReport::ShowReport() {
  if (!PrepareReport()) return;
  {
    TRptPreview preview(MakePreviewHost(), QApplication::activeWindow());
    Interaction().RunPreview(preview);
    // Pages of the preview's own page setup end with it; a print from the list
    // prepares again from the template.
    if (!def_.pages.empty() && !SameGeometry(preview.Page(), def_.pages.front())) prepared_ = PreparedReport{};
  }
}

bool TRptReport::Print() { return PrepareReport() && PrintPrepared(); }

bool TRptReport::PrintPrepared() {
  if (prepared_.pages.empty()) return false;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(ReportOptions.Name);
  printer.setCreator(QStringLiteral("Kalmetra"));
  const PreparedPage& first = prepared_.pages.front();
  const bool landscape = first.width > first.height;
  const QSizeF size = landscape ? QSizeF(first.height, first.width) : QSizeF(first.width, first.height);
  printer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Millimeter),
                                    landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
  if (!Interaction().ChoosePrinter(printer, static_cast<int>(prepared_.pages.size()))) return false;
  QString error;
  bool ok;
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ok = PrintReport(prepared_, printer, &error);
    QApplication::restoreOverrideCursor();
  }
  if (!ok) Interaction().ShowError(QStringLiteral("Tisk se nezdařil: %1.").arg(error));
  return ok;
}

void TRptReport::DesignReport() {
  TRptDesigner fallback;
  (Designer ? Designer : &fallback)->Design(*this);
}

}  // namespace rpt
