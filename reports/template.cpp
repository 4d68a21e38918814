#include "template.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

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

bool ForbiddenAt(const QString& text, qsizetype i) {
  const char16_t c = text[i].unicode();
  if (c < 0x20) return c != u'\t' && c != u'\n' && c != u'\r';
  if (c == 0xFFFE || c == 0xFFFF) return true;
  if (QChar::isHighSurrogate(c)) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
  if (QChar::isLowSurrogate(c)) return i == 0 || !text[i - 1].isHighSurrogate();
  return false;
}

// Appends text[i] in the code page, or as a numeric reference; the index of the last
// character used (a surrogate pair takes two).
qsizetype AppendChar(QByteArray& out, const QString& text, qsizetype i) {
  const char16_t c = text[i].unicode();
  const unsigned char b = ReverseTable()[c];
  if (b != 0) {
    out += static_cast<char>(b);
    return i;
  }
  char32_t code = c;
  if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
    code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
    ++i;
  }
  out += "&#" + QByteArray::number(static_cast<unsigned>(code)) + ';';
  return i;
}

void AppendEscaped(QByteArray& out, const QString& text, bool attribute) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    // Written as it stands or as a reference, the file would not read back at all.
    if (ForbiddenAt(text, i)) continue;
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
    i = AppendChar(out, text, i);
  }
}

// A comment holds no references: a character the code page lacks is written as the text
// of one, so that it can still be read there.
void AppendComment(QByteArray& out, QString data) {
  // Neither can stand in a comment; they only come from a tree not read from a file.
  while (data.contains(QLatin1String("--"))) data.replace(QLatin1String("--"), QLatin1String("- -"));
  if (data.endsWith(u'-')) data += u' ';
  out += "<!--";
  for (qsizetype i = 0; i < data.size(); ++i)
    if (!ForbiddenAt(data, i)) i = AppendChar(out, data, i);
  out += "-->";
}

