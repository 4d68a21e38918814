// The layout engine: walks a data source and places the template's bands on pages. The
// result is plain data (positioned text runs, lines, rectangles, images in millimetres)
// that one renderer paints for the preview, the printer and the PDF.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "template.h"

namespace rpt {

// What preparation needs of a data set.
class DataSource {
 public:
  virtual ~DataSource() = default;
  virtual QString UserName() const = 0;
  virtual QStringList FieldNames() const = 0;
  virtual void First() = 0;
  virtual void Next() = 0;
  virtual bool Eof() const = 0;
  // Field by its position in FieldNames(); the value as Unicode text.
  virtual QString FieldText(int index) const = 0;
  virtual void SaveBookmark() = 0;
  virtual void RestoreBookmark() = 0;
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
};

// Rows held in memory; for tests and for reports without a database.
class MemorySource : public DataSource {
 public:
  MemorySource(QString userName, QStringList fields) : name_(std::move(userName)), fields_(std::move(fields)) {}
  void AddRow(QStringList values) { rows_.push_back(std::move(values)); }
  QString UserName() const override { return name_; }
  QStringList FieldNames() const override { return fields_; }
  void First() override { pos_ = 0; }
  void Next() override { if (pos_ < rows_.size()) ++pos_; }
  bool Eof() const override { return pos_ >= rows_.size(); }
  QString FieldText(int index) const override { return rows_.at(pos_).value(index); }
  void SaveBookmark() override { saved_ = pos_; }
  void RestoreBookmark() override { pos_ = saved_; }
  void Suspend() override { ++suspended_; }
  void Resume() override { --suspended_; }
  size_t Position() const { return pos_; }
  void SetPosition(size_t p) { pos_ = p; }
  int SuspendDepth() const { return suspended_; }

 private:
  QString name_;
  QStringList fields_;
  std::vector<QStringList> rows_;
  size_t pos_ = 0, saved_ = 0;
  int suspended_ = 0;
};

// Font of a prepared text run.
struct RunFont {
  QString family;
  float size = 10;  // points
  bool bold = false, italic = false, underline = false;
  bool operator==(const RunFont&) const = default;
};

enum class ItemKind : uint8_t { Text, Line, Rect, Image };

struct PreparedItem {
  ItemKind kind = ItemKind::Text;
  // One byte for both, so the wide image index below costs the item no size.
  uint8_t frame : 4 = 0;   // rectangle sides (kFrame...); text: 1 centred, 2 right-aligned in its box
  uint8_t turn : 2 = 0;    // text: quarter turns counter-clockwise (0, 1 = 90°, 3 = 270°)
  uint16_t font = 0;       // text: index into PreparedReport::fonts
  uint32_t image = 0;      // image: index into PreparedReport::images; a long card report places more than 65,536
  float x = 0, y = 0, w = 0, h = 0;  // mm; a text run's box is its line (turned with it)
  float ascent = 0;        // text: baseline below y, mm
  float wordSpacing = 0;   // text: extra space per space character (justify), mm
  float lineWidth = 0;     // line and frame width, mm
  float radius = 0;        // rectangle corners, mm
  QRgb color = 0xff000000; // text, line or frame colour
  QRgb fill = 0;           // rectangle fill; alpha 0 means none
  QString text;
};

struct PreparedPage {
  float width = 210, height = 297;  // mm
  std::vector<PreparedItem> items;
};

struct PreparedReport {
  QString name, author;
  std::vector<RunFont> fonts;
  std::vector<QImage> images;
  std::vector<PreparedPage> pages;
  bool cancelled = false;
  // The page's text in reading order (for finding).
  QString PageText(size_t page) const;
  size_t MemoryBytes() const;
};

// The font of a run at the fixed layout resolution; used by preparation and painting.
inline constexpr double kLayoutDpi = 720.0;
QFont LayoutFont(const RunFont& font);

// Reports a finished page; returning false cancels preparation.
using ProgressFn = std::function<bool(int pagesSoFar)>;

// Every field and data set a template names exists in the source; false with a Czech
// reason naming the object otherwise.
bool CheckFieldReferences(const ReportDef& report, const DataSource& source, QString* error);

// Prepares the report over the source (the one whose user name the template uses); the
// source's current row is put back and its views resumed afterwards, also on failure.
// False with a Czech reason (naming the object) for an unknown field or data set.
bool PrepareReport(const ReportDef& report, DataSource& source, PreparedReport& out, QString* error,
                   const ProgressFn& progress = {});

}  // namespace rpt
