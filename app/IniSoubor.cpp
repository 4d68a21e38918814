#include "IniSoubor.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platforma.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

// One line of the file as it stands, its terminator kept apart ("\r\n", "\n" or none),
// with what it means parsed once when the line is read or made.
enum class Kind { Other, Section, Key };

struct Line {
  std::string text;
  std::string eol;
  Kind kind = Kind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed, surrounding quotes removed
  QString folded;     // the name as names are compared
};

struct Document {
  bool exists = false;
  bool readable = true;
  QString error;
  std::vector<Line> lines;
  std::string newLine = "\r\n";  // what the file uses; CR LF for a new file
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Names match as QString::compare without regard to case does: character by character,
// each folded on its own.
QString Fold(QString name) {
  for (QChar& c : name) c = c.toCaseFolded();
  return name;
}

void Parse(Line& line, bool firstLine) {
  line.kind = Kind::Other;
  line.name.clear();
  line.value.clear();
  line.folded.clear();
  std::string_view text = line.text;
  // A byte-order mark some editors put first is not part of the first line's content.
  if (firstLine && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  text = Trim(text);
  if (text.empty() || text.front() == ';' || text.front() == '#') return;
  if (text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return;
    const std::string_view name = Trim(text.substr(1, close - 1));
    if (name.empty()) return;
    line.kind = Kind::Section;
    line.name = name;
  } else {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view name = Trim(text.substr(0, equals));
    if (name.empty()) return;
    std::string_view value = Trim(text.substr(equals + 1));
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    line.kind = Kind::Key;
    line.name = name;
    line.value = value;
  }
  line.folded = Fold(FromAnsi(line.name));
}

Line MakeLine(std::string text, std::string eol) {
  Line line;
  line.text = std::move(text);
  line.eol = std::move(eol);
  Parse(line, false);
  return line;
}

Document Load(const QString& path) {
  Document document;
  const QFileInfo info(path);
  if (!info.exists()) return document;
  document.exists = true;
  const auto unreadable = [&](const QString& why) {
    document.readable = false;
    document.error = QStringLiteral("Soubor nastavení \"%1\" nelze přečíst: %2").arg(path, why);
    return document;
  };
  if (info.isDir()) return unreadable(QStringLiteral("je to složka"));
  const QString tooLarge = QStringLiteral("je příliš velký (větší než %1 bajtů).").arg(ProfileFile::kNejvetsiVelikost);
  if (info.size() > ProfileFile::kNejvetsiVelikost) return unreadable(tooLarge);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return unreadable(file.errorString());
  // Read no more than the limit allows, also when the file grew since it was looked at.
  const QByteArray bytes = file.read(ProfileFile::kNejvetsiVelikost + 1);
  if (file.error() != QFileDevice::NoError) return unreadable(file.errorString());
  if (bytes.size() > ProfileFile::kNejvetsiVelikost) return unreadable(tooLarge);

  const std::string_view all(bytes.constData(), static_cast<size_t>(bytes.size()));
  bool newLineSeen = false;
  size_t start = 0;
  while (start < all.size()) {
    const size_t end = all.find('\n', start);
    Line line;
    if (end == std::string_view::npos) {
      line.text = all.substr(start);
      start = all.size();
    } else {
      size_t textEnd = end;
      if (textEnd > start && all[textEnd - 1] == '\r') --textEnd;
      line.text = all.substr(start, textEnd - start);
      line.eol = all.substr(textEnd, end + 1 - textEnd);
      start = end + 1;
      if (!newLineSeen) {
        document.newLine = line.eol;
        newLineSeen = true;
      }
    }
    Parse(line, document.lines.empty());
    document.lines.push_back(std::move(line));
  }
  return document;
}

// Index of the first header of the section (its name folded), or nothing.
std::optional<size_t> FindSection(const Document& document, const QString& folded) {
  for (size_t i = 0; i < document.lines.size(); ++i)
    if (document.lines[i].kind == Kind::Section && document.lines[i].folded == folded) return i;
  return std::nullopt;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const Document& document, size_t header) {
  size_t i = header + 1;
  while (i < document.lines.size() && document.lines[i].kind != Kind::Section) ++i;
  return i;
}

// The key lines of the first section of that name, in file order, each key once.
std::vector<const Line*> SectionKeys(const Document& document, const QString& section) {
  std::vector<const Line*> keys;
  const std::optional<size_t> header = FindSection(document, Fold(section));
  if (!header) return keys;
  const size_t end = SectionEnd(document, *header);
  QSet<QString> seen;
  for (size_t i = *header + 1; i < end; ++i) {
    const Line& line = document.lines[i];
    if (line.kind != Kind::Key || seen.contains(line.folded)) continue;
    seen.insert(line.folded);
    keys.push_back(&line);
  }
  return keys;
}

std::optional<std::string> FindValue(const QString& path, const QString& section, const QString& key) {
  const Document document = Load(path);
  const std::optional<size_t> header = FindSection(document, Fold(section));
  if (!header) return std::nullopt;
  const QString folded = Fold(key);
  for (size_t i = *header + 1; i < document.lines.size() && document.lines[i].kind != Kind::Section; ++i)
    if (document.lines[i].kind == Kind::Key && document.lines[i].folded == folded) return document.lines[i].value;
  return std::nullopt;
}

QByteArray Serialize(const Document& document) {
  QByteArray bytes;
  for (const Line& line : document.lines) {
    bytes.append(line.text.data(), static_cast<qsizetype>(line.text.size()));
    bytes.append(line.eol.data(), static_cast<qsizetype>(line.eol.size()));
  }
  return bytes;
}

bool HasLineBreakOrZero(const QString& text) {
  return text.contains(QChar('\r')) || text.contains(QChar('\n')) || text.contains(QChar(u'\0'));
}

bool HasOuterBlank(const QString& text) {
  return !text.isEmpty() && (IsBlank(text.front().toLatin1()) || IsBlank(text.back().toLatin1()));
}

// Values that would not read back as written are put between double quotes.
std::string EncodeValue(const std::string& value) {
  const bool needsQuotes = (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) ||
                           (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front());
  return needsQuotes ? "\"" + value + "\"" : value;
}

}  // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

bool ProfileFile::PrilisVelky(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && !info.isDir() && info.size() > kNejvetsiVelikost;
}

QString OdlozitSoubor(const QString& path, QString* error) {
  constexpr int kPokusu = 1000;
  for (int n = 1; n <= kPokusu; ++n) {
    const QString target = path + QStringLiteral(".poskozeny") + (n == 1 ? QString() : QString::number(n));
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) continue;
    QFile file(path);
    if (file.rename(target)) return target;
    if (QFileInfo::exists(target)) continue;  // taken meanwhile
    if (error != nullptr) *error = file.errorString();
    return {};
  }
  if (error != nullptr) *error = QStringLiteral("všechny náhradní názvy jsou obsazené");
  return {};
}