// A name stands in the file as it is, since no character reference can stand for a part
// of it: a name with a character the code page lacks cannot be written back, nor one with
// a control character, which the parser lets through in attribute names and the writer
// would leave out (renaming the attribute).
bool WritableName(const QString& name) {
  const auto& rev = ReverseTable();
  for (qsizetype i = 0; i < name.size(); ++i)
    if (rev[name[i].unicode()] == 0 || ForbiddenAt(name, i)) return false;
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

void AppendExtra(QByteArray& out, const XmlExtra& extra) {
  if (extra.kind == XmlExtra::Kind::Text) AppendEscaped(out, extra.data, false);
  else AppendComment(out, extra.data);
}

bool Inside(const XmlExtra& e) { return e.kind == XmlExtra::Kind::Comment || e.kind == XmlExtra::Kind::Text; }

// inLine: within text of the parent, where no indentation or line break may be added.
void WriteNode(QByteArray& out, const XmlNode& node, int depth, bool inLine) {
  if (!inLine) out += QByteArray(depth * 2, ' ');
  out += '<';
  AppendEscaped(out, node.name, true);
  for (const auto& [k, v] : node.attrs) {
    out += ' ';
    AppendEscaped(out, k, true);
    out += "=\"";
    AppendEscaped(out, v, true);
    out += '"';
  }
  auto close = [&](bool indent) {
    if (indent) out += QByteArray(depth * 2, ' ');
    out += "</";
    AppendEscaped(out, node.name, true);
    out += '>';
    if (!inLine) out += '\n';
  };
  const size_t count = node.children.size();
  const bool mixed =
      std::any_of(node.extras.begin(), node.extras.end(), [](const XmlExtra& e) { return e.kind == XmlExtra::Kind::Text; });
  if (mixed) {
    // The element's content as it stood: any whitespace added here would become its text.
    out += '>';
    size_t child = 0;
    for (const XmlExtra& e : node.extras) {
      if (!Inside(e)) continue;
      for (; child < std::min(e.before, count); ++child) WriteNode(out, node.children[child], depth + 1, true);
      AppendExtra(out, e);
    }
    for (; child < count; ++child) WriteNode(out, node.children[child], depth + 1, true);
    close(false);
    return;
  }
  if (count == 0) {
    const bool comments = std::any_of(node.extras.begin(), node.extras.end(), Inside);
    if (node.text.isEmpty() && !comments) {
      out += "/>";
      if (!inLine) out += '\n';
      return;
    }
    out += '>';
    qsizetype at = 0;
    for (const XmlExtra& e : node.extras) {
      if (!Inside(e)) continue;
      qsizetype to = std::clamp(e.offset, at, node.text.size());
      if (to > 0 && to < node.text.size() && node.text[to].isLowSurrogate() && node.text[to - 1].isHighSurrogate()) ++to;
      AppendEscaped(out, node.text.mid(at, to - at), false);
      at = to;
      AppendComment(out, e.data);
    }
    AppendEscaped(out, node.text.mid(at), false);
    close(false);
    return;
  }
  out += ">\n";
  size_t child = 0;
  for (const XmlExtra& e : node.extras) {
    if (!Inside(e)) continue;
    for (; child < std::min(e.before, count); ++child) WriteNode(out, node.children[child], depth + 1, false);
    out += QByteArray((depth + 1) * 2, ' ');
    AppendComment(out, e.data);
    out += '\n';
  }
  for (; child < count; ++child) WriteNode(out, node.children[child], depth + 1, false);
  close(true);
}

// An element's first child: the text so far is text before it, in runs between comments.
void SplitTextAtComments(XmlNode& n) {
  std::vector<XmlExtra> extras;
  qsizetype at = 0;
  auto run = [&](qsizetype to) {
    if (to > at) extras.push_back({XmlExtra::Kind::Text, n.text.mid(at, to - at), 0, 0});
    at = to;
  };
  for (XmlExtra& e : n.extras) {
    run(e.offset);
    extras.push_back(std::move(e));
  }
  run(n.text.size());
  n.extras = std::move(extras);
}

bool Blank(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; });
}

// The offset of the first byte that starts no well-formed UTF-8 sequence (a stray or
// missing continuation byte, an overlong form, a surrogate, past U+10FFFF); -1 when none.
qsizetype InvalidUtf8At(const QByteArray& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) length = 2;
    else if (c == 0xE0) length = 3, low = 0xA0;
    else if (c == 0xED) length = 3, high = 0x9F;
    else if (c >= 0xE1 && c <= 0xEF) length = 3;
    else if (c == 0xF0) length = 4, low = 0x90;
    else if (c >= 0xF1 && c <= 0xF3) length = 4;
    else if (c == 0xF4) length = 4, high = 0x8F;
    else return i;
    if (n - i < length) return i;
    for (int k = 1; k < length; ++k) {
      const unsigned char b = p[i + k];
      if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return i;
    }
    i += length;
  }
  return -1;
}

qsizetype LineAt(const QString& text, qsizetype pos) { return QStringView(text).left(pos).count(u'\n') + 1; }

qsizetype SkipPast(const QString& text, qsizetype from, QStringView end) {
  const qsizetype at = text.indexOf(end, from);
  return at < 0 ? text.size() : at + end.size();
}

