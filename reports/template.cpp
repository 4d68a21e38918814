#include "template.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <array>

#include "sql_text.h"

namespace rpt {

bool XmlNode::Has(const QString& key) const {
  for (const auto& a : attrs)
    if (a.first == key) return true;
  return false;
}

QString XmlNode::Attr(const QString& key, const QString& fallback) const {
  for (const auto& a : attrs)
    if (a.first == key) return a.second;
  return fallback;
}

void XmlNode::SetAttr(const QString& key, const QString& value) {
  for (auto& a : attrs) {
    if (a.first == key) {
      a.second = value;
      return;
    }
  }
  attrs.emplace_back(key, value);
}

namespace {

QString DecodeAnsi(const QByteArray& bytes) {
  const std::u16string u = orvek3::AnsiToUtf16(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  return QString::fromStdU16String(u);
}

// Unicode -> Windows-1250 byte, 0 for a character the code page lacks.
const std::array<unsigned char, 65536>& ReverseTable() {
  static const auto table = [] {
    auto* t = new std::array<unsigned char, 65536>{};
    for (int b = 1; b < 256; ++b) (*t)[orvek3::AnsiCharToUnicode(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
    return t;
  }();
  return *table;
}

void AppendEscaped(QByteArray& out, const QString& text, bool attribute) {
  const auto& rev = ReverseTable();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    switch (c) {
      case u'&': out += "&amp;"; continue;
      case u'<': out += "&lt;"; continue;
      case u'>': out += "&gt;"; continue;
      case u'\r': out += "&#13;"; continue;
      case u'"':
        if (attribute) { out += "&quot;"; continue; }
        break;
      case u'\n':
        if (attribute) { out += "&#10;"; continue; }
        break;
      case u'\t':
        if (attribute) { out += "&#9;"; continue; }
        break;
      default: break;
    }
    const unsigned char b = rev[c];
    if (b != 0) {
      out += static_cast<char>(b);
      continue;
    }
    char32_t code = c;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
      ++i;
    }
    out += "&#" + QByteArray::number(static_cast<unsigned>(code)) + ';';
  }
}

// A name stands in the file as it is, since no character reference can stand for a part
// of it: a name with a character the code page lacks (or a NUL) cannot be written back.
bool WritableName(const QString& name) {
  const auto& rev = ReverseTable();
  for (const QChar c : name)
    if (rev[c.unicode()] == 0) return false;
  return true;
}

// The first name of the element or of its attributes that cannot be written back; empty
// when there is none.
QString UnwritableName(const XmlNode& node) {
  if (!WritableName(node.name)) return node.name;
  for (const auto& attr : node.attrs)
    if (!WritableName(attr.first)) return attr.first;
  return {};
}

void WriteNode(QByteArray& out, const XmlNode& node, int depth) {
  out += QByteArray(depth * 2, ' ');
  out += '<';
  AppendEscaped(out, node.name, true);
  for (const auto& [k, v] : node.attrs) {
    out += ' ';
    AppendEscaped(out, k, true);
    out += "=\"";
    AppendEscaped(out, v, true);
    out += '"';
  }
  if (node.children.empty()) {
    if (node.text.isEmpty()) {
      out += "/>\n";
    } else {
      out += '>';
      AppendEscaped(out, node.text, false);
      out += "</";
      AppendEscaped(out, node.name, true);
      out += ">\n";
    }
    return;
  }
  out += ">\n";
  for (const XmlNode& child : node.children) WriteNode(out, child, depth + 1);
  out += QByteArray(depth * 2, ' ');
  out += "</";
  AppendEscaped(out, node.name, true);
  out += ">\n";
}

}  // namespace

bool ReadTemplateXml(const QByteArray& bytes, XmlNode& root, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  // The declaration names the encoding; the program's own files are Windows-1250.
  QByteArray body = bytes;
  if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
  static const QRegularExpression decl(QStringLiteral(R"re(^\s*<\?xml[^>]*encoding\s*=\s*["']([^"']+)["'])re"));
  const auto m = decl.match(QString::fromLatin1(body.left(200)));
  const QString encoding = m.hasMatch() ? m.captured(1).toLower() : QStringLiteral("utf-8");
  QString text;
  if (encoding == QLatin1String("windows-1250") || encoding == QLatin1String("cp1250")) {
    text = DecodeAnsi(body);
  } else if (encoding == QLatin1String("utf-8") || encoding == QLatin1String("utf8")) {
    text = QString::fromUtf8(body);
  } else {
    return fail(QStringLiteral("nepodporované kódování „%1“").arg(m.captured(1)));
  }

