// The search dialog, NajitDalsi and F3: the walk from the row after the current one,
// Czech letter case, whole values, the shared history of twenty slots.
#include <Hledat_f.h>
#include <IniSoubor.h>
#include <Prubeh.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTimer>
#include <QTest>

#include "SeznamFixture.h"

namespace kalmetra::test {
namespace {

const std::vector<Film> kFilmy = {
    {"Obchod na korze", "1965", "128", "Drama", "Ján Kadár"},
    {QStringLiteral("Příliš žluťoučký kůň"), "1990", "90", "Komedie", QStringLiteral("Jiří Menzel")},
    {"Kolja", "1996", "105", "Drama", QStringLiteral("Jan Svěrák")},
    {QStringLiteral("KŮŇ"), "2001", "80", "Drama", "MENZEL"},
    {QStringLiteral("Ostře sledované vlaky"), "1966", "93", "Drama", QStringLiteral("Jiří Menzel")},
    {QStringLiteral("Žluťoučký den"), "2010", "95", "Komedie", "Menzel"},
    {"Obchod na korze II", "1970", "100", "Drama", ""},
};

class HledatTest : public SeznamFixture {
 protected:
  // Types the text into the open search dialog and presses one of its buttons.
  static void Napsat(QDialog& d, const QString& text) { Control<QComboBox>(d, "Cb_Retezec")->setEditText(text); }
  static void Stisknout(QDialog& d, const char* tlacitko) { Control<QPushButton>(d, tlacitko)->click(); }
  static QStringList Polozky(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
  QStringList Historie() const {
    ProfileFile ini(Ini());
    QStringList sloty;
    for (int n = 1; n <= 20; ++n) sloty << ini.ReadString("Seznam", QStringLiteral("Polozka%1").arg(n), "?");
    return sloty;
  }

  ScopedDialogScript dialogy_;
};

TEST_F(HledatTest, SearchWalksOnFromTheCurrentRowReportsThePassAndGoesBack) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_FALSE(h->Akce("Akce_HledatZaznamDalsi")->isEnabled());
  h->CeleVyrazy = true;
  h->DataSet1.MoveBy(2);  // Kolja
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Hledat");
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Pole")->currentText(), "Titul");
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Retezec")->currentText(), "");
    EXPECT_EQ(d.focusWidget(), Control<QComboBox>(d, "Cb_Retezec"));
    EXPECT_FALSE(Control<QCheckBox>(d, "Celevyrazy")->isChecked());
    EXPECT_EQ(Control<QCheckBox>(d, "Celevyrazy")->text(), QStringLiteral("Pouze celé výrazy"));
    EXPECT_FALSE(Control<QPushButton>(d, "Tl_HledatVyraz")->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(d, "Tl_HledatOdZacatku")->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(d, "Tl_HledatVyraz")->isDefault());
    // Capitals find small letters, the current row itself is not looked at.
    Napsat(d, QStringLiteral("ŽLUŤOUČKÝ"));
    EXPECT_TRUE(Control<QPushButton>(d, "Tl_HledatVyraz")->isEnabled());
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(h->DataSet1.RecNo(), 6);
    EXPECT_EQ(h->DBGrid1->currentIndex().row(), 5);
    EXPECT_EQ(h->LaCisloZaznamu()->text(), "6 z 7");
    EXPECT_TRUE(seam->Calls().empty());
    // Past the last match: reported, the last row current, no wrap to the top.
    Stisknout(d, "Tl_HledatVyraz");
    ASSERT_EQ(seam->Calls().size(), 1u);
    EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
    EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Hledaný výraz: ŽLUŤOUČKÝ nebyl v poli Titul nalezen."));
    EXPECT_EQ(h->DataSet1.RecNo(), 7);
    EXPECT_TRUE(h->DataSet1.Eof());
    EXPECT_EQ(h->DBGrid1->currentIndex().row(), 6);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(h->DataSet1.ControlsDisabled());
    // From the top: the first row is not looked at either.
    Stisknout(d, "Tl_HledatOdZacatku");
    EXPECT_EQ(h->DataSet1.RecNo(), 2);
    EXPECT_FALSE(Control<QPushButton>(d, "Tl_HledatOdZacatku")->isEnabled());
    Stisknout(d, "Tl_Zpet");
    EXPECT_EQ(h->DataSet1.RecNo(), 3);
    Napsat(d, "obchod na");
    Stisknout(d, "Tl_HledatOdZacatku");
    EXPECT_EQ(h->DataSet1.RecNo(), 7);  // row 1 matches too, but is never examined
    Stisknout(d, "Tl_Storno");
  });
  h->Akce("Akce_HledatZaznam")->trigger();
  EXPECT_EQ(h->DataSet1.RecNo(), 7);  // the row found last stays current
  EXPECT_EQ(h->PoleHledani, "Titul");
  EXPECT_EQ(h->HledanyVyraz, "obchod na");
  EXPECT_FALSE(h->CeleVyrazy);
  EXPECT_EQ(Historie().mid(0, 3), QStringList({"obchod na", QStringLiteral("ŽLUŤOUČKÝ"), "none"}));