// QXmlStreamReader compares an element's attributes with each other pair by pair, so an
// element with a few hundred thousand of them takes minutes before we see it: they are
// counted here first, in one pass over the markup.
bool AttributesWithinLimit(const QString& text, QString* why) {
  const QChar* p = text.constData();
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    i = text.indexOf(u'<', i);
    if (i < 0) break;
    const QStringView rest = QStringView(text).mid(i);
    if (rest.startsWith(u"<!--")) {
      i = SkipPast(text, i + 4, u"-->");
      continue;
    }
    if (rest.startsWith(u"<![CDATA[")) {
      i = SkipPast(text, i + 9, u"]]>");
      continue;
    }
    if (rest.startsWith(u"<?")) {
      i = SkipPast(text, i + 2, u"?>");
      continue;
    }
    const bool declaration = rest.startsWith(u"<!");
    const qsizetype start = i;
    char16_t quote = 0;
    int subset = 0;  // a document type's internal subset holds '>' of its own
    qsizetype equals = 0;
    for (++i; i < n; ++i) {
      const char16_t c = p[i].unicode();
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == u'"' || c == u'\'') {
        quote = c;
      } else if (c == u'=') {
        ++equals;
      } else if (declaration && c == u'[') {
        ++subset;
      } else if (declaration && c == u']') {
        --subset;
      } else if (c == u'>' && subset <= 0) {
        ++i;
        break;
      }
    }
    if (!declaration && equals > kMaxAttributes) {
      qsizetype end = start + 1;
      while (end < n && end - start <= 40 && !p[end].isSpace() && p[end] != u'>' && p[end] != u'/') ++end;
      if (why)
        *why = QStringLiteral("prvek <%1> na řádku %2 má více než %3 atributů")
                   .arg(text.mid(start + 1, end - start - 1))
                   .arg(LineAt(text, start))
                   .arg(kMaxAttributes);
      return false;
    }
  }
  return true;
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
    // Decoded with replacement characters, the next save would lose the letters for good.
    if (const qsizetype bad = InvalidUtf8At(body); bad >= 0)
      return fail(QStringLiteral("soubor není platný text v kódování UTF-8 (bajt 0x%1 na řádku %2)")
                      .arg(QString::number(static_cast<unsigned char>(body[bad]), 16).toUpper().rightJustified(2, u'0'))
                      .arg(body.left(bad).count('\n') + 1));
    text = QString::fromUtf8(body);
  } else {
    return fail(QStringLiteral("nepodporované kódování „%1“").arg(m.captured(1)));
  }

  QString why;
  if (!AttributesWithinLimit(text, &why)) return fail(why);

  QXmlStreamReader xml(text);
  std::vector<XmlNode*> stack;
  std::vector<XmlExtra> before, after;  // comments around the root element
  bool haveRoot = false;
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement: {
        // The tree is freed and written recursively: its depth is what the stack holds.
        if (stack.size() >= static_cast<size_t>(kMaxXmlDepth))
          return fail(QStringLiteral("prvek <%1> na řádku %2 je vnořen hlouběji než %3 úrovní")
                          .arg(xml.name())
                          .arg(xml.lineNumber())
                          .arg(kMaxXmlDepth));
        // Attributes an entity brought in were not counted beforehand.
        if (xml.attributes().size() > kMaxAttributes)
          return fail(QStringLiteral("prvek <%1> na řádku %2 má více než %3 atributů")
                          .arg(xml.name())
                          .arg(xml.lineNumber())
                          .arg(kMaxAttributes));
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
          XmlNode& parent = *stack.back();
          if (parent.children.empty()) SplitTextAtComments(parent);
          parent.children.push_back(std::move(node));
          stack.push_back(&stack.back()->children.back());
        }
        break;
      }
      case QXmlStreamReader::EndElement: {
        XmlNode& n = *stack.back();
        // Text among child elements is kept only where some of it is more than indentation.
        const bool indentation = std::all_of(n.extras.begin(), n.extras.end(), [](const XmlExtra& e) {
          return e.kind != XmlExtra::Kind::Text || Blank(e.data);
        });
        if (indentation) std::erase_if(n.extras, [](const XmlExtra& e) { return e.kind == XmlExtra::Kind::Text; });
        if (!n.children.empty()) n.text.clear();
        stack.pop_back();
        break;
      }
      case QXmlStreamReader::Characters:
        if (!stack.empty()) {
          XmlNode& n = *stack.back();
          n.text += xml.text();
          if (n.children.empty()) break;  // the element's own text, so far
          XmlExtra* last = n.extras.empty() ? nullptr : &n.extras.back();
          if (last && last->kind == XmlExtra::Kind::Text && last->before == n.children.size())
            last->data += xml.text();
          else
            n.extras.push_back({XmlExtra::Kind::Text, xml.text().toString(), n.children.size(), 0});
        }
        break;
      case QXmlStreamReader::Comment:
        if (stack.empty()) {
          (haveRoot ? after : before)
              .push_back({haveRoot ? XmlExtra::Kind::CommentAfter : XmlExtra::Kind::CommentBefore, xml.text().toString(), 0, 0});
        } else {
          XmlNode& n = *stack.back();
          n.extras.push_back({XmlExtra::Kind::Comment, xml.text().toString(), n.children.size(), n.text.size()});
        }
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
  root.extras.insert(root.extras.begin(), before.begin(), before.end());
  root.extras.insert(root.extras.end(), after.begin(), after.end());
  return true;
}