  QXmlStreamReader xml(text);
  std::vector<XmlNode*> stack;
  bool haveRoot = false;
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement: {
        XmlNode node;
        node.name = xml.name().toString();
        for (const QXmlStreamAttribute& a : xml.attributes())
          node.attrs.emplace_back(a.qualifiedName().toString(), a.value().toString());
        // Refused here, or the template would be saved as a file that no longer reads.
        if (const QString name = UnwritableName(node); !name.isEmpty())
          return fail(QStringLiteral("název „%1“ na řádku %2 obsahuje znak, který nelze uložit v kódování Windows-1250")
                          .arg(name)
                          .arg(xml.lineNumber()));
        if (stack.empty()) {
          if (haveRoot) return fail(QStringLiteral("více kořenových prvků"));
          root = std::move(node);
          haveRoot = true;
          stack.push_back(&root);
        } else {
          stack.back()->children.push_back(std::move(node));
          stack.push_back(&stack.back()->children.back());
        }
        break;
      }
      case QXmlStreamReader::EndElement:
        // Indentation between child elements is not content.
        if (!stack.back()->children.empty()) stack.back()->text.clear();
        stack.pop_back();
        break;
      case QXmlStreamReader::Characters:
        if (!stack.empty()) stack.back()->text += xml.text();
        break;
      default:
        break;
    }
  }
  if (xml.hasError()) {
    return fail(QStringLiteral("chyba XML na řádku %1, sloupci %2: %3")
                    .arg(xml.lineNumber())
                    .arg(xml.columnNumber())
                    .arg(xml.errorString()));
  }
  if (!haveRoot) return fail(QStringLiteral("soubor neobsahuje žádný prvek"));
  return true;
}

QByteArray WriteTemplateXml(const XmlNode& root) {
  QByteArray out = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n";
  WriteNode(out, root, 0);
  return out;
}

// ---------------------------------------------------------------------------------------
// The typed view.

namespace {

struct Reader {
  QString* error;
  QString where;  // names the element in messages
  bool ok = true;

