// The report template: the XML document of a .ksr file kept as a tree (so that what this
// program does not know survives a save), and the typed view of it that preparation uses.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "expression.h"

namespace rpt {

// A comment, or text standing among child elements. Kept beside the elements, not among
// them, so that whatever looks for elements (the compiler, the designer) never meets one.
struct XmlExtra {
  enum class Kind {
    Comment,
    Text,           // of an element with child elements; its own text is empty then
    CommentBefore,  // before the root element (the root only)
    CommentAfter,   // after the root element (the root only)
  };
  Kind kind = Kind::Comment;
  QString data;
  size_t before = 0;     // child elements that precede it
  qsizetype offset = 0;  // characters of the element's text that precede it
  bool operator==(const XmlExtra&) const = default;
};

// One element: attributes in file order, character data, child elements, and comments
// and text among them.
struct XmlNode {
  QString name;
  std::vector<std::pair<QString, QString>> attrs;
  QString text;
  std::vector<XmlNode> children;
  std::vector<XmlExtra> extras;  // in file order

  bool Has(const QString& key) const;
  QString Attr(const QString& key, const QString& fallback = QString()) const;
  // Replaces the value in place, or appends the attribute.
  void SetAttr(const QString& key, const QString& value);
};

// Limits of what a template may hold. Templates are exchanged between users, so a file
// must never make the program crash or work without end; real templates stay far below.
inline constexpr int kMaxXmlDepth = 64;           // nested elements (a template has 4)
inline constexpr int kMaxAttributes = 1000;       // per element
inline constexpr int kMaxBandsPerPage = 1000;
inline constexpr int kMaxObjectsPerBand = 10000;
inline constexpr int kMaxObjects = 50000;         // in the whole template
inline constexpr double kMaxLength = 10000;       // mm: positions, sizes, widths, margins
inline constexpr double kMinPageSide = 10, kMaxPageSide = 5000;  // mm

// Reads a template in Windows-1250 or UTF-8 (as declared; UTF-8 when undeclared); false
// with a Czech reason in *error, also for bytes that are no text in that encoding.
bool ReadTemplateXml(const QByteArray& bytes, XmlNode& root, QString* error);
// Writes the tree in the program's own form: Windows-1250, two-space indentation,
// characters the code page lacks as numeric references; comments and text among elements
// where they stood. Reading that output and writing it again gives the same bytes.
// The position of the first character no XML 1.0 file can hold, even as a character
// reference (a C0 control other than TAB, LF and CR, a lone surrogate, U+FFFE, U+FFFF);
// -1 when there is none. The writer leaves such characters out, so input refuses them.
qsizetype ForbiddenXmlChar(const QString& text);
// The Czech reason why a text with such a character cannot be taken; empty when it can.
QString ForbiddenXmlCharReason(const QString& text);
QByteArray WriteTemplateXml(const XmlNode& root);

enum class BandType { ReportTitle, PageHeader, ColumnHeader, GroupHeader, MasterData, GroupFooter, PageFooter, ReportSummary };
enum class ObjKind { Text, Line, Rectangle, Image };
enum class HAlign { Left, Center, Right, Justify };
enum class VAlign { Top, Center, Bottom };

struct FontDef {
  QString family = QStringLiteral("Arial");
  double size = 10;
  bool bold = false, italic = false, underline = false;
};

// Frame sides.
enum : unsigned { kFrameLeft = 1, kFrameTop = 2, kFrameRight = 4, kFrameBottom = 8 };

struct ObjDef {
  ObjKind kind = ObjKind::Text;
  QString name;
  double left = 0, top = 0, width = 0, height = 0;
  // Text
  Expression text;
  FontDef font;
  QColor color = Qt::black;
  HAlign halign = HAlign::Left;
  VAlign valign = VAlign::Top;
  bool wordWrap = false, stretch = false, hideEmpty = false;
  int rotation = 0;
  // Frame and fill (text and rectangle)
  unsigned frame = 0;
  double frameWidth = 0.2;
  QColor frameColor = Qt::black;
  QColor fill;  // invalid: none
  double radius = 0;
  // Line
  double lineWidth = 0.2;
  // Image
  QImage image;
};

struct BandDef {
  BandType type = BandType::MasterData;
  QString name;
  double height = 0;
  bool stretch = false, keepTogether = false;
  bool startNewPage = false, repeatHeader = false;  // group header
  bool sortRows = false;  // group header: the group's rows are brought together
  Expression condition;                              // group header
  QColor evenFill, oddFill;                          // data band
  std::vector<ObjDef> objects;
};

struct PageDef {
  int paperSize = 9;
  double width = 210, height = 297;
  bool landscape = false;
  double leftMargin = 10, topMargin = 10, rightMargin = 10, bottomMargin = 10;
  int columns = 1;
  double columnGap = 0;
  std::vector<BandDef> bands;
};

struct ReportDef {
  QString name, author;
  QStringList description;
  std::vector<PageDef> pages;
};

// The typed view of a read tree; false with a Czech reason naming the element when a
// band or an object is of an unknown kind or a value cannot be read.
bool CompileTemplate(const XmlNode& root, ReportDef& report, QString* error);

// The page's size and margins leave room for content; false with a Czech reason.
bool CheckPageGeometry(double width, double height, double left, double top, double right, double bottom,
                       QString* error);

// A new report: one A4 portrait page with 10 mm margins.
XmlNode NewTemplate();

QString BandTypeName(BandType type);

}  // namespace rpt