qsizetype ForbiddenXmlChar(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (ForbiddenAt(text, i)) return i;
  return -1;
}

QString ForbiddenXmlCharReason(const QString& text) {
  const qsizetype at = ForbiddenXmlChar(text);
  if (at < 0) return {};
  return QStringLiteral("text obsahuje řídicí nebo neplatný znak (kód %1) na pozici %2, který soubor sestavy nemůže uložit")
      .arg(text[at].unicode())
      .arg(at + 1);
}

QByteArray WriteTemplateXml(const XmlNode& root) {
  QByteArray out = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n";
  const auto outside = [&](XmlExtra::Kind kind) {
    for (const XmlExtra& e : root.extras) {
      if (e.kind != kind) continue;
      AppendComment(out, e.data);
      out += '\n';
    }
  };
  outside(XmlExtra::Kind::CommentBefore);
  WriteNode(out, root, 0, false);
  outside(XmlExtra::Kind::CommentAfter);
  return out;
}

// ---------------------------------------------------------------------------------------
// The typed view.

namespace {

template <class E, size_t N>
using NameTable = std::array<std::pair<const char*, E>, N>;

// The value the table gives the name (compared exactly); none for a name it lacks.
template <class E, size_t N>
std::optional<E> Named(const NameTable<E, N>& table, const QString& name) {
  for (const auto& [text, value] : table)
    if (name == QLatin1String(text)) return value;
  return std::nullopt;
}

const NameTable<BandType, 8> kBandNames{{
    {"ReportTitle", BandType::ReportTitle},
    {"PageHeader", BandType::PageHeader},
    {"ColumnHeader", BandType::ColumnHeader},
    {"GroupHeader", BandType::GroupHeader},
    {"MasterData", BandType::MasterData},
    {"GroupFooter", BandType::GroupFooter},
    {"PageFooter", BandType::PageFooter},
    {"ReportSummary", BandType::ReportSummary},
}};
const NameTable<ObjKind, 4> kObjectKinds{{
    {"Text", ObjKind::Text}, {"Line", ObjKind::Line}, {"Rectangle", ObjKind::Rectangle}, {"Image", ObjKind::Image}}};
const NameTable<HAlign, 4> kHAligns{{
    {"Left", HAlign::Left}, {"Center", HAlign::Center}, {"Right", HAlign::Right}, {"Justify", HAlign::Justify}}};
const NameTable<VAlign, 3> kVAligns{{{"Top", VAlign::Top}, {"Center", VAlign::Center}, {"Bottom", VAlign::Bottom}}};
const NameTable<unsigned, 5> kFrameSides{{{"All", kFrameLeft | kFrameTop | kFrameRight | kFrameBottom},
                                          {"Left", kFrameLeft},
                                          {"Top", kFrameTop},
                                          {"Right", kFrameRight},
                                          {"Bottom", kFrameBottom}}};
const NameTable<bool, 2> kOrientations{{{"Portrait", false}, {"Landscape", true}}};

// Every attribute of page, band and object is read through these.
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
    // inf and nan would make layout go on without end.
    if (!good || !std::isfinite(d)) {
      Fail(QStringLiteral("neplatné číslo %1=\"%2\"").arg(QLatin1String(key), v));
      return fallback;
    }
    return d;
  }
  // A number within [low, high]; unit names the unit in the message.
  double Bounded(const XmlNode& n, const char* key, double fallback, double low, double high,
                 const QString& unit = QStringLiteral(" mm")) {
    const double d = Num(n, key, fallback);
    if (ok && (d < low || d > high)) {
      Fail(QStringLiteral("hodnota %1=\"%2\" je mimo povolený rozsah %3 až %4%5")
               .arg(QLatin1String(key), n.Attr(QLatin1String(key)), QString::number(low), QString::number(high), unit));
      return fallback;
    }
    return d;
  }
  double Length(const XmlNode& n, const char* key, double fallback) { return Bounded(n, key, fallback, 0, kMaxLength); }
  double Position(const XmlNode& n, const char* key, double fallback) {
    return Bounded(n, key, fallback, -kMaxLength, kMaxLength);
  }
  int Int(const XmlNode& n, const char* key, int fallback, int low, int high) {
    return static_cast<int>(Bounded(n, key, fallback, low, high, QString()));
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
  // A named value; fallback when the attribute is missing or names none of the table.
  template <class E, size_t N>
  E Choice(const XmlNode& n, const char* key, const NameTable<E, N>& table, E fallback) {
    return Named(table, n.Attr(QLatin1String(key))).value_or(fallback);
  }
  // A comma-separated set of named flags; names the table lacks are passed over.
  template <size_t N>
  unsigned Flags(const XmlNode& n, const char* key, const NameTable<unsigned, N>& table) {
    unsigned f = 0;
    for (const QString& part : n.Attr(QLatin1String(key)).split(u',', Qt::SkipEmptyParts))
      f |= Named(table, part.trimmed()).value_or(0u);
    return f;
  }
};