  void Fail(const QString& why) {
    if (ok && error) *error = where.isEmpty() ? why : QStringLiteral("%1: %2").arg(where, why);
    ok = false;
  }
  double Num(const XmlNode& n, const char* key, double fallback) {
    const QString v = n.Attr(QLatin1String(key));
    if (v.isEmpty()) return fallback;
    bool good = false;
    const double d = v.trimmed().toDouble(&good);
    if (!good) Fail(QStringLiteral("neplatné číslo %1=\"%2\"").arg(QLatin1String(key), v));
    return good ? d : fallback;
  }
  bool Flag(const XmlNode& n, const char* key) {
    const QString v = n.Attr(QLatin1String(key));
    return v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
  }
  QColor Color(const XmlNode& n, const char* key, QColor fallback) {
    const QString v = n.Attr(QLatin1String(key));
    if (v.isEmpty()) return fallback;
    static const QRegularExpression re(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!re.match(v).hasMatch()) {
      Fail(QStringLiteral("neplatná barva %1=\"%2\"").arg(QLatin1String(key), v));
      return fallback;
    }
    return QColor(v);
  }
};

unsigned ReadFrame(const QString& v) {
  unsigned f = 0;
  for (const QString& part : v.split(u',', Qt::SkipEmptyParts)) {
    const QString p = part.trimmed();
    if (p == QLatin1String("All")) f |= kFrameLeft | kFrameTop | kFrameRight | kFrameBottom;
    else if (p == QLatin1String("Left")) f |= kFrameLeft;
    else if (p == QLatin1String("Top")) f |= kFrameTop;
    else if (p == QLatin1String("Right")) f |= kFrameRight;
    else if (p == QLatin1String("Bottom")) f |= kFrameBottom;
  }
  return f;
}

const std::array<std::pair<const char*, BandType>, 8> kBandNames{{
    {"ReportTitle", BandType::ReportTitle},
    {"PageHeader", BandType::PageHeader},
    {"ColumnHeader", BandType::ColumnHeader},
    {"GroupHeader", BandType::GroupHeader},
    {"MasterData", BandType::MasterData},
    {"GroupFooter", BandType::GroupFooter},
    {"PageFooter", BandType::PageFooter},
    {"ReportSummary", BandType::ReportSummary},
}};

bool ReadObject(const XmlNode& n, ObjDef& o, Reader& r) {
  const QString name = n.Attr(QStringLiteral("Name"));
  r.where = name.isEmpty() ? QStringLiteral("objekt %1").arg(n.name) : QStringLiteral("objekt %1").arg(name);
  o.name = name;
  if (n.name == QLatin1String("Text")) o.kind = ObjKind::Text;
  else if (n.name == QLatin1String("Line")) o.kind = ObjKind::Line;
  else if (n.name == QLatin1String("Rectangle")) o.kind = ObjKind::Rectangle;
  else if (n.name == QLatin1String("Image")) o.kind = ObjKind::Image;
  else {
    r.Fail(QStringLiteral("neznámý druh objektu <%1>").arg(n.name));
    return false;
  }
  o.left = r.Num(n, "Left", 0);
  o.top = r.Num(n, "Top", 0);
  o.width = r.Num(n, "Width", 0);
  o.height = r.Num(n, "Height", 0);
  o.color = r.Color(n, "Color", Qt::black);
  o.fill = r.Color(n, "Fill", QColor());
  o.frame = ReadFrame(n.Attr(QStringLiteral("Frame")));
  o.frameWidth = r.Num(n, "FrameWidth", 0.2);
  o.frameColor = r.Color(n, "FrameColor", Qt::black);
  switch (o.kind) {
    case ObjKind::Text: {
      o.text = ParseExpression(n.text);
      o.font.family = n.Attr(QStringLiteral("Font"), QStringLiteral("Arial"));
      o.font.size = r.Num(n, "Size", 10);
      o.font.bold = r.Flag(n, "Bold");
      o.font.italic = r.Flag(n, "Italic");
      o.font.underline = r.Flag(n, "Underline");
      const QString h = n.Attr(QStringLiteral("HAlign"), QStringLiteral("Left"));
      o.halign = h == QLatin1String("Center") ? HAlign::Center
                 : h == QLatin1String("Right") ? HAlign::Right
                 : h == QLatin1String("Justify") ? HAlign::Justify
                                                 : HAlign::Left;
      const QString v = n.Attr(QStringLiteral("VAlign"), QStringLiteral("Top"));
      o.valign = v == QLatin1String("Center") ? VAlign::Center : v == QLatin1String("Bottom") ? VAlign::Bottom : VAlign::Top;
      o.wordWrap = r.Flag(n, "WordWrap");
      o.stretch = r.Flag(n, "Stretch");
      o.hideEmpty = r.Flag(n, "HideIfEmpty");
      o.rotation = static_cast<int>(r.Num(n, "Rotation", 0));
      if (o.font.size <= 0 || o.font.size > 500) r.Fail(QStringLiteral("neplatná velikost písma"));
      break;
    }
    case ObjKind::Line:
      o.lineWidth = r.Num(n, "LineWidth", 0.2);
      break;
    case ObjKind::Rectangle:
      o.radius = r.Num(n, "Radius", 0);
      if (!n.Has(QStringLiteral("Frame"))) o.frame = kFrameLeft | kFrameTop | kFrameRight | kFrameBottom;
      break;
    case ObjKind::Image: {
      const QByteArray data = QByteArray::fromBase64(n.text.trimmed().toLatin1());
      if (!data.isEmpty() && !o.image.loadFromData(data)) r.Fail(QStringLiteral("obrázek nelze přečíst"));
      break;
    }
  }
  if (o.width < 0 || o.height < 0) r.Fail(QStringLiteral("záporný rozměr"));
  return r.ok;
}

bool ReadBand(const XmlNode& n, BandDef& b, Reader& r) {
  b.name = n.Attr(QStringLiteral("Name"));
  r.where = QStringLiteral("pás %1").arg(b.name.isEmpty() ? n.Attr(QStringLiteral("Type")) : b.name);
  const QString type = n.Attr(QStringLiteral("Type"));
  bool known = false;
  for (const auto& [text, t] : kBandNames) {
    if (type == QLatin1String(text)) {
      b.type = t;
      known = true;
    }
  }
  if (!known) {
    r.Fail(QStringLiteral("neznámý druh pásu „%1“").arg(type));
    return false;
  }
  b.height = r.Num(n, "Height", 0);
  b.stretch = r.Flag(n, "Stretch");
  b.keepTogether = r.Flag(n, "KeepTogether");
  b.startNewPage = r.Flag(n, "StartNewPage");
  b.repeatHeader = r.Flag(n, "RepeatHeader");
  b.sortRows = r.Flag(n, "SortRows");
  b.condition = ParseExpression(n.Attr(QStringLiteral("Condition")));
  b.evenFill = r.Color(n, "EvenFill", QColor());
  b.oddFill = r.Color(n, "OddFill", QColor());
  if (b.height < 0) r.Fail(QStringLiteral("záporná výška"));
  if (!r.ok) return false;
  for (const XmlNode& child : n.children) {
    ObjDef o;
    if (!ReadObject(child, o, r)) return false;
    b.objects.push_back(std::move(o));
  }
  return true;
}

}  // namespace

