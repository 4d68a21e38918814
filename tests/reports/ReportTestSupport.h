// Shared helpers of the report tests: templates from text or from the shipped files, and
// an in-memory film list shaped like the catalogue.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <ostream>

#include "prepare.h"
#include "sql_text.h"
#include "template.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace rpt::test {

inline QString ShippedTemplatePath(const QString& file) {
  return QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/") + file;
}

inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// UTF-8 template text (the reader accepts UTF-8) compiled, or an empty report on failure.
inline ReportDef Compile(const QByteArray& xml, QString* error = nullptr) {
  XmlNode root;
  ReportDef def;
  QString why;
  if (!ReadTemplateXml(xml, root, &why) || !CompileTemplate(root, def, &why)) {
    if (error) *error = why;
    return ReportDef{};
  }
  return def;
}

inline ReportDef CompileShipped(const QString& file) {
  QString error;
  ReportDef def = Compile(ReadBytes(ShippedTemplatePath(file)), &error);
  if (def.pages.empty()) ADD_FAILURE() << "cannot load " << file.toStdString() << ": " << error.toStdString();
  return def;
}

inline const QStringList& FilmFields() {
  static const QStringList fields{"Id", "Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"};
  return fields;
}

inline QString FilmTitle(int i) { return QStringLiteral("Film č. %1 Žluťoučký kůň").arg(i, 3, 10, QChar(u'0')); }

// count films; genre cycles through the given list (already in group order when
// genresInBlocks is set).
inline MemorySource Films(int count, const QStringList& genres = {QStringLiteral("Drama")}, bool genresInBlocks = false) {
  MemorySource s(QStringLiteral("RptDataset1"), FilmFields());
  for (int i = 1; i <= count; ++i) {
    const int g = genresInBlocks ? (i - 1) * static_cast<int>(genres.size()) / count : (i - 1) % static_cast<int>(genres.size());
    s.AddRow({QString::number(i), FilmTitle(i), QString::number(1950 + i % 70), QString::number(80 + i % 60),
              genres[g], QStringLiteral("Česko"), QStringLiteral("Režisér %1").arg(i), QStringLiteral("Herec A, Herečka B"),
              QStringLiteral("Komentář"), QStringLiteral("/filmy/%1.mkv").arg(i)});
  }
  return s;
}

// All text runs of a page joined by newlines.
inline QStringList PageTexts(const PreparedReport& r, size_t page) {
  QStringList out;
  for (const PreparedItem& it : r.pages[page].items)
    if (it.kind == ItemKind::Text) out << it.text;
  return out;
}

inline const PreparedItem* FindRun(const PreparedReport& r, size_t page, const QString& text) {
  for (const PreparedItem& it : r.pages[page].items)
    if (it.kind == ItemKind::Text && it.text == text) return &it;
  return nullptr;
}

}  // namespace rpt::test
