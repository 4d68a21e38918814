// Export of the catalogue as the grid shows it: an XML document, a semicolon-separated
// file with a header line, a tab-separated text file, an HTML table. Every writer walks
// the record set and streams its bytes into a temporary file beside the target, which
// replaces the target only when the whole export has been written.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace orvek3 {
class TRecordSet;
}

namespace kalmetra {

class THlavni;

// The export types in the order of the save dialog's type list, counted from 1.
inline constexpr int kExportXML = 1;
inline constexpr int kExportCSV = 2;
inline constexpr int kExportText = 3;
inline constexpr int kExportHTML = 4;

// The save dialog's type list: "name (*.ext)|*.ext|..." for the four types.
QString SeznamTypuExportu();
// ".xml", ".csv", ".txt" or ".html"; empty for another number.
QString PriponaTypu(int typ);
// The path with the type's extension: appended when the name has none, put in place of
// another one; the type's own extension in other letter case is kept.
QString UpravitPriponu(const QString& cesta, int typ);

// The delimited format: Windows-1250 bytes as the record set gives them, values joined
// by the separator, no quoting, blob fields empty, CR LF after every line, the field
// names as the first line when asked. Errors propagate; the target is then untouched.
// okno: the window that shows the progress (may be null).
void ExportovatText(orvek3::TRecordSet& ds, bool hlavicka, char oddelovac, const QString& soubor,
                    QWidget* okno = nullptr);
// The XML document with the given root element, one "zaznam" per record. Reports its own
// errors ("XML dokument se nepodařilo vytvořit: ...") and returns false after them.
bool ExportovatXML(orvek3::TRecordSet& ds, const QString& soubor, const QString& koren, QWidget* okno = nullptr);
// A UTF-8 HTML page with a table of the same rows and fields as the delimited format;
// popisky are the column headings by field index (the field name where one is missing).
// Errors propagate.
void ExportovatHTML(orvek3::TRecordSet& ds, const QString& soubor, const QStringList& popisky,
                    QWidget* okno = nullptr);

// The command "Export databáze" of the main window.
void Akce_ExportDat(THlavni& hlavni);

}  // namespace kalmetra