bool ProfileFile::Fail(const QString& message) {
  lastError_ = message;
  return false;
}

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
  const std::optional<std::string> value = FindValue(path_, section, key);
  return value ? FromAnsi(*value) : defaultValue;
}

int ProfileFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
  const std::optional<std::string> value = FindValue(path_, section, key);
  if (!value) return defaultValue;
  std::string_view digits = *value;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty() || digits.front() == '-') return defaultValue;
  }
  int number = 0;
  const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), number, 10);
  if (status != std::errc() || end != digits.data() + digits.size()) return defaultValue;
  return number;
}

bool ProfileFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList ProfileFile::ReadSection(const QString& section) const {
  const Document document = Load(path_);
  QStringList names;
  for (const Line* line : SectionKeys(document, section)) names.append(FromAnsi(line->name));
  return names;
}

std::vector<std::pair<QString, QString>> ProfileFile::ReadSectionValues(const QString& section) const {
  const Document document = Load(path_);
  std::vector<std::pair<QString, QString>> values;
  for (const Line* line : SectionKeys(document, section)) values.emplace_back(FromAnsi(line->name), FromAnsi(line->value));
  return values;
}

QStringList ProfileFile::ReadSections() const {
  const Document document = Load(path_);
  QStringList names;
  QSet<QString> seen;
  for (const Line& line : document.lines) {
    if (line.kind != Kind::Section || seen.contains(line.folded)) continue;
    seen.insert(line.folded);
    names.append(FromAnsi(line.name));
  }
  return names;
}

bool ProfileFile::SectionExists(const QString& section) const {
  return FindSection(Load(path_), Fold(section)).has_value();
}

bool ProfileFile::ValueExists(const QString& section, const QString& key) const {
  return FindValue(path_, section, key).has_value();
}

