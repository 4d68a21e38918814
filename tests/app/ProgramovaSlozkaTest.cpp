// The build output folder of the program is a complete program folder, and the icons
// and the help page it relies on are there.
#include "TestSupport.h"

#include <Ikony.h>
#include <Zdroje.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace kalmetra {
namespace {

const QString kProgramDir = QStringLiteral(KALMETRA_PROGRAM_DIR);

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ProgramovaSlozka, HoldsTheProgramTheLibraryTheHelpAndSes) {
  const QFileInfo program(kProgramDir + "/" KALMETRA_PROGRAM_FILE);
  EXPECT_TRUE(program.isFile() && program.isExecutable()) << program.filePath().toStdString();
  EXPECT_TRUE(QFileInfo(kProgramDir + "/" KALMETRA_SQLITE_LIBNAME).isFile());
  EXPECT_TRUE(QFileInfo(kProgramDir + "/Ses").isDir());
  const QByteArray help = ReadAll(kProgramDir + "/Napoveda.html");
  ASSERT_FALSE(help.isEmpty());
  EXPECT_EQ(help, ReadAll(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/napoveda/Napoveda.html")));
}

TEST(ProgramovaSlozka, HoldsNothingOfTheBuild) {
  // What the build puts there, and what running the program writes beside it.
  const QStringList allowed = {QStringLiteral(KALMETRA_PROGRAM_FILE), QStringLiteral(KALMETRA_SQLITE_LIBNAME),
                               "Ses", "Napoveda.html", "kalmetra.png", "kalmetra.svg",
                               "Kalmetra.sqlite", "Kalmetra.ini", "Zanr.txt", "Sestavy.ini"};
  const QStringList entries = QDir(kProgramDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) EXPECT_TRUE(allowed.contains(entry)) << entry.toStdString();
  for (const QFileInfo& entry : QDir(kProgramDir + "/Ses").entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
    EXPECT_TRUE(entry.isFile() && entry.suffix() == "ksr") << entry.fileName().toStdString();
  EXPECT_FALSE(QImage(kProgramDir + "/kalmetra.png").isNull());
}

TEST(ProgramovaSlozka, HelpPageIsCzechAndCoversTheCommands) {
  const QString help = QString::fromUtf8(ReadAll(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/napoveda/Napoveda.html")));
  EXPECT_TRUE(help.contains(R"(<html lang="cs">)"));
  EXPECT_TRUE(help.contains(R"(<meta charset="utf-8">)"));
  for (const QString& topic : {QStringLiteral("Nový záznam"), QStringLiteral("Editovat záznam"),
                               QStringLiteral("Odstranit záznam"), QStringLiteral("Hledat další"),
                               QStringLiteral("Třídění a řazení"), QStringLiteral("Zrušit filtr"),
                               QStringLiteral("Export databáze"), QStringLiteral("Import databáze"),
                               QStringLiteral("Náhled a tisk sestav"), QStringLiteral("Konfigurace"),
                               QStringLiteral("<kbd>F3</kbd>"), QStringLiteral("<kbd>Ins</kbd>")})
    EXPECT_TRUE(help.contains(topic)) << topic.toStdString();
  EXPECT_FALSE(help.contains(QChar(0xFFFD))) << "valid UTF-8";
}

TEST(Ikony, EveryFallbackIconIsShippedAt16And32Pixels) {
  ZajistitZdroje();
  for (const IkonaAkceInfo& info : ikony::Vsechny) {
    const QString resource = QString::fromLatin1(info.zdroj);
    const QImage small(resource);
    ASSERT_FALSE(small.isNull()) << info.zdroj;
    EXPECT_EQ(small.size(), QSize(16, 16)) << info.zdroj;
    QString large = resource;
    large.replace(".png", "@2x.png");
    EXPECT_EQ(QImage(large).size(), QSize(32, 32)) << large.toStdString();
    // Not blank: some pixel is drawn.
    bool drawn = false;
    for (int y = 0; y < 16 && !drawn; ++y)
      for (int x = 0; x < 16 && !drawn; ++x) drawn = qAlpha(small.pixel(x, y)) > 0;
    EXPECT_TRUE(drawn) << info.zdroj;
  }
}

TEST(Ikony, FallbackIsUsedWhenTheThemeLacksTheIcon) {
  const QString savedTheme = QIcon::themeName();
  QIcon::setThemeName(QStringLiteral("kalmetra-bez-motivu"));
  const QIcon icon = IkonaAkce("kalmetra-neexistujici-ikona", ikony::Novy.zdroj);
  EXPECT_FALSE(icon.isNull());
  const QImage shown = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage shipped = QImage(QString::fromLatin1(ikony::Novy.zdroj)).convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(shown, shipped);
  EXPECT_FALSE(IkonaAkce("", ikony::Konec.zdroj).isNull());
  EXPECT_FALSE(IkonaAkce(ikony::Hledat).isNull());
  QIcon::setThemeName(savedTheme);
}

}  // namespace
}  // namespace kalmetra

namespace kalmetra {
namespace {

TEST(ProgramovaSlozka, SesHoldsTheShippedTemplates) {
  const QDir shipped(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy"));
  const QStringList files = shipped.entryList({QStringLiteral("*.ksr")}, QDir::Files);
  EXPECT_EQ(files.size(), 3);
  for (const QString& file : files) {
    EXPECT_EQ(ReadAll(kProgramDir + "/Ses/" + file), ReadAll(shipped.filePath(file))) << file.toStdString();
  }
}

}  // namespace
}  // namespace kalmetra
