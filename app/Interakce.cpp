#include "Interakce.h"

#include "InterakceQt.h"

namespace kalmetra {

namespace {

std::unique_ptr<UserInteraction>& Installed() {
  static std::unique_ptr<UserInteraction> seam;
  return seam;
}

}  // namespace

UserInteraction& Seam() {
  std::unique_ptr<UserInteraction>& seam = Installed();
  if (!seam) seam = std::make_unique<QtInteraction>();
  return *seam;
}

std::unique_ptr<UserInteraction> SetSeam(std::unique_ptr<UserInteraction> seam) {
  std::unique_ptr<UserInteraction> previous = std::move(Installed());
  Installed() = std::move(seam);
  return previous;
}

std::vector<FileType> ParseFileTypes(const QString& list) {
  std::vector<FileType> types;
  const QStringList parts = list.split(QChar('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) types.push_back({parts[i], parts[i + 1]});
  return types;
}

}  // namespace kalmetra