namespace {

// Why the section name cannot be stored, or nothing.
std::optional<QString> CheckSection(const QString& section, std::string& ansi) {
  if (section.trimmed().isEmpty() || HasOuterBlank(section) || section.contains(QChar(']')) ||
      HasLineBreakOrZero(section))
    return QStringLiteral("Neplatný název oddílu \"%1\".").arg(section);
  QString unsupported;
  if (!TryToAnsi(section, ansi, &unsupported))
    return QStringLiteral("Text nelze uložit, kódování Windows-1250 neobsahuje znaky: %1").arg(unsupported);
  return std::nullopt;
}

// Why the key or its value cannot be stored, or nothing.
std::optional<QString> CheckKey(const QString& key, const QString& value, std::string& ansiKey,
                                std::string& ansiValue) {
  if (key.trimmed().isEmpty() || HasOuterBlank(key) || key.contains(QChar('=')) || key.startsWith(QChar('[')) ||
      key.startsWith(QChar(';')) || key.startsWith(QChar('#')) || HasLineBreakOrZero(key))
    return QStringLiteral("Neplatný název klíče \"%1\".").arg(key);
  if (HasLineBreakOrZero(value))
    return QStringLiteral("Hodnotu klíče \"%1\" nelze uložit: obsahuje konec řádku.").arg(key);
  QString unsupported;
  if (!TryToAnsi(key, ansiKey, &unsupported) || !TryToAnsi(value, ansiValue, &unsupported))
    return QStringLiteral("Text nelze uložit, kódování Windows-1250 neobsahuje znaky: %1").arg(unsupported);
  return std::nullopt;
}

// Puts the keys of one section into the loaded file in one pass over it: a key already
// in the first section of that name is changed where it stands (the first line of a
// repeated key, in the file's spelling), the others follow the section's last non-blank
// line, so blank lines before the next section stay; a missing section is added at the end.
// The reason when something cannot be stored.
std::optional<QString> SetValues(Document& document, const QString& section,
                                 const std::vector<std::pair<QString, QString>>& values) {
  if (values.empty()) return std::nullopt;
  std::string ansiSection;
  if (std::optional<QString> problem = CheckSection(section, ansiSection)) return problem;
  std::vector<std::pair<std::string, std::string>> ansi(values.size());
  for (size_t k = 0; k < values.size(); ++k)
    if (std::optional<QString> problem = CheckKey(values[k].first, values[k].second, ansi[k].first, ansi[k].second))
      return problem;

  const std::string newLine = document.newLine;
  std::vector<Line> added;
  QHash<QString, Line*> where;  // folded key -> its line in the file or among the added ones
  size_t insertAt = document.lines.size();
  const std::optional<size_t> header = FindSection(document, Fold(section));
  if (header) {
    const size_t end = SectionEnd(document, *header);
    size_t lastContent = *header;
    for (size_t i = *header + 1; i < end; ++i) {
      Line& line = document.lines[i];
      if (line.kind == Kind::Key && !where.contains(line.folded)) where.insert(line.folded, &line);
      if (!Trim(line.text).empty()) lastContent = i;
    }
    insertAt = lastContent + 1;
  } else {
    added.push_back(MakeLine("[" + ansiSection + "]", newLine));
  }
  added.reserve(added.size() + values.size());  // the pointers into it must stay valid

  for (size_t k = 0; k < values.size(); ++k) {
    const QString folded = Fold(values[k].first);
    const std::string& value = ansi[k].second;
    if (Line* line = where.value(folded, nullptr)) {
      // The key keeps the spelling it has in the file.
      line->text = line->name + "=" + EncodeValue(value);
      line->value = value;
    } else {
      added.push_back(MakeLine(ansi[k].first + "=" + EncodeValue(value), newLine));
      where.insert(folded, &added.back());
    }
  }
  if (added.empty()) return std::nullopt;
  // A line that ends the file without a break gets one before lines follow it.
  if (insertAt > 0 && document.lines[insertAt - 1].eol.empty()) document.lines[insertAt - 1].eol = newLine;
  document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  return std::nullopt;
}

}  // namespace

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
  return WriteStrings(section, {{key, value}});
}

bool ProfileFile::WriteStrings(const QString& section, const std::vector<std::pair<QString, QString>>& values) {
  return WriteSections({{section, values}});
}

bool ProfileFile::WriteSections(const std::vector<SectionValues>& sections) {
  lastError_.clear();
  Document document = Load(path_);
  if (!document.readable) return Fail(document.error);
  for (const auto& [section, values] : sections)
    if (const std::optional<QString> problem = SetValues(document, section, values)) return Fail(*problem);
  QString error;
  if (!ReplaceFileAtomically(path_, Serialize(document), &error)) return Fail(error);
  return true;
}

bool ProfileFile::WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

bool ProfileFile::WriteBool(const QString& section, const QString& key, bool value) {
  return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ProfileFile::EraseSection(const QString& section) {
  lastError_.clear();
  Document document = Load(path_);
  if (!document.exists) return true;
  if (!document.readable) return Fail(document.error);
  const QString folded = Fold(section);
  std::vector<Line> kept;
  kept.reserve(document.lines.size());
  bool erasing = false;
  for (Line& line : document.lines) {
    if (line.kind == Kind::Section) erasing = line.folded == folded;
    if (!erasing) kept.push_back(std::move(line));
  }
  if (kept.size() == document.lines.size()) return true;
  document.lines = std::move(kept);
  QString error;
  if (!ReplaceFileAtomically(path_, Serialize(document), &error)) return Fail(error);
  return true;
}

bool ProfileFile::DeleteKey(const QString& section, const QString& key) {
  lastError_.clear();
  Document document = Load(path_);
  if (!document.exists) return true;
  if (!document.readable) return Fail(document.error);
  const std::optional<size_t> header = FindSection(document, Fold(section));
  if (!header) return true;
  const size_t end = SectionEnd(document, *header);
  const QString folded = Fold(key);
  const auto first = document.lines.begin() + static_cast<std::ptrdiff_t>(*header) + 1;
  const auto last = document.lines.begin() + static_cast<std::ptrdiff_t>(end);
  const auto kept =
      std::remove_if(first, last, [&](const Line& line) { return line.kind == Kind::Key && line.folded == folded; });
  if (kept == last) return true;
  document.lines.erase(kept, last);
  QString error;
  if (!ReplaceFileAtomically(path_, Serialize(document), &error)) return Fail(error);
  return true;
}

}  // namespace kalmetra
