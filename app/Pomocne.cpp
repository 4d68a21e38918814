#include "Pomocne.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include "Interakce.h"
#include "Verze.h"

namespace kalmetra {

namespace {

QString CaptionOrTitle(const QString& caption) { return caption.isEmpty() ? TitulekAplikace() : caption; }

}  // namespace

QString TitulekAplikace() { return QStringLiteral("Kalmetra"); }

void Informace(const QString& text) { Seam().ShowMessage(MessageIcon::Information, TitulekAplikace(), text); }

void InformaceTitulek(const QString& caption, const QString& text) {
  Seam().ShowMessage(MessageIcon::Information, CaptionOrTitle(caption), text);
}

void Varovani(const QString& caption, const QString& text) {
  Seam().ShowMessage(MessageIcon::Warning, CaptionOrTitle(caption), text);
}

int Dotaz(const QString& caption, const QString& text, int kind) {
  const MessageIcon icon = kind == 2 ? MessageIcon::Warning : MessageIcon::Question;
  return Seam().Ask(icon, CaptionOrTitle(caption), text) == kAnswerYes ? kAnswerYes : kAnswerNo;
}

void OtevritSoubor(const QString& target) { Seam().OpenWithDesktop(target); }

void PridatDoSeznamu(QStringList& list, const QString& text, int capacity) {
  if (capacity < 1) return;
  qsizetype found = -1;
  for (qsizetype i = 0; i < list.size() && found < 0; ++i)
    if (list.at(i).compare(text, Qt::CaseInsensitive) == 0) found = i;
  if (found >= 0) {
    list.removeAt(found);
    list.prepend(text);
  } else if (list.size() < capacity) {
    list.prepend(text);
  } else {
    list.removeLast();
    list.prepend(text);
  }
}

QString JenCislice(const QString& text) {
  QString digits;
  for (const QChar c : text)
    if (c >= QChar('0') && c <= QChar('9')) digits.append(c);
  return digits;
}

bool VytvoritPrazdnySoubor(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  file.close();
  return file.error() == QFileDevice::NoError;
}

QString FormatovatVerzi(uint32_t mostSignificantHalf) {
  return QStringLiteral("%1.%2").arg(mostSignificantHalf >> 16).arg(mostSignificantHalf & 0xFFFFu);
}

QString VerzeProgramu() {
  static_assert(KALMETRA_VERSION_MAJOR >= 0 && KALMETRA_VERSION_MAJOR <= 0xFFFF);
  static_assert(KALMETRA_VERSION_MINOR >= 0 && KALMETRA_VERSION_MINOR <= 0xFFFF);
  return FormatovatVerzi((static_cast<uint32_t>(KALMETRA_VERSION_MAJOR) << 16) |
                         static_cast<uint32_t>(KALMETRA_VERSION_MINOR));
}

QString TextOProgramu(const QString& name, const QString& buildDate) {
  const QString crlf = QStringLiteral("\r\n");
  return QStringLiteral("Název programu :  ") + name + crlf +
         QStringLiteral("Verze programu :  ") + VerzeProgramu() + crlf +
         QStringLiteral("Sestavení :  ") + buildDate + crlf +
         crlf +
         QStringLiteral("Katalog soukromé sbírky filmů") + crlf +
         crlf +
         QStringLiteral("Výrobce :  Kalmetra") + crlf +
         QStringLiteral("Autor :  vývojový tým programu Kalmetra") + crlf +
         QStringLiteral("Kontakt :  kalmetra@example.org") + crlf +
         crlf +
         QStringLiteral("© 2018 Kalmetra. Všechna práva vyhrazena.");
}

void ZobrazitOProgramu(const QString& name, const QString& buildDate) {
  InformaceTitulek(QStringLiteral("O programu"), TextOProgramu(name, buildDate));
}

QString SlozkaProgramu() { return QCoreApplication::applicationDirPath() + QStringLiteral("/"); }

QString CestaNapovedy() { return SlozkaProgramu() + QStringLiteral("Napoveda.html"); }

void Napoveda() { OtevritSoubor(CestaNapovedy()); }

bool NacistCeskePreklady(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace kalmetra
