// The settings file over fuzzed contents: every section and key the file names is read
// back through the reader's whole interface, and so are the keys the program itself reads.
#include <IniSoubor.h>
#include <Katalog.h>

#include <algorithm>
#include <cstdlib>

#include "FuzzSupport.h"

namespace {

// Enough to reach every kind of line without making one input cost as much as a
// thousand; the reader opens the file anew for every call.
constexpr qsizetype kMostSections = 8;
constexpr qsizetype kMostKeys = 8;

void ReadKey(const kalmetra::ProfileFile& file, const QString& section, const QString& key) {
  // Two defaults tell a missing key from any stored value.
  const QString a = QStringLiteral("\x01"), b = QStringLiteral("\x02");
  const bool found = file.ReadString(section, key, a) != a || file.ReadString(section, key, b) != b;
  if (found != file.ValueExists(section, key)) std::abort();
  (void)file.ReadInteger(section, key, -7);
  (void)file.ReadBool(section, key, true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kalmetra::fuzz::StartQt();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kalmetra::ProfileFile file(kalmetra::fuzz::WriteInput(QString::fromLatin1(kalmetra::kSouborNastaveni), data, size));
  const QStringList sections = file.ReadSections();
  for (qsizetype s = 0; s < std::min(sections.size(), kMostSections); ++s) {
    const QString& section = sections[s];
    if (!file.SectionExists(section)) std::abort();
    const QStringList keys = file.ReadSection(section);
    const auto values = file.ReadSectionValues(section);
    if (values.size() != static_cast<size_t>(keys.size())) std::abort();
    for (qsizetype k = 0; k < std::min(keys.size(), kMostKeys); ++k) {
      if (values[static_cast<size_t>(k)].first != keys[k]) std::abort();
      ReadKey(file, section, keys[k]);
    }
  }
  // What the main window reads at start.
  for (const kalmetra::PoleKatalogu& pole : kalmetra::kPoleKatalogu) {
    ReadKey(file, QString::fromLatin1(kalmetra::kOddilSirkyPoli), QString::fromLatin1(pole.nazev));
    if (pole.klicSkryti != nullptr)
      ReadKey(file, QString::fromLatin1(kalmetra::kOddilUsporadaniPoli), QString::fromLatin1(pole.klicSkryti));
  }
  return 0;
}