  // F3 repeats the dialog's search from the current row.
  ASSERT_TRUE(h->Akce("Akce_HledatZaznamDalsi")->isEnabled());
  h->Akce("Akce_PrvniZaznam")->trigger();
  h->HledanyVyraz = QStringLiteral("žluťoučký");
  h->Akce("Akce_HledatZaznamDalsi")->trigger();
  EXPECT_EQ(h->DataSet1.RecNo(), 2);
  h->Akce("Akce_HledatZaznamDalsi")->trigger();
  EXPECT_EQ(h->DataSet1.RecNo(), 6);
  const size_t before = seam->Calls().size();
  h->Akce("Akce_HledatZaznamDalsi")->trigger();
  ASSERT_EQ(seam->Calls().size(), before + 1);
  EXPECT_EQ(seam->Calls().back().text, QStringLiteral("Hledaný výraz: žluťoučký nebyl v poli Titul nalezen."));
  EXPECT_TRUE(dialogy_.AllUsed());
}

TEST_F(HledatTest, WholeValuesAgainstContainsInAnotherField) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  dialogy_.Queue([&](QDialog& d) {
    Vybrat(Control<QComboBox>(d, "Cb_Pole"), QStringLiteral("Režie"));
    Control<QCheckBox>(d, "Celevyrazy")->setChecked(true);
    Napsat(d, QStringLiteral("menzel"));
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(h->DataSet1.RecNo(), 4);  // MENZEL, not Jiří Menzel
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(h->DataSet1.RecNo(), 6);
    Napsat(d, QStringLiteral("kůň"));
    Vybrat(Control<QComboBox>(d, "Cb_Pole"), "Titul");
    Stisknout(d, "Tl_HledatOdZacatku");
    EXPECT_EQ(h->DataSet1.RecNo(), 4);  // KŮŇ whole; Příliš žluťoučký kůň only contains it
    EXPECT_FALSE(Control<QPushButton>(d, "Tl_HledatOdZacatku")->isEnabled());  // until the text changes
    Control<QCheckBox>(d, "Celevyrazy")->setChecked(false);
    h->Akce("Akce_PrvniZaznam")->trigger();
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(h->DataSet1.RecNo(), 2);
    // An empty text is refused and nothing moves.
    Napsat(d, "");
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(h->DataSet1.RecNo(), 2);
    d.reject();
  });
  h->Akce("Akce_HledatZaznam")->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Není zadaný hledaný výraz ..."));
  EXPECT_EQ(h->PoleHledani, "Titul");
  EXPECT_EQ(h->HledanyVyraz, QStringLiteral("kůň"));
  // F3 names the field by its label.
  h->Akce("Akce_PrvniZaznam")->trigger();
  h->PoleHledani = "Rezie";
  h->HledanyVyraz = "Kusturica";
  h->Akce("Akce_HledatZaznamDalsi")->trigger();
  EXPECT_EQ(seam->Calls().back().text, QStringLiteral("Hledaný výraz: Kusturica nebyl v poli Režie nalezen."));
  EXPECT_EQ(h->DataSet1.RecNo(), 7);
}

TEST_F(HledatTest, TheHistoryOfTwentySlotsIsSharedWithTheFilter) {
  Katalog(kFilmy);
  {
    ProfileFile ini(Ini());
    for (int n = 1; n <= 20; ++n) ASSERT_TRUE(ini.WriteString("Seznam", QStringLiteral("Polozka%1").arg(n), QStringLiteral("t%1").arg(n)));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  dialogy_.Queue([&](QDialog& d) {
    auto* retezec = Control<QComboBox>(d, "Cb_Retezec");
    EXPECT_EQ(retezec->count(), 20);
    EXPECT_EQ(retezec->itemText(0), "t1");
    Napsat(d, "Kolja");
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(retezec->count(), 20);
    EXPECT_EQ(retezec->itemText(0), "Kolja");
    EXPECT_EQ(retezec->itemText(19), "t19");  // t20 dropped
    Napsat(d, "T5");
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_EQ(Polozky(retezec).mid(0, 3), QStringList({"T5", "Kolja", "t1"}));
    EXPECT_FALSE(Polozky(retezec).contains("t5"));
    EXPECT_EQ(retezec->currentText(), "T5");
    d.reject();
  });
  h->Akce("Akce_HledatZaznam")->trigger();
  QStringList expected = {"T5", "Kolja", "t1", "t2", "t3", "t4"};
  for (int n = 6; n <= 19; ++n) expected << QStringLiteral("t%1").arg(n);
  EXPECT_EQ(Historie(), expected);
  // The filter dialog offers the same list, and a filter moves its text to the top.
  dialogy_.Queue([&](QDialog& d) {
    auto* podminka = Control<QComboBox>(d, "Cb_Podminka");
    EXPECT_EQ(Polozky(podminka), expected);
    podminka->setEditText("kolja");
    Control<QPushButton>(d, "Tl_Filtr")->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(Polozky(Control<QComboBox>(d, "Cb_Retezec")).mid(0, 3), QStringList({"kolja", "T5", "t1"}));
    d.reject();
  });
  h->Akce("Akce_HledatZaznam")->trigger();

  // Closing without a search still writes all twenty slots of a list that is not empty.
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.EraseSection("Seznam"));
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka7", "Menzel"));
  }
  dialogy_.Queue([](QDialog& d) { Control<QPushButton>(d, "Tl_Storno")->click(); });
  h->Akce("Akce_HledatZaznam")->trigger();
  QStringList one = {"Menzel"};
  for (int n = 2; n <= 20; ++n) one << "none";
  EXPECT_EQ(Historie(), one);
  EXPECT_TRUE(dialogy_.AllUsed());
}

