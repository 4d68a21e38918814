// The filter dialog and commands: trimming, the shared history, the kept order, the
// matching rules, and filter texts that must never change the statement.
#include <FiltrZaznamu_f.h>
#include <IniSoubor.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "SeznamFixture.h"

namespace kalmetra::test {
namespace {

const std::vector<Film> kFilmy = {
    {"Zima", "1990", "95", "Drama", ""},     {QStringLiteral("čaj o páté"), "1985", "100", "Komedie", ""},
    {"Chata", "2001", "87", "Drama", ""},    {"Pan O'Brien", "1970", "120", "Western", ""},
    {"abc", "1999", "9", "Drama", ""},       {QStringLiteral("ŘEKA"), "1933", "80", "Drama", ""},
    {"Cesta", "2010", "101", "Komedie", ""}, {"ABC", "2000", "90", "Komedie", ""},
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FiltrTest : public SeznamFixture {
 protected:
  // The filter command with the text typed into the dialog and the field left as offered.
  void Filtrovat(THlavni& h, const QString& text) {
    dialogy_.Queue([text](QDialog& d) {
      Control<QComboBox>(d, "Cb_Podminka")->setEditText(text);
      Control<QPushButton>(d, "Tl_Filtr")->click();
    });
    h.Akce("Akce_Filtr")->trigger();
  }

  ScopedDialogScript dialogy_;
};

TEST_F(FiltrTest, FilterTrimsKeepsTheOrderAndLeadsTheSharedHistory) {
  Katalog(kFilmy);
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka1", "Menzel"));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka2", "ABC"));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_TRUE(h->ZmenitSeznam("Titul", "", "Rok", QStringLiteral("Setříděno podle : Rok"), h->LaParametrFiltru()->text()));
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Filtr");
    auto* pole = Control<QComboBox>(d, "Cb_Pole");
    auto* podminka = Control<QComboBox>(d, "Cb_Podminka");
    auto* filtr = Control<QPushButton>(d, "Tl_Filtr");
    EXPECT_EQ(pole->currentText(), "Titul");
    EXPECT_EQ(pole->count(), 9);
    EXPECT_EQ(podminka->currentText(), "");
    EXPECT_EQ(d.focusWidget(), podminka);
    QStringList items;
    for (int i = 0; i < podminka->count(); ++i) items << podminka->itemText(i);
    EXPECT_EQ(items, QStringList({"Menzel", "ABC"}));
    EXPECT_FALSE(filtr->isEnabled());
    EXPECT_TRUE(filtr->isDefault());
    podminka->setEditText(QStringLiteral("  abc\t\r\n "));
    EXPECT_TRUE(filtr->isEnabled());
    filtr->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  EXPECT_TRUE(seam->Calls().empty());
  EXPECT_EQ(h->VyrazFiltru, "abc");
  EXPECT_EQ(h->PoleFiltru, "Titul");
  EXPECT_EQ(h->LaParametrFiltru()->text(), "Filtr : abc [Titul]");
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Rok"));
  // Letters A to Z match in either case; ordered by year as before.
  EXPECT_EQ(Sloupec(*h, "Titul"), QStringList({"abc", "ABC"}));
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 2");
  // The trimmed text replaced its other spelling at the top of the history.
  EXPECT_EQ(h->NacistSeznam(), QStringList({"abc", "Menzel"}));
  EXPECT_EQ(ProfileFile(Ini()).ReadString("Seznam", "Polozka20", "?"), "none");

  // Reopened, the dialog shows the filter in force; after cancelling it, the same field
  // with no text, and the whole list in the kept order.
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Podminka")->currentText(), "abc");
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Pole")->currentText(), "Titul");
    d.reject();
  });
  h->Akce("Akce_Filtr")->trigger();
  h->Akce("Akce_ZrusitFiltr")->trigger();
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : není zadán"));
  EXPECT_EQ(h->VyrazFiltru, "");
  EXPECT_EQ(h->PoleFiltru, "Titul");
  EXPECT_EQ(Sloupec(*h, "Rok"), QStringList({"1933", "1970", "1985", "1990", "1999", "2000", "2001", "2010"}));
  EXPECT_EQ(h->LaParametrSetrideni()->text(), QStringLiteral("Setříděno podle : Rok"));
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Podminka")->currentText(), "");
    Vybrat(Control<QComboBox>(d, "Cb_Pole"), QStringLiteral("Žánr"));
    Control<QComboBox>(d, "Cb_Podminka")->setEditText("komedie");
    Control<QPushButton>(d, "Tl_Filtr")->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : komedie [Žánr]"));
  EXPECT_EQ(Sloupec(*h, "Id"), QStringList({"2", "8", "7"}));
  // The newest text in another spelling is still a change the file must keep.
  Filtrovat(*h, "KOMEDIE");
  EXPECT_EQ(h->NacistSeznam(), QStringList({"KOMEDIE", "abc", "Menzel"}));
  EXPECT_TRUE(dialogy_.AllUsed());
}

