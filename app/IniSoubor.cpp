#include "IniSoubor.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platforma.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

// One line of the file as it stands, its terminator kept apart ("\r\n", "\n" or none).
struct Line {
  std::string text;
  std::string eol;
};

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed, surrounding quotes removed
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

Parsed Parse(std::string_view text, bool firstLine) {
  Parsed parsed;
  // A byte-order mark some editors put first is not part of the first line's content.
  if (firstLine && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  text = Trim(text);
  if (text.empty() || text.front() == ';' || text.front() == '#') return parsed;
  if (text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return parsed;
    const std::string_view name = Trim(text.substr(1, close - 1));
    if (name.empty()) return parsed;
    parsed.kind = Kind::Section;
    parsed.name = name;
    return parsed;
  }
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  const std::string_view name = Trim(text.substr(0, equals));
  if (name.empty()) return parsed;
  std::string_view value = Trim(text.substr(equals + 1));
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  parsed.kind = Kind::Key;
  parsed.name = name;
  parsed.value = value;
  return parsed;
}

Document Load(const QString& path) {
  Document document;
  QFile file(path);
  if (!QFileInfo::exists(path)) return document;
  document.exists = true;
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
    document.readable = false;
    document.error = QStringLiteral("Soubor nastavení \"%1\" nelze přečíst: %2")
                         .arg(path, QFileInfo(path).isDir() ? QStringLiteral("je to složka") : file.errorString());
    return document;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    document.readable = false;
    document.error = QStringLiteral("Soubor nastavení \"%1\" nelze přečíst: %2").arg(path, file.errorString());
    return document;
  }
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
    document.lines.push_back(std::move(line));
  }
  return document;
}

bool SameName(const std::string& inFile, const QString& wanted) {
  return FromAnsi(inFile).compare(wanted, Qt::CaseInsensitive) == 0;
}

Parsed ParseAt(const Document& document, size_t index) { return Parse(document.lines[index].text, index == 0); }

// Index of the first header of the section, or nothing.
std::optional<size_t> FindSection(const Document& document, const QString& section) {
  for (size_t i = 0; i < document.lines.size(); ++i) {
    const Parsed parsed = ParseAt(document, i);
    if (parsed.kind == Kind::Section && SameName(parsed.name, section)) return i;
  }
  return std::nullopt;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const Document& document, size_t header) {
  size_t i = header + 1;
  while (i < document.lines.size() && ParseAt(document, i).kind != Kind::Section) ++i;
  return i;
}

// The key lines of the first section of that name, in file order, each key once.
std::vector<Parsed> SectionKeys(const Document& document, const QString& section) {
  std::vector<Parsed> keys;
  const std::optional<size_t> header = FindSection(document, section);
  if (!header) return keys;
  const size_t end = SectionEnd(document, *header);
  std::vector<QString> seen;
  for (size_t i = *header + 1; i < end; ++i) {
    Parsed parsed = ParseAt(document, i);
    if (parsed.kind != Kind::Key) continue;
    const QString name = FromAnsi(parsed.name);
    bool duplicate = false;
    for (const QString& other : seen) duplicate = duplicate || other.compare(name, Qt::CaseInsensitive) == 0;
    if (duplicate) continue;
    seen.push_back(name);
    keys.push_back(std::move(parsed));
  }
  return keys;
}

std::optional<std::string> FindValue(const QString& path, const QString& section, const QString& key) {
  const Document document = Load(path);
  for (const Parsed& parsed : SectionKeys(document, section))
    if (SameName(parsed.name, key)) return parsed.value;
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
  QStringList names;
  for (const Parsed& parsed : SectionKeys(Load(path_), section)) names.append(FromAnsi(parsed.name));
  return names;
}

std::vector<std::pair<QString, QString>> ProfileFile::ReadSectionValues(const QString& section) const {
  std::vector<std::pair<QString, QString>> values;
  for (const Parsed& parsed : SectionKeys(Load(path_), section))
    values.emplace_back(FromAnsi(parsed.name), FromAnsi(parsed.value));
  return values;
}

QStringList ProfileFile::ReadSections() const {
  const Document document = Load(path_);
  QStringList names;
  for (size_t i = 0; i < document.lines.size(); ++i) {
    const Parsed parsed = ParseAt(document, i);
    if (parsed.kind != Kind::Section) continue;
    const QString name = FromAnsi(parsed.name);
    if (!names.contains(name, Qt::CaseInsensitive)) names.append(name);
  }
  return names;
}

bool ProfileFile::SectionExists(const QString& section) const { return FindSection(Load(path_), section).has_value(); }

