// The record commands of the main window: moves, go to record, copying, the web lookup
// and playing, driven through their actions with the scripted seam.
#include "TestSupport.h"

#include <Hlavni_f.h>
#include <PrikazyZaznamu.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

#include "KatalogFixture.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

class PrikazyZaznamuTest : public test::KatalogFixture {
 protected:
  static void Run(THlavni& h, const char* action) { h.Akce(QLatin1String(action))->trigger(); }
  static QString Info(const test::ScriptedSeam& seam) {
    const auto& calls = seam.Calls();
    if (calls.empty() || calls.back().kind != CallKind::Message) return {};
    EXPECT_EQ(calls.back().icon, MessageIcon::Information);
    EXPECT_EQ(calls.back().caption, "Kalmetra");
    return calls.back().text;
  }
};

TEST_F(PrikazyZaznamuTest, MovesStopAtBothEnds) {
  MakeCatalogue(3);
  ScopedScriptedSeam seam;
  auto h = Start();
  Run(*h, "Akce_PosledniZaznam");
  EXPECT_EQ(h->DataSet1.RecNo(), 3);
  // Next is disabled at the end; the command itself must not leave the set past it.
  NasledujiciZaznam(*h);
  EXPECT_EQ(h->DataSet1.RecNo(), 3);
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsString(), "3");
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "3 z 3");
  Run(*h, "Akce_PrvniZaznam");
  PredchazejiciZaznam(*h);
  EXPECT_EQ(h->DataSet1.RecNo(), 1);
  Run(*h, "Akce_NasledujiciZaznam");
  EXPECT_EQ(h->DataSet1.RecNo(), 2);
  Run(*h, "Akce_PredchazejiciZaznam");
  EXPECT_EQ(h->DataSet1.RecNo(), 1);
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(PrikazyZaznamuTest, GoToRecordReadsDigitsAndChecksTheRange) {
  MakeCatalogue(20);
  ScopedScriptedSeam seam;
  auto h = Start();
  struct Case {
    std::optional<QString> answer;
    int recordAfter;
    QString message;
  } cases[] = {
      {QStringLiteral("12a"), 12, {}},
      {QStringLiteral("-3"), 3, {}},
      {QStringLiteral("3"), 3, {}},  // the current position given back
      {QStringLiteral("abc"), 3, QStringLiteral("Byl zadán neplatný výraz.")},
      {QString(), 3, QStringLiteral("Nebyla zadaná žádná hodnota.")},
      {QStringLiteral("0"), 3, QStringLiteral("Zadali jste hodnotu mimo povolený rozsah")},
      {QStringLiteral("21"), 3, QStringLiteral("Zadali jste hodnotu mimo povolený rozsah")},
      {QStringLiteral("4294967299"), 3, QStringLiteral("Zadali jste hodnotu mimo povolený rozsah")},
      {QStringLiteral("00020"), 20, {}},
      {std::nullopt, 20, {}},
  };
  for (const Case& c : cases) {
    const int before = h->DataSet1.RecNo();
    seam->QueuePrompt(c.answer);
    const size_t calls = seam->Calls().size();
    Run(*h, "Akce_PrejitNaZaznam");
    SCOPED_TRACE(c.answer.value_or(QStringLiteral("<cancel>")).toStdString());
    const test::SeamCall& prompt = seam->Calls().at(calls);
    EXPECT_EQ(prompt.kind, CallKind::Prompt);
    EXPECT_EQ(prompt.caption, QStringLiteral("Přejít na záznam ..."));
    EXPECT_EQ(prompt.text, QStringLiteral("Zadejte pořadí záznamu od 1 do 20  :"));
    EXPECT_EQ(prompt.value, QString::number(before));
    EXPECT_EQ(seam->Calls().size(), calls + (c.message.isEmpty() ? 1 : 2));
    if (!c.message.isEmpty()) {
      EXPECT_EQ(Info(*seam), c.message);
    }
    EXPECT_EQ(h->DataSet1.RecNo(), c.recordAfter);
    EXPECT_EQ(h->DataSet1.FieldByName("Id").AsString(), std::to_string(c.recordAfter));
  }
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "20 z 20");
}