TEST_F(FiltrTest, MatchingRulesAndTextsThatMustNotChangeTheStatement) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  auto ids = [&] { return Sloupec(*h, "Id"); };
  // Czech letters with diacritics match in the same case only; A to Z in any.
  Filtrovat(*h, QStringLiteral("ČAJ"));
  EXPECT_EQ(ids(), QStringList());
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 0");
  Filtrovat(*h, QStringLiteral("čAJ"));
  EXPECT_EQ(ids(), QStringList({"2"}));
  Filtrovat(*h, QStringLiteral("řeka"));
  EXPECT_EQ(ids(), QStringList());
  Filtrovat(*h, QStringLiteral("ŘeKA"));
  EXPECT_EQ(ids(), QStringList({"6"}));
  // % and _ are wildcards.
  Filtrovat(*h, "C%a");
  EXPECT_EQ(ids(), QStringList({"3", "7"}));
  Filtrovat(*h, "h_t");
  EXPECT_EQ(ids(), QStringList({"3"}));
  // An apostrophe is a letter of the pattern; a text written as SQL stays a pattern.
  Filtrovat(*h, "'");
  EXPECT_EQ(ids(), QStringList({"4"}));
  EXPECT_EQ(h->LaParametrFiltru()->text(), "Filtr : ' [Titul]");
  Filtrovat(*h, "O''Brien");
  EXPECT_EQ(ids(), QStringList());
  Filtrovat(*h, "x%' ; DELETE FROM Tabulka; --");
  EXPECT_EQ(ids(), QStringList());
  EXPECT_EQ(h->VyrazFiltru, "x%' ; DELETE FROM Tabulka; --");
  Filtrovat(*h, "%'); DROP TABLE Tabulka; SELECT ('");
  EXPECT_EQ(ids(), QStringList());
  Filtrovat(*h, ":Titul \" ; --");
  EXPECT_EQ(ids(), QStringList());
  EXPECT_TRUE(seam->Calls().empty()) << seam->Calls()[0].text.toStdString();
  EXPECT_EQ(RadkuVSouboru(), 8);
  h->Akce("Akce_ZrusitFiltr")->trigger();
  EXPECT_EQ(h->DataSet1.RecordCount(), 8);
}

TEST_F(FiltrTest, BlankTextIsRefusedAndNothingChanges) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  Filtrovat(*h, "abc");
  const QByteArray history = ReadAll(Ini());
  h->DataSet1.Next();
  Filtrovat(*h, QStringLiteral(" \t "));
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
  EXPECT_EQ(seam->Calls()[0].caption, "Kalmetra");
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Není zadán výraz podmínky."));
  EXPECT_EQ(h->VyrazFiltru, "abc");
  EXPECT_EQ(h->LaParametrFiltru()->text(), "Filtr : abc [Titul]");
  EXPECT_EQ(h->DataSet1.RecNo(), 2);  // not reloaded
  EXPECT_EQ(ReadAll(Ini()), history);
  // Cancelled: nothing either, whatever was typed.
  dialogy_.Queue([](QDialog& d) {
    Control<QComboBox>(d, "Cb_Podminka")->setEditText("Zima");
    Control<QPushButton>(d, "Tl_Storno")->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  EXPECT_EQ(h->VyrazFiltru, "abc");
  EXPECT_EQ(h->DataSet1.RecNo(), 2);
  EXPECT_EQ(ReadAll(Ini()), history);
  // The filter's field hidden: no field is offered chosen, and a text alone cannot
  // confirm a condition that would name no column.
  h->PoleFiltru = "Rezie";
  h->Skryt[6] = true;
  h->NastavitSloupce();
  dialogy_.Queue([](QDialog& d) {
    auto* filtr = Control<QPushButton>(d, "Tl_Filtr");
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Pole")->currentIndex(), -1);
    Control<QComboBox>(d, "Cb_Podminka")->setEditText("Zima");
    EXPECT_FALSE(filtr->isEnabled());
    Vybrat(Control<QComboBox>(d, "Cb_Pole"), "Titul");
    EXPECT_TRUE(filtr->isEnabled());
    filtr->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  EXPECT_EQ(Sloupec(*h, "Titul"), QStringList({"Zima"}));
  EXPECT_EQ(OrezatVyraz(QStringLiteral("\x01 a b\x1f")), "a b");
  EXPECT_EQ(OrezatVyraz(QStringLiteral("\t\n")), "");
}

}  // namespace
}  // namespace kalmetra::test

namespace kalmetra::test {
namespace {

// Types text the way a keyboard does, one character a key press, Czech letters too.
void Napsat(QWidget* w, const QString& text) {
  for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_A, QString(c), Qt::NoModifier);
}

TEST_F(FiltrTest, TypedTextIsTakenAsTypedNotAsAHistoryEntrySpeltOtherwise) {
  Katalog({{QStringLiteral("Žluť"), "1990", "95", "Drama", ""}, {QStringLiteral("žluť"), "1991", "90", "Drama", ""},
           {QStringLiteral("Žlutá ponorka"), "1968", "85", "Komedie", ""}});
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka1", QStringLiteral("Žluť")));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  auto zadat = [&](const QString& text) {
    dialogy_.Queue([text](QDialog& d) {
      auto* podminka = Control<QComboBox>(d, "Cb_Podminka");
      podminka->setFocus();
      podminka->lineEdit()->clear();
      Napsat(podminka->lineEdit(), text);
      EXPECT_EQ(podminka->currentText(), text);  // nothing filled in while typing
      QTest::keyClick(podminka->lineEdit(), Qt::Key_Return);
    });
    h->Akce("Akce_Filtr")->trigger();
  };
  zadat(QStringLiteral("žluť"));
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : žluť [Titul]"));
  EXPECT_EQ(Sloupec(*h, "Titul"), QStringList({QStringLiteral("žluť")}));
  // A prefix of an entry is the filter itself.
  zadat(QStringLiteral("Žlu"));
  EXPECT_EQ(h->LaParametrFiltru()->text(), QStringLiteral("Filtr : Žlu [Titul]"));
  EXPECT_TRUE(dialogy_.AllUsed());
}

}  // namespace
}  // namespace kalmetra::test
