// The genre list "Zanr.txt" over fuzzed contents: read from the file as the dialog reads
// it, written back as the dialog writes it, and read again to the same genres.
#include <Ciselnik_f.h>
#include <Katalog.h>

#include <cstdlib>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kalmetra::fuzz::StartQt();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = kalmetra::fuzz::WriteInput(QString::fromLatin1(kalmetra::kSouborZanru), data, size);
  QStringList lines;
  QString error;
  // A list beyond the limits is refused, with a reason.
  if (!kalmetra::NacistCiselnik(path, lines, &error)) {
    if (error.isEmpty()) std::abort();
    return 0;
  }
  for (const QString& line : lines)
    if (line.contains(QChar(u'\r')) || line.contains(QChar(u'\n')) || line.contains(QChar(u'\0'))) std::abort();
  // Whatever was read holds only what the code page holds, so it can be stored, and the
  // stored text reads back to the same lines.
  QByteArray bytes;
  if (!kalmetra::TextCiselniku(lines, bytes)) std::abort();
  if (kalmetra::RadkyCiselniku(bytes) != lines) std::abort();
  return 0;
}