bool CompileTemplate(const XmlNode& root, ReportDef& report, QString* error) {
  Reader r{error, {}};
  if (root.name != QLatin1String("Report")) {
    r.Fail(QStringLiteral("kořenový prvek není <Report>"));
    return false;
  }
  report = ReportDef{};
  report.name = root.Attr(QStringLiteral("ReportOptions.Name"));
  report.author = root.Attr(QStringLiteral("ReportOptions.Author"));
  const QString description = root.Attr(QStringLiteral("ReportOptions.Description"));
  if (!description.isEmpty()) report.description = description.split(QStringLiteral("\r\n"));
  for (const XmlNode& pn : root.children) {
    if (pn.name != QLatin1String("Page")) continue;  // kept for newer programs
    r.where = QStringLiteral("stránka");
    PageDef p;
    p.paperSize = static_cast<int>(r.Num(pn, "PaperSize", 9));
    p.width = r.Num(pn, "Width", 210);
    p.height = r.Num(pn, "Height", 297);
    p.landscape = pn.Attr(QStringLiteral("Orientation")) == QLatin1String("Landscape");
    p.leftMargin = r.Num(pn, "LeftMargin", 10);
    p.topMargin = r.Num(pn, "TopMargin", 10);
    p.rightMargin = r.Num(pn, "RightMargin", 10);
    p.bottomMargin = r.Num(pn, "BottomMargin", 10);
    p.columns = static_cast<int>(r.Num(pn, "Columns", 1));
    p.columnGap = r.Num(pn, "ColumnGap", 0);
    if (p.width <= 0 || p.height <= 0 || p.width > 5000 || p.height > 5000 || p.columns < 1 || p.columns > 20 ||
        p.leftMargin + p.rightMargin >= p.width || p.topMargin + p.bottomMargin >= p.height)
      r.Fail(QStringLiteral("neplatné rozměry stránky"));
    if (!r.ok) return false;
    for (const XmlNode& bn : pn.children) {
      if (bn.name != QLatin1String("Band")) continue;
      BandDef b;
      if (!ReadBand(bn, b, r)) return false;
      p.bands.push_back(std::move(b));
    }
    report.pages.push_back(std::move(p));
  }
  if (report.pages.empty()) {
    r.where.clear();
    r.Fail(QStringLiteral("šablona nemá žádnou stránku"));
    return false;
  }
  return true;
}

XmlNode NewTemplate() {
  XmlNode root;
  root.name = QStringLiteral("Report");
  root.attrs = {{QStringLiteral("ReportOptions.Name"), QString()},
                {QStringLiteral("ReportOptions.Author"), QString()},
                {QStringLiteral("ReportOptions.Description"), QString()},
                {QStringLiteral("Version"), QStringLiteral("1")}};
  XmlNode page;
  page.name = QStringLiteral("Page");
  page.attrs = {{QStringLiteral("PaperSize"), QStringLiteral("9")},     {QStringLiteral("Width"), QStringLiteral("210")},
                {QStringLiteral("Height"), QStringLiteral("297")},      {QStringLiteral("Orientation"), QStringLiteral("Portrait")},
                {QStringLiteral("LeftMargin"), QStringLiteral("10")},   {QStringLiteral("TopMargin"), QStringLiteral("10")},
                {QStringLiteral("RightMargin"), QStringLiteral("10")},  {QStringLiteral("BottomMargin"), QStringLiteral("10")}};
  root.children.push_back(std::move(page));
  return root;
}

QString BandTypeName(BandType type) {
  for (const auto& [text, t] : kBandNames)
    if (t == type) return QLatin1String(text);
  return {};
}

}  // namespace rpt