bool ProfileFile::ValueExists(const QString& section, const QString& key) const {
  return FindValue(path_, section, key).has_value();
}

namespace {

// Puts the value of the key into the loaded file; the reason when it cannot be stored.
std::optional<QString> SetValue(Document& document, const QString& section, const QString& key, const QString& value) {
  if (section.trimmed().isEmpty() || HasOuterBlank(section) || section.contains(QChar(']')) ||
      HasLineBreakOrZero(section))
    return QStringLiteral("Neplatný název oddílu \"%1\".").arg(section);
  if (key.trimmed().isEmpty() || HasOuterBlank(key) || key.contains(QChar('=')) || key.startsWith(QChar('[')) ||
      key.startsWith(QChar(';')) || key.startsWith(QChar('#')) || HasLineBreakOrZero(key))
    return QStringLiteral("Neplatný název klíče \"%1\".").arg(key);
  if (HasLineBreakOrZero(value))
    return QStringLiteral("Hodnotu klíče \"%1\" nelze uložit: obsahuje konec řádku.").arg(key);

  std::string ansiSection, ansiKey, ansiValue;
  QString unsupported;
  if (!TryToAnsi(section, ansiSection, &unsupported) || !TryToAnsi(key, ansiKey, &unsupported) ||
      !TryToAnsi(value, ansiValue, &unsupported))
    return QStringLiteral("Text nelze uložit, kódování Windows-1250 neobsahuje znaky: %1").arg(unsupported);

  const std::string newLine = document.newLine;
  auto terminateLast = [&] {
    if (!document.lines.empty() && document.lines.back().eol.empty()) document.lines.back().eol = newLine;
  };

  const std::optional<size_t> header = FindSection(document, section);
  if (!header) {
    terminateLast();
    document.lines.push_back({"[" + ansiSection + "]", newLine});
    document.lines.push_back({ansiKey + "=" + EncodeValue(ansiValue), newLine});
  } else {
    const size_t end = SectionEnd(document, *header);
    size_t lastContent = *header;
    bool replaced = false;
    for (size_t i = *header + 1; i < end && !replaced; ++i) {
      const Parsed parsed = ParseAt(document, i);
      if (parsed.kind == Kind::Key && SameName(parsed.name, key)) {
        // The key keeps the spelling it has in the file.
        document.lines[i].text = parsed.name + "=" + EncodeValue(ansiValue);
        replaced = true;
      }
      if (!Trim(document.lines[i].text).empty()) lastContent = i;
    }
    if (!replaced) {
      // After the section's last non-blank line, so blank lines before the next section stay.
      if (document.lines[lastContent].eol.empty()) document.lines[lastContent].eol = newLine;
      document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(lastContent) + 1,
                            Line{ansiKey + "=" + EncodeValue(ansiValue), newLine});
    }
  }

  return std::nullopt;
}

}  // namespace

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
  return WriteStrings(section, {{key, value}});
}

bool ProfileFile::WriteStrings(const QString& section, const std::vector<std::pair<QString, QString>>& values) {
  lastError_.clear();
  Document document = Load(path_);
  if (!document.readable) return Fail(document.error);
  for (const auto& [key, value] : values)
    if (const std::optional<QString> problem = SetValue(document, section, key, value)) return Fail(*problem);
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
  bool changed = false;
  for (std::optional<size_t> header = FindSection(document, section); header;
       header = FindSection(document, section)) {
    const size_t end = SectionEnd(document, *header);
    document.lines.erase(document.lines.begin() + static_cast<std::ptrdiff_t>(*header),
                         document.lines.begin() + static_cast<std::ptrdiff_t>(end));
    changed = true;
  }
  if (!changed) return true;
  QString error;
  if (!ReplaceFileAtomically(path_, Serialize(document), &error)) return Fail(error);
  return true;
}

bool ProfileFile::DeleteKey(const QString& section, const QString& key) {
  lastError_.clear();
  Document document = Load(path_);
  if (!document.exists) return true;
  if (!document.readable) return Fail(document.error);
  const std::optional<size_t> header = FindSection(document, section);
  if (!header) return true;
  bool changed = false;
  size_t end = SectionEnd(document, *header);
  for (size_t i = *header + 1; i < end;) {
    const Parsed parsed = ParseAt(document, i);
    if (parsed.kind == Kind::Key && SameName(parsed.name, key)) {
      document.lines.erase(document.lines.begin() + static_cast<std::ptrdiff_t>(i));
      --end;
      changed = true;
    } else {
      ++i;
    }
  }
  if (!changed) return true;
  QString error;
  if (!ReplaceFileAtomically(path_, Serialize(document), &error)) return Fail(error);
  return true;
}

}  // namespace kalmetra
