#include "TestSupport.h"

#include <Pomocne.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

TEST(Zpravy, InformaceUsesTheApplicationTitle) {
  ScopedScriptedSeam seam;
  Informace(QStringLiteral("Nebyla zadaná žádná hodnota."));
  ASSERT_EQ(seam->Calls().size(), 1u);
  const auto& call = seam->Calls()[0];
  EXPECT_EQ(call.kind, CallKind::Message);
  EXPECT_EQ(call.icon, MessageIcon::Information);
  EXPECT_EQ(call.caption, "Kalmetra");
  EXPECT_EQ(call.text, QStringLiteral("Nebyla zadaná žádná hodnota."));
}

TEST(Zpravy, CaptionGivenOrTheApplicationTitle) {
  ScopedScriptedSeam seam;
  InformaceTitulek(QStringLiteral("O programu"), "a");
  InformaceTitulek(QString(), "b");
  Varovani(QStringLiteral("Varování"), "c");
  Varovani(QString(), "d");
  ASSERT_EQ(seam->Calls().size(), 4u);
  EXPECT_EQ(seam->Calls()[0].caption, "O programu");
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
  EXPECT_EQ(seam->Calls()[1].caption, "Kalmetra");
  EXPECT_EQ(seam->Calls()[2].caption, QStringLiteral("Varování"));
  EXPECT_EQ(seam->Calls()[2].icon, MessageIcon::Warning);
  EXPECT_EQ(seam->Calls()[3].caption, "Kalmetra");
  EXPECT_EQ(seam->Calls()[3].icon, MessageIcon::Warning);
  for (const auto& call : seam->Calls()) EXPECT_EQ(call.kind, CallKind::Message);
}

TEST(Zpravy, DotazReturnsSixForYesAndSevenForNo) {
  ScopedScriptedSeam seam;
  seam->QueueAnswer(kAnswerYes);
  seam->QueueAnswer(kAnswerNo);
  seam->QueueAnswer(0);  // anything a seam might give besides Yes counts as No
  EXPECT_EQ(Dotaz(QStringLiteral("Mazání záznamu"), QStringLiteral("Opravdu chcete odstranit aktuální záznam?"), 2), 6);
  EXPECT_EQ(Dotaz(QStringLiteral("V textu byly provedeny změny"), QStringLiteral("Chcete tyto změny uložit?"), 1), 7);
  EXPECT_EQ(Dotaz(QString(), "x", 1), 7);
  ASSERT_EQ(seam->Calls().size(), 3u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::Question);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(seam->Calls()[0].caption, QStringLiteral("Mazání záznamu"));
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Opravdu chcete odstranit aktuální záznam?"));
  EXPECT_EQ(seam->Calls()[1].icon, MessageIcon::Question);
  EXPECT_EQ(seam->Calls()[2].caption, "Kalmetra");
  EXPECT_TRUE(seam->AllAnswersUsed());
}

TEST(ScriptedSeamTest, AnUnscriptedQuestionFailsTheTest) {
  test::ScriptedSeam seam;
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = seam.Ask(MessageIcon::Question, "c", "neocekavany dotaz"), "unexpected question");
  EXPECT_EQ(answer, kAnswerNo);
  EXPECT_NONFATAL_FAILURE(seam.Prompt("c", "l", "v"), "unexpected prompt");
}

TEST(Shell, OtevritSouborPassesTheTargetUnchanged) {
  ScopedScriptedSeam seam;
  OtevritSoubor(QStringLiteral("https://www.csfd.cz/"));
  OtevritSoubor(QStringLiteral("/filmy/Pelíšky (1999).mkv"));
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::OpenWithDesktop);
  EXPECT_EQ(seam->Calls()[0].text, "https://www.csfd.cz/");
  EXPECT_EQ(seam->Calls()[1].text, QStringLiteral("/filmy/Pelíšky (1999).mkv"));
}

TEST(Shell, HelpOpensTheShippedPageInTheProgramFolder) {
  ScopedScriptedSeam seam;
  Napoveda();
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::OpenWithDesktop);
  EXPECT_EQ(seam->Calls()[0].text, QCoreApplication::applicationDirPath() + "/Napoveda.html");
  EXPECT_TRUE(SlozkaProgramu().endsWith('/'));
}

TEST(Seznam, FoundInOtherCaseIsReplacedByTheNewWriting) {
  QStringList list{"film", "KINO", "serial"};
  PridatDoSeznamu(list, "kino", 20);
  EXPECT_EQ(list, (QStringList{"kino", "film", "serial"}));
}

TEST(Seznam, NewTextIntoAFullListDropsTheLast) {
  QStringList list;
  for (int i = 1; i <= 20; ++i) list.append(QString::number(i));
  QStringList expected{"novy"};
  expected.append(list.mid(0, 19));
  PridatDoSeznamu(list, "novy", 20);
  EXPECT_EQ(list, expected);
}

TEST(Seznam, TopTextWrittenTheSameWayLeavesTheListUnchanged) {
  QStringList list{"a", "b", "c"};
  PridatDoSeznamu(list, "a", 20);
  EXPECT_EQ(list, (QStringList{"a", "b", "c"}));
}