TEST_F(PrikazyZaznamuTest, GoToRecordInAnEmptyCatalogue) {
  ScopedScriptedSeam seam;
  auto h = Start();
  seam->QueuePrompt(QStringLiteral("1"));
  seam->QueuePrompt(QStringLiteral("2"));
  Run(*h, "Akce_PrejitNaZaznam");
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Zadejte pořadí záznamu od 1 do 0  :"));
  EXPECT_EQ(seam->Calls()[0].value, "1");
  Run(*h, "Akce_PrejitNaZaznam");
  EXPECT_EQ(Info(*seam), QStringLiteral("Zadali jste hodnotu mimo povolený rozsah"));
}

TEST_F(PrikazyZaznamuTest, CopiesTheWholeRecordWithHiddenFieldsAndTheTitle) {
  MakeCatalogue(7);
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_TRUE(h->Skryt[kPocetPoli - 1]);  // the location is not in the grid
  h->DataSet1.Last();
  Run(*h, "Akce_KopirovatText");
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Id: 7\r\nTitul: Žluťoučký film 7\r\nRok: 1957\r\nStopáž: 97\r\n"
                                              "Žánr: Zanr 7\r\nPůvod: Puvod 7\r\nRežie: Rezie 7\r\n"
                                              "Obsazení: Obsazeni 7\r\nKomentář: Koment 7\r\nUmístění: \r\n"));
  Run(*h, "Akce_KopirovatTitul");
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Žluťoučký film 7"));
  EXPECT_EQ(h->Akce("Akce_KopirovatText")->shortcut(), QKeySequence(QStringLiteral("Shift+Ctrl+C")));
}

TEST_F(PrikazyZaznamuTest, WebLookupPutsTheTitleOnTheClipboardAndOpensTheAddressUnchanged) {
  MakeCatalogue(2);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->VychoziAdresaWWWW.clear();
  seam->SetClipboardText(QStringLiteral("dřív"));
  Run(*h, "Akce_VyvolatWWW");
  EXPECT_EQ(Info(*seam), QStringLiteral("Není zadaná žádná výchozí internetová adresa pro filmovou databázi."));
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("dřív"));

  h->VychoziAdresaWWWW = QStringLiteral("https://www.csfd.cz/hledat/?q=");
  h->DataSet1.Next();
  Run(*h, "Akce_VyvolatWWW");
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Žluťoučký film 2"));
  EXPECT_EQ(seam->Calls().back().kind, CallKind::OpenWithDesktop);
  EXPECT_EQ(seam->Calls().back().text, QStringLiteral("https://www.csfd.cz/hledat/?q="));
}

TEST_F(PrikazyZaznamuTest, PlayOpensOnlyAnExistingFile) {
  MakeCatalogue(1);
  ScopedScriptedSeam seam;
  auto h = Start();
  const QString film = dir_ + QStringLiteral("Pelíšky.avi");
  QFile f(film);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  ASSERT_TRUE(QDir(dir_).mkdir(QStringLiteral("Slozka")));
  const QString paths[] = {film, dir_ + QStringLiteral("Slozka"), dir_ + QStringLiteral("Presunuty.avi"), QString()};
  for (const QString& path : paths) {
    h->DataSet1.Edit();
    h->DataSet1.FieldByName("Umisteni").SetAsString(ToAnsi(path));
    h->DataSet1.Post();
    const size_t calls = seam->Calls().size();
    Prehrat(*h);
    ASSERT_EQ(seam->Calls().size(), calls + 1) << path.toStdString();
    if (path == film) {
      EXPECT_EQ(seam->Calls().back().kind, CallKind::OpenWithDesktop);
      EXPECT_EQ(seam->Calls().back().text, film);
    } else {
      EXPECT_EQ(Info(*seam), QStringLiteral("Soubor neexistuje, nebo je chybně zadaná cesta.")) << path.toStdString();
    }
  }
}

}  // namespace
}  // namespace kalmetra
