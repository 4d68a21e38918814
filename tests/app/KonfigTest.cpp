// The configuration dialog: Ok only after a change, the keys it writes and their order,
// the columns and the play action after a hide box was clicked.
#include <IniSoubor.h>
#include <Konfig_f.h>
#include <Platforma.h>

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <map>
#include <utility>

#include "SeznamFixture.h"

namespace kalmetra::test {
namespace {

class KonfigTest : public SeznamFixture {
 protected:
  void TearDown() override { SetBeforeRenameHook({}); }

  // Records "section/key" of every key each write of the settings file adds or changes.
  void ZaznamenatZapisy() {
    SetBeforeRenameHook([this](const QString& temporary) {
      ProfileFile ini(temporary);
      std::map<QString, QString> now;
      for (const QString& section : ini.ReadSections())
        for (const auto& [key, value] : ini.ReadSectionValues(section)) now[section + "/" + key] = value;
      for (const auto& [name, value] : now) {
        const auto it = before_.find(name);
        if (it == before_.end() || it->second != value) zapisy_ << name;
      }
      before_ = std::move(now);
      ++nahrazeni_;
      return true;
    });
  }

  static QStringList Titulky(const THlavni& h) { return h.TitulkySloupcu(); }

  ScopedDialogScript dialogy_;
  QStringList zapisy_;
  int nahrazeni_ = 0;  // replacements of the file
  std::map<QString, QString> before_;
};

TEST_F(KonfigTest, OkWaitsForAChangeAndAnAddressAloneWritesFourKeys) {
  Katalog({{"Kolja", "1996", "105", "Drama", ""}});
  ScopedScriptedSeam seam;
  auto h = Start();
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Konfigurace");
    EXPECT_EQ(Control<QGroupBox>(d, "Ram_Vlastnosti")->title(), QStringLiteral("Nastavení prostředí"));
    EXPECT_EQ(Control<QGroupBox>(d, "Ram_PoleDB")->title(), QStringLiteral("Uspořádání polí databáze"));
    EXPECT_EQ(Control<QLabel>(d, "La_VychoziAdresaWWWW")->text(), QStringLiteral("Výchozí www stránky filmové databáze"));
    QStringList captions;
    for (const char* name : {"ChB_Skryt_Zanr", "ChB_Skryt_Puvod", "ChB_Skryt_Rezie", "ChB_Skryt_Obsazeni",
                             "ChB_Skryt_Koment", "ChB_Skryt_Umisteni"})
      captions << Control<QCheckBox>(d, name)->text();
    EXPECT_EQ(captions, QStringList({QStringLiteral("Skrýt pole Žánr"), QStringLiteral("Skrýt pole Původ"),
                                     QStringLiteral("Skrýt pole Režie"), QStringLiteral("Skrýt pole Obsazení"),
                                     QStringLiteral("Skrýt pole Komentář"), QStringLiteral("Skrýt pole Umístění")}));
    EXPECT_TRUE(Control<QCheckBox>(d, "ChB_Skryt_Umisteni")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(d, "ChB_Skryt_Zanr")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(d, "ChB_ZobrazDialogUloz")->isChecked());
    EXPECT_EQ(Control<QLineEdit>(d, "Ed_VychoziAdresaWWWW")->text(), h->VychoziAdresaWWWW);
    auto* ok = Control<QPushButton>(d, "Tl_Ok");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(ok->isDefault());
    QTest::keyClick(&d, Qt::Key_Return);  // Enter at once does nothing
    EXPECT_TRUE(d.isVisible());
    Control<QLineEdit>(d, "Ed_VychoziAdresaWWWW")->setText(" http://filmy.example/?q= ");
    EXPECT_TRUE(ok->isEnabled());
    ZaznamenatZapisy();
    QTest::keyClick(&d, Qt::Key_Return);
  });
  h->Akce("Akce_Konfig")->trigger();
  // All the keys in one replacement of the file.
  EXPECT_EQ(nahrazeni_, 1);
  EXPECT_EQ(zapisy_, QStringList({"Formular/UkladatPozici", "Formular/UkladatTabulku", "Nastaveni/VychoziAdresaWWWW",
                                  "Nastaveni/ZobrazDialogUloz"}));
  EXPECT_EQ(h->VychoziAdresaWWWW, " http://filmy.example/?q= ");  // exactly as typed
  EXPECT_FALSE(ProfileFile(Ini()).SectionExists("UsporadaniPoli"));
  EXPECT_TRUE(seam->Calls().empty());
  // An empty address is stored as empty; Storno changes and writes nothing.
  dialogy_.Queue([&](QDialog& d) {
    Control<QLineEdit>(d, "Ed_VychoziAdresaWWWW")->clear();
    Control<QCheckBox>(d, "ChB_UkladatPozici")->click();
    Control<QPushButton>(d, "Tl_Ok")->click();
  });
  h->Akce("Akce_Konfig")->trigger();
  EXPECT_EQ(h->VychoziAdresaWWWW, "");
  EXPECT_FALSE(h->UkladatPozici);
  EXPECT_EQ(ProfileFile(Ini()).ReadString("Nastaveni", "VychoziAdresaWWWW", "?"), "");
  EXPECT_FALSE(ProfileFile(Ini()).ReadBool("Formular", "UkladatPozici", true));
  zapisy_.clear();
  dialogy_.Queue([&](QDialog& d) {
    Control<QCheckBox>(d, "ChB_ZobrazDialogUloz")->click();
    Control<QCheckBox>(d, "ChB_Skryt_Zanr")->click();
    Control<QPushButton>(d, "Tl_Storno")->click();
  });
  h->Akce("Akce_Konfig")->trigger();
  EXPECT_TRUE(zapisy_.isEmpty());
  EXPECT_TRUE(h->ZobrazDialogUloz);
  EXPECT_EQ(Titulky(*h).size(), 9);
}

