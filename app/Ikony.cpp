#include "Ikony.h"

#include "Zdroje.h"

namespace kalmetra {

QIcon IkonaAkce(const QString& themeName, const QString& fallbackResource) {
  ZajistitZdroje();
  const QIcon fallback(fallbackResource);
  if (themeName.isEmpty()) return fallback;
  return QIcon::fromTheme(themeName, fallback);
}

QIcon IkonaAkce(const IkonaAkceInfo& info) {
  return IkonaAkce(QString::fromLatin1(info.motiv), QString::fromLatin1(info.zdroj));
}

}  // namespace kalmetra