TEST_F(HledatTest, AFieldThatIsNotShownGivesAnErrorAndRestoresCursorAndGrid) {
  Katalog(kFilmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->PoleHledani = "Rezie";
  h->Skryt[6] = true;
  h->NastavitSloupce();
  dialogy_.Queue([&](QDialog& d) {
    EXPECT_EQ(Control<QComboBox>(d, "Cb_Pole")->currentIndex(), -1);
    Napsat(d, "Kolja");
    Stisknout(d, "Tl_HledatVyraz");
    d.reject();
  });
  h->Akce("Akce_HledatZaznam")->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(h->DataSet1.RecNo(), 1);
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 7);
}

}  // namespace
}  // namespace kalmetra::test

namespace kalmetra::test {
namespace {

// Types text the way a keyboard does, one character a key press, Czech letters too.
void Klavesy(QWidget* w, const QString& text) {
  for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_A, QString(c), Qt::NoModifier);
}

TEST_F(HledatTest, TypedTextReplacesItsOtherSpellingAndFromTheStartWaitsForAChange) {
  Katalog(kFilmy);
  {
    ProfileFile ini(Ini());
    ASSERT_TRUE(ini.WriteString("Seznam", "Polozka1", "Kolja"));
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  dialogy_.Queue([&](QDialog& d) {
    auto* retezec = Control<QComboBox>(d, "Cb_Retezec");
    auto* odZacatku = Control<QPushButton>(d, "Tl_HledatOdZacatku");
    retezec->setFocus();
    Klavesy(retezec->lineEdit(), "kol");
    EXPECT_EQ(retezec->currentText(), "kol");  // not completed to the entry
    Klavesy(retezec->lineEdit(), "ja");
    QTest::keyClick(retezec->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Polozky(retezec), QStringList({"kolja"}));
    EXPECT_EQ(h->HledanyVyraz, "kolja");
    // Od začátku stays off after a search until the text is changed.
    odZacatku->click();
    EXPECT_FALSE(odZacatku->isEnabled());
    Stisknout(d, "Tl_HledatVyraz");
    EXPECT_FALSE(odZacatku->isEnabled());
    Klavesy(retezec->lineEdit(), "x");
    EXPECT_TRUE(odZacatku->isEnabled());
    d.reject();
  });
  h->Akce("Akce_HledatZaznam")->trigger();
  EXPECT_EQ(ProfileFile(Ini()).ReadString("Seznam", "Polozka1", "?"), "kolja");
  EXPECT_TRUE(dialogy_.AllUsed());
}

}  // namespace
}  // namespace kalmetra::test

namespace kalmetra::test {
namespace {

TEST_F(HledatTest, TheSearchWalkShowsItsProgressInTheStatusLine) {
  std::vector<Film> filmy;
  for (int i = 0; i < 1000; ++i) filmy.push_back({QStringLiteral("Film %1").arg(i), "2000", "90", "Drama", ""});
  Katalog(filmy);
  ScopedScriptedSeam seam;
  auto h = Start();
  TPrubeh::ZobrazitPo(0);  // at once, not after a second
  QString videno;
  QTimer::singleShot(0, [&] {
    if (auto* bar = h->findChild<QProgressBar*>(QStringLiteral("PrubehPrace"))) videno = bar->format();
  });
  const bool nalezeno = NajitDalsi(*h, "Titul", QStringLiteral("Kolja"), false);
  TPrubeh::ZobrazitPo(-1);
  EXPECT_FALSE(nalezeno);
  EXPECT_EQ(videno, QStringLiteral("Hledání %p %"));
  EXPECT_EQ(h->findChild<QProgressBar*>(QStringLiteral("PrubehPrace")), nullptr);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kalmetra::test