bool ReadObject(const XmlNode& n, ObjDef& o, Reader& r) {
  const QString name = n.Attr(QStringLiteral("Name"));
  r.where = name.isEmpty() ? QStringLiteral("objekt %1").arg(n.name) : QStringLiteral("objekt %1").arg(name);
  o.name = name;
  const std::optional<ObjKind> kind = Named(kObjectKinds, n.name);
  if (!kind) {
    r.Fail(QStringLiteral("neznámý druh objektu <%1>").arg(n.name));
    return false;
  }
  o.kind = *kind;
  o.left = r.Position(n, "Left", 0);
  o.top = r.Position(n, "Top", 0);
  o.width = r.Length(n, "Width", 0);
  o.height = r.Length(n, "Height", 0);
  o.color = r.Color(n, "Color", Qt::black);
  o.fill = r.Color(n, "Fill", QColor());
  o.frame = r.Flags(n, "Frame", kFrameSides);
  o.frameWidth = r.Length(n, "FrameWidth", 0.2);
  o.frameColor = r.Color(n, "FrameColor", Qt::black);
  switch (o.kind) {
    case ObjKind::Text: {
      o.text = ParseExpression(n.text);
      o.font.family = n.Attr(QStringLiteral("Font"), QStringLiteral("Arial"));
      o.font.size = r.Num(n, "Size", 10);
      o.font.bold = r.Flag(n, "Bold");
      o.font.italic = r.Flag(n, "Italic");
      o.font.underline = r.Flag(n, "Underline");
      o.halign = r.Choice(n, "HAlign", kHAligns, HAlign::Left);
      o.valign = r.Choice(n, "VAlign", kVAligns, VAlign::Top);
      o.wordWrap = r.Flag(n, "WordWrap");
      o.stretch = r.Flag(n, "Stretch");
      o.hideEmpty = r.Flag(n, "HideIfEmpty");
      o.rotation = r.Int(n, "Rotation", 0, -360, 360);
      if (o.font.size <= 0 || o.font.size > 500) r.Fail(QStringLiteral("neplatná velikost písma"));
      break;
    }
    case ObjKind::Line:
      o.lineWidth = r.Length(n, "LineWidth", 0.2);
      break;
    case ObjKind::Rectangle:
      o.radius = r.Length(n, "Radius", 0);
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
  const std::optional<BandType> known = Named(kBandNames, type);
  if (!known) {
    r.Fail(QStringLiteral("neznámý druh pásu „%1“").arg(type));
    return false;
  }
  b.type = *known;
  b.height = r.Length(n, "Height", 0);
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
  if (n.children.size() > static_cast<size_t>(kMaxObjectsPerBand)) {
    r.Fail(QStringLiteral("má více než %1 objektů").arg(kMaxObjectsPerBand));
    return false;
  }
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
  size_t objects = 0;
  for (const XmlNode& pn : root.children) {
    if (pn.name != QLatin1String("Page")) continue;  // kept for newer programs
    r.where = QStringLiteral("stránka");
    PageDef p;
    p.paperSize = r.Int(pn, "PaperSize", 9, 0, 10000);
    p.width = r.Num(pn, "Width", 210);  // both checked with the margins below
    p.height = r.Num(pn, "Height", 297);
    p.landscape = r.Choice(pn, "Orientation", kOrientations, false);
    p.leftMargin = r.Length(pn, "LeftMargin", 10);
    p.topMargin = r.Length(pn, "TopMargin", 10);
    p.rightMargin = r.Length(pn, "RightMargin", 10);
    p.bottomMargin = r.Length(pn, "BottomMargin", 10);
    p.columns = r.Int(pn, "Columns", 1, 1, 20);
    p.columnGap = r.Length(pn, "ColumnGap", 0);
    if (!r.ok) return false;
    QString why;
    if (!CheckPageGeometry(p.width, p.height, p.leftMargin, p.topMargin, p.rightMargin, p.bottomMargin, &why)) {
      r.Fail(why);
      return false;
    }
    if (p.columnGap * (p.columns - 1) >= p.width - p.leftMargin - p.rightMargin) {
      r.Fail(QStringLiteral("mezery mezi sloupci nenechávají místo pro sloupce"));
      return false;
    }
    qsizetype bands = 0;
    for (const XmlNode& bn : pn.children) bands += bn.name == QLatin1String("Band");
    if (bands > kMaxBandsPerPage) {
      r.Fail(QStringLiteral("má více než %1 pásů").arg(kMaxBandsPerPage));
      return false;
    }
    for (const XmlNode& bn : pn.children) {
      if (bn.name != QLatin1String("Band")) continue;
      objects += bn.children.size();
      if (objects > static_cast<size_t>(kMaxObjects)) {
        r.where.clear();
        r.Fail(QStringLiteral("šablona má více než %1 objektů").arg(kMaxObjects));
        return false;
      }
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

bool CheckPageGeometry(double width, double height, double left, double top, double right, double bottom,
                       QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  const double values[] = {width, height, left, top, right, bottom};
  for (const double v : values)
    if (!std::isfinite(v)) return fail(QStringLiteral("neplatné rozměry stránky"));
  if (width < kMinPageSide || height < kMinPageSide || width > kMaxPageSide || height > kMaxPageSide)
    return fail(QStringLiteral("neplatné rozměry stránky %1 × %2 mm (povoleno %3 až %4 mm)")
                    .arg(QString::number(width), QString::number(height), QString::number(kMinPageSide),
                         QString::number(kMaxPageSide)));
  if (left < 0 || top < 0 || right < 0 || bottom < 0 || left + right >= width || top + bottom >= height)
    return fail(QStringLiteral("okraje stránky (vlevo %1, nahoře %2, vpravo %3, dole %4 mm) nenechávají na stránce "
                               "%5 × %6 mm místo pro obsah")
                    .arg(QString::number(left), QString::number(top), QString::number(right), QString::number(bottom),
                         QString::number(width), QString::number(height)));
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
