// The sort dialog and command: Czech order, the filter kept, no reload for the same
// field, and the list brought back when the new statement fails.
#include <TrideniRazeni_f.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

#include "SeznamFixture.h"

namespace kalmetra::test {
namespace {

class TrideniTest : public SeznamFixture {
 protected:
  // Runs the sort command choosing the label, with Ok.
  void Seradit(THlavni& h, const QString& popisek) {
    dialogy_.Queue([&](QDialog& d) {
      Vybrat(Control<QComboBox>(d, "CBox_Pole"), popisek);
      Control<QPushButton>(d, "Tl_Ok")->click();
    });
    h.Akce("Akce_Trideni")->trigger();
  }

  ScopedDialogScript dialogy_;
};

const std::vector<Film> kFilmy = {
    {"Zima", "1990", "95", "Drama", ""},     {"čaj o páté", "1985", "100", "Komedie", ""},
    {"Chata", "2001", "87", "Drama", ""},    {"Hora", "1970", "120", "Western", ""},
    {"abc", "1999", "9", "Drama", ""},       {QStringLiteral("Řeka"), "1933", "80", "Drama", ""},
    {"Cesta", "2010", "101", "Komedie", ""}, {"reka", "1950", "60", "Drama", ""},
    {QStringLiteral("žába"), "1960", "70", "Drama", ""}, {"ABC", "2000", "90", "Komedie", ""},
    {"Ivan", "1944", "99", "Drama", ""},     {QStringLiteral("šašek"), "1980", "75", "Drama", ""},
    {"Sokol", "1975", "85", "Komedie", ""},  {"b", "1991", "91", "Drama", ""},
};

TEST_F(TrideniTest, OrdersByCzechTextAndKeepsTheFilter) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  Seradit(*h, "Titul");
  EXPECT_EQ(h->PoleTrideni, "Titul");
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Titul"));
  EXPECT_EQ(h->DataSet1.CommandText(), "SELECT * FROM Tabulka ORDER BY Titul COLLATE NATIVE\r\n");
  QStringList tituly = Sloupec(*h, "Titul");
  // Capitals beside small letters; c before č, h before ch, r before ř, s before š, z before ž.
  ASSERT_EQ(tituly.size(), 14);
  std::sort(tituly.begin(), tituly.begin() + 2);
  EXPECT_EQ(tituly, QStringList({"ABC", "abc", "b", "Cesta", QStringLiteral("čaj o páté"), "Hora", "Chata", "Ivan",
                                 "reka", QStringLiteral("Řeka"), "Sokol", QStringLiteral("šašek"), "Zima",
                                 QStringLiteral("žába")}));
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 14");
  EXPECT_EQ(h->DataSet1.RecNo(), 1);
  EXPECT_TRUE(seam->Calls().empty());

  // Running times are text: 100 before 95.
  Seradit(*h, QStringLiteral("Stopáž"));
  EXPECT_EQ(Sloupec(*h, "Stopaz"),
            QStringList({"100", "101", "120", "60", "70", "75", "80", "85", "87", "9", "90", "91", "95", "99"}));
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Stopáž"));

  // With a filter in force the same rows come in the new order, the filter label stays.
  ASSERT_TRUE(h->ZmenitSeznam("Zanr", "Komedie", h->PoleTrideni, h->LaParametrSetrideni()->text(),
                              QStringLiteral("Filtr : Komedie [Žánr]")));
  Seradit(*h, "Rok");
  EXPECT_EQ(Sloupec(*h, "Rok"), QStringList({"1975", "1985", "2000", "2010"}));
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : Komedie [Žánr]"));
  EXPECT_EQ(h->VyrazFiltru, "Komedie");
  EXPECT_EQ(h->DataSet1.CommandText(),
            "SELECT * FROM Tabulka  WHERE Zanr LIKE '%Komedie%' ORDER BY Rok COLLATE NATIVE\r\n");
  Seradit(*h, "Id");
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Id"));
  EXPECT_EQ(Sloupec(*h, "Id"), QStringList({"2", "7", "10", "13"}));
  EXPECT_TRUE(dialogy_.AllUsed());
}

TEST_F(TrideniTest, DialogOffersShownFieldsAndNothingIsReloadedForTheSameFieldOrCancel) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  Seradit(*h, QStringLiteral("Žánr"));
  h->DataSet1.MoveBy(3);
  ASSERT_EQ(h->DataSet1.RecNo(), 4);