TEST_F(KonfigTest, AHideBoxClickedTwiceRebuildsTheColumnsAndWritesTheSixKeys) {
  Katalog({{"Kolja", "1996", "105", "Drama", ""}, {"Obchod na korze", "1965", "128", "Drama", ""}});
  ScopedScriptedSeam seam;
  auto h = Start();
  h->DBGrid1->setColumnWidth(1, 222);  // the user widened Titul in this run
  ZaznamenatZapisy();
  dialogy_.Queue([&](QDialog& d) {
    auto* zanr = Control<QCheckBox>(d, "ChB_Skryt_Zanr");
    zanr->click();
    zanr->click();
    EXPECT_TRUE(static_cast<TKonfig&>(d).PoleZmenena());
    Control<QPushButton>(d, "Tl_Ok")->click();
  });
  h->Akce("Akce_Konfig")->trigger();
  EXPECT_EQ(nahrazeni_, 1);
  EXPECT_EQ(zapisy_, QStringList({"Formular/UkladatPozici", "Formular/UkladatTabulku", "Nastaveni/VychoziAdresaWWWW",
                                  "Nastaveni/ZobrazDialogUloz", "UsporadaniPoli/Skryt_Koment",
                                  "UsporadaniPoli/Skryt_Obsazeni", "UsporadaniPoli/Skryt_Puvod",
                                  "UsporadaniPoli/Skryt_Rezie", "UsporadaniPoli/Skryt_Umisteni",
                                  "UsporadaniPoli/Skryt_Zanr"}));
  EXPECT_EQ(h->DBGrid1->columnWidth(1), 140);  // rebuilt from the widths held since start-up
  EXPECT_FALSE(h->Akce("Akce_Prehrat")->isVisible());

  // Showing Umístění and hiding Režie: the columns follow at once, and the play action
  // is shown and enabled though the record has no location, until the next move.
  dialogy_.Queue([&](QDialog& d) {
    Control<QCheckBox>(d, "ChB_Skryt_Umisteni")->click();
    Control<QCheckBox>(d, "ChB_Skryt_Rezie")->click();
    Control<QPushButton>(d, "Tl_Ok")->click();
  });
  h->Akce("Akce_Konfig")->trigger();
  EXPECT_EQ(Titulky(*h), QStringList({"Id", "Titul", "Rok", QStringLiteral("Stopáž"), QStringLiteral("Žánr"),
                                      QStringLiteral("Původ"), QStringLiteral("Obsazení"), QStringLiteral("Komentář"),
                                      QStringLiteral("Umístění")}));
  ProfileFile ini(Ini());
  EXPECT_FALSE(ini.ReadBool("UsporadaniPoli", "Skryt_Umisteni", true));
  EXPECT_TRUE(ini.ReadBool("UsporadaniPoli", "Skryt_Rezie", false));
  QAction* prehrat = h->Akce("Akce_Prehrat");
  EXPECT_TRUE(prehrat->isVisible());
  EXPECT_TRUE(prehrat->isEnabled());
  h->Akce("Akce_NasledujiciZaznam")->trigger();
  EXPECT_FALSE(prehrat->isEnabled());
  EXPECT_TRUE(seam->Calls().empty());
  EXPECT_TRUE(dialogy_.AllUsed());
}

}  // namespace
}  // namespace kalmetra::test