TEST(Seznam, NewTextIntoAListWithRoomGrowsIt) {
  QStringList list{"a", "b"};
  PridatDoSeznamu(list, "c", 3);
  EXPECT_EQ(list, (QStringList{"c", "a", "b"}));
  PridatDoSeznamu(list, "B", 3);
  EXPECT_EQ(list, (QStringList{"B", "c", "a"}));
  QStringList empty;
  PridatDoSeznamu(empty, "x", 20);
  EXPECT_EQ(empty, QStringList{"x"});
}

TEST(Seznam, CzechLettersMatchWithoutRegardToCase) {
  QStringList list{QStringLiteral("Žánr"), QStringLiteral("ČESKÝ FILM")};
  PridatDoSeznamu(list, QStringLiteral("český film"), 20);
  EXPECT_EQ(list, (QStringList{QStringLiteral("český film"), QStringLiteral("Žánr")}));
}

TEST(Seznam, ListLongerThanTheCapacityKeepsItsLength) {
  QStringList list{"a", "b", "c", "d"};
  PridatDoSeznamu(list, "e", 2);
  EXPECT_EQ(list, (QStringList{"e", "a", "b", "c"}));
}

TEST(Seznam, CapacityBelowOneKeepsNothingAndDoesNotFail) {
  QStringList empty;
  PridatDoSeznamu(empty, "x", 0);
  EXPECT_TRUE(empty.isEmpty());
  QStringList list{"a"};
  PridatDoSeznamu(list, "b", -1);
  EXPECT_EQ(list, QStringList{"a"});
}

TEST(Text, JenCislice) {
  EXPECT_EQ(JenCislice("12a3"), "123");
  EXPECT_EQ(JenCislice("-5"), "5");
  EXPECT_EQ(JenCislice("abc"), "");
  EXPECT_EQ(JenCislice(""), "");
  EXPECT_EQ(JenCislice(" 0 0 7 "), "007");
  // Only the ASCII digits count, not the digits of other scripts.
  EXPECT_EQ(JenCislice(QStringLiteral("4\u0661\u0662²5")), "45");
}

TEST(Soubory, VytvoritPrazdnySoubor) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath(QStringLiteral("Zanr.txt"));
  ScopedScriptedSeam seam;
  EXPECT_TRUE(VytvoritPrazdnySoubor(path));
  EXPECT_TRUE(QFileInfo::exists(path));
  EXPECT_EQ(QFileInfo(path).size(), 0);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Drama\r\nKomedie\r\n");
  }
  EXPECT_TRUE(VytvoritPrazdnySoubor(path));
  EXPECT_EQ(QFileInfo(path).size(), 0) << "an existing file is emptied";
  EXPECT_FALSE(VytvoritPrazdnySoubor(folder.filePath(QStringLiteral("neni/Zanr.txt"))));
  EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("neni"))));
  EXPECT_TRUE(seam->Calls().empty()) << "nothing is reported";
}

TEST(Soubory, VytvoritPrazdnySouborInAReadOnlyFolder) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const QString path = folder.filePath(QStringLiteral("Zanr.txt"));
  ScopedScriptedSeam seam;
  const bool created = VytvoritPrazdnySoubor(path);
  const bool bindsUser = !created;
  QFile::remove(path);
  QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (!bindsUser) GTEST_SKIP() << "folder permissions do not bind this user (root)";
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST(Verze, VerzeProgramuIsMajorDotMinor) {
  EXPECT_EQ(VerzeProgramu(), "2.0");
  EXPECT_EQ(FormatovatVerzi(0x00020000u), "2.0");
  EXPECT_EQ(FormatovatVerzi(0x0003000Au), "3.10");
  EXPECT_EQ(FormatovatVerzi(0xFFFF0001u), "65535.1");
}

TEST(OProgramu, TextBeginsWithNameVersionAndBuildDate) {
  const QString text = TextOProgramu("Kalmetra", kDatumSestaveni);
  const QStringList lines = text.split("\r\n");
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines[0], QStringLiteral("Název programu :  Kalmetra"));
  EXPECT_EQ(lines[1], QStringLiteral("Verze programu :  2.0"));
  EXPECT_EQ(lines[2], QStringLiteral("Sestavení :  2018-03-20"));
  EXPECT_EQ(lines[3], "");
  EXPECT_FALSE(lines[4].isEmpty()) << "the credits follow";
  EXPECT_FALSE(text.contains(QRegularExpression("[^\r]\n"))) << "lines are separated by CR LF only";
}

TEST(OProgramu, ShownAsInformationCaptionedOProgramu) {
  ScopedScriptedSeam seam;
  ZobrazitOProgramu("Kalmetra", kDatumSestaveni);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::Message);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
  EXPECT_EQ(seam->Calls()[0].caption, "O programu");
  EXPECT_EQ(seam->Calls()[0].text, TextOProgramu("Kalmetra", kDatumSestaveni));
}

TEST(Preklady, QtsOwnCzechTextsLoad) {
  ASSERT_TRUE(NacistCeskePreklady(*QCoreApplication::instance()));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Hledat v:"));
}

}  // namespace
}  // namespace kalmetra