  // Opening shows the ordering field chosen and Ok disabled; choosing again the same
  // field and Ok reloads nothing: the current record stays.
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Třídění a řazení"));
    EXPECT_EQ(Control<QLabel>(d, "La_PodlePole")->text(), "Podle pole");
    auto* box = Control<QComboBox>(d, "CBox_Pole");
    EXPECT_EQ(box->count(), 9);
    EXPECT_EQ(box->itemText(3), QStringLiteral("Stopáž"));
    EXPECT_EQ(box->currentText(), QStringLiteral("Žánr"));
    EXPECT_EQ(box->maxVisibleItems(), 10);
    EXPECT_FALSE(box->isEditable());
    auto* ok = Control<QPushButton>(d, "Tl_Ok");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(ok->isDefault());
    Vybrat(box, "Rok");
    EXPECT_TRUE(ok->isEnabled());
    Vybrat(box, QStringLiteral("Žánr"));
    ok->click();
  });
  h->Akce("Akce_Trideni")->trigger();
  EXPECT_EQ(h->DataSet1.RecNo(), 4);
  // Cancelled after choosing another field: nothing either.
  dialogy_.Queue([&](QDialog& d) {
    Vybrat(Control<QComboBox>(d, "CBox_Pole"), "Rok");
    Control<QPushButton>(d, "Tl_Storno")->click();
  });
  h->Akce("Akce_Trideni")->trigger();
  EXPECT_EQ(h->DataSet1.RecNo(), 4);
  EXPECT_EQ(h->PoleTrideni, "Zanr");
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Žánr"));

  // The ordering field hidden: nothing chosen, Ok disabled until a choice.
  h->Skryt[4] = true;
  h->NastavitSloupce();
  dialogy_.Queue([&](QDialog& d) {
    auto* box = Control<QComboBox>(d, "CBox_Pole");
    EXPECT_EQ(box->count(), 8);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_FALSE(Control<QPushButton>(d, "Tl_Ok")->isEnabled());
    d.reject();
  });
  h->Akce("Akce_Trideni")->trigger();
  EXPECT_TRUE(dialogy_.AllUsed());
  EXPECT_TRUE(seam->Calls().empty());
}

// A seam that runs a step when the first message is shown, as a user who closes the
// other program before confirming the error.
class SeamWithStep : public ScriptedSeam {
 public:
  std::function<void()> step;
  void ShowMessage(MessageIcon icon, const QString& caption, const QString& text) override {
    ScriptedSeam::ShowMessage(icon, caption, text);
    if (step) std::exchange(step, {})();
  }
};

TEST_F(TrideniTest, AFailedReopenBringsBackTheListItHad) {
  Katalog(kFilmy);
  auto installed = std::make_unique<SeamWithStep>();
  SeamWithStep& seam = *installed;
  auto previous = SetSeam(std::move(installed));
  {
    auto h = Start();
    ASSERT_TRUE(h->ZmenitSeznam("Zanr", "Komedie", "Id", QStringLiteral("Setříděno podle : Id"),
                                QStringLiteral("Filtr : Komedie [Žánr]")));
    // Another program holds the catalogue locked while the list is reopened.
    auto other = Pripojit();
    other->ExecSQL("BEGIN EXCLUSIVE");
    seam.step = [&] { other->ExecSQL("ROLLBACK"); };
    Seradit(*h, "Titul");
    ASSERT_EQ(seam.Calls().size(), 1u);
    EXPECT_EQ(seam.Calls()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(seam.Calls()[0].text.startsWith(QStringLiteral("Seznam filmů se nepodařilo znovu otevřít.\r\n")));
    EXPECT_TRUE(seam.Calls()[0].text.contains("locked")) << seam.Calls()[0].text.toStdString();
    // The list, the view state and the labels are those of before.
    EXPECT_EQ(h->PoleTrideni, "Id");
    EXPECT_EQ(h->VyrazFiltru, "Komedie");
    EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Id"));
    EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : Komedie [Žánr]"));
    ASSERT_TRUE(h->DataSet1.Active());
    EXPECT_EQ(Sloupec(*h, "Id"), QStringList({"2", "7", "10", "13"}));
    EXPECT_EQ(h->DBGrid1->model()->rowCount(), 4);
    EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 4");
    // And it is usable: the next sort works.
    Seradit(*h, "Titul");
    EXPECT_EQ(Sloupec(*h, "Titul"), QStringList({"ABC", "Cesta", QStringLiteral("čaj o páté"), "Sokol"}));
    EXPECT_EQ(Sloupec(*h, "Id"), QStringList({"10", "7", "2", "13"}));
    EXPECT_EQ(seam.Calls().size(), 1u);
  }
  SetSeam(std::move(previous));
}

}  // namespace
}  // namespace kalmetra::test
