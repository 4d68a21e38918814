// The engine's boundary: the components a window owns to load a template, prepare it
// over a record set, preview, print, export it to PDF and design it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "interaction.h"
#include "prepare.h"
#include "preview.h"
#include "template.h"

class QPrinter;

namespace orvek3 {
class TRecordSet;
}

namespace rpt {

class TRptDesignerWindow;
class TRptPreview;
class TRptReport;
struct DesignerHost;

// Adapts a record set of the data layer to the engine: the one place where catalogue
// text (Windows-1250) becomes Unicode.
class TRptDataset : public DataSource {
 public:
  QString UserName() const override { return userName_; }
  void SetUserName(const QString& name) { userName_ = name; }
  bool CloseDataSource() const { return closeDataSource_; }
  void SetCloseDataSource(bool v) { closeDataSource_ = v; }
  orvek3::TRecordSet* DataSet() const { return dataSet_; }
  void SetDataSet(orvek3::TRecordSet* dataSet) { dataSet_ = dataSet; }

  QStringList FieldNames() const override;
  void First() override;
  void Next() override;
  bool Eof() const override;
  QString FieldText(int index) const override;
  void SaveBookmark() override;
  void RestoreBookmark() override;
  void Suspend() override;
  void Resume() override;

 private:
  QString userName_ = QStringLiteral("RptDataset1");
  bool closeDataSource_ = false;
  orvek3::TRecordSet* dataSet_ = nullptr;
  uint64_t bookmark_ = 0;
};

class TRptPDFExport {
 public:
  bool ShowProgress = true;
  bool OverwritePrompt = false;
  bool DataOnly = false;
  bool Outline = false;
  bool Background = false;
  int Quality = 95;
  bool Transparency = false;
  bool PdfA = false;
  QString Author, Subject;
  QString Creator = QStringLiteral("Kalmetra");
  // Writes the report's prepared pages; false with the reason shown.
  bool Export(TRptReport& report, const QString& path);
};

class TRptDesigner {
 public:
  QString DefaultFont = QStringLiteral("Arial");
  int DefaultFontSize = 10;
  double DefaultMargins = 10;
  int DefaultPaperSize = 9;
  bool DefaultLandscape = false;
  QString TemplateExt = QStringLiteral("ksr");
  bool RightToLeft = false;
  // Opens the designer on the report's template, modally.
  void Design(TRptReport& report);
  // What the designer gets of the report and of these options; the report must outlive it.
  DesignerHost Host(TRptReport& report) const;
};

struct ReportOptionsData {
  QString Name, Author;
  QStringList Description;
};

class TRptReport {
 public:
  TRptReport();
  ~TRptReport();

  DataSource* DataSet = nullptr;  // normally a TRptDataset
  QString DataSetName = QStringLiteral("RptDataset1");
  QString IniFile;
  double PreviewZoom = 1.0;
  QString PrinterName = QStringLiteral("Předvolená");
  TRptPDFExport* PDFExport = nullptr;
  TRptDesigner* Designer = nullptr;

  ReportOptionsData ReportOptions;
  QString FileName;

  // Loads a template; a missing file is no error when so asked. A broken template is
  // reported (naming the file and the fault) and leaves no template loaded.
  bool LoadFromFile(const QString& path, bool noErrorWhenMissing = true);
  // The same from a template's bytes, as if read from the file at path.
  bool LoadFromBytes(const QByteArray& bytes, const QString& path);
  bool Loaded() const { return loaded_; }
  // The template parses and can be opened in the designer, even when it cannot run
  // (a field the data set lacks), so the user can mend it there.
  bool Designable() const { return designable_; }
  const XmlNode& Template() const { return xml_; }
  const ReportDef& Definition() const { return def_; }
  ReportDef& Definition() { return def_; }

  // Prepares the pages anew over the data set, with progress and the wait cursor;
  // false (reported) on failure or cancel.
  bool PrepareReport();
  const PreparedReport& Prepared() const { return prepared_; }

  // Prepares and shows the preview; returns when it is closed.
  void ShowReport();
  // What a preview of the prepared pages needs of this report. A page setup made in the
  // preview prepares with a copy of the definition: the loaded template stays as it is.
  PreviewHost MakePreviewHost();
  // Prepares and prints through the print dialog.
  bool Print();
  // Prints prepared pages through the print dialog.
  bool PrintPrepared();
  void DesignReport();

  // The text of a fault, with the template's file named.
  QString Fault(const QString& what) const;

 private:
  bool PrepareInto(const ReportDef& def, PreparedReport& out);
  bool PrepareWithPage(const PageDef& page);

  bool loaded_ = false;
  bool designable_ = false;
  XmlNode xml_;
  ReportDef def_;
  PreparedReport prepared_;
};

}  // namespace rpt
