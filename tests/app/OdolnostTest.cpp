// The main window over catalogues it cannot read whole or at all: damaged, foreign, locked
// by another program, a folder in the file's place; numbers at the end of their range;
// columns in another order; zero characters in typed text.
#include <Hlavni_f.h>
#include <engine.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <limits>

#include "SeznamFixture.h"

namespace kalmetra::test {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

const char* const kBezSeznamu[] = {"Akce_Konec", "Akce_Napoveda", "Akce_Konfig", "Akce_OProgramu"};

class OdolnostTest : public SeznamFixture {
 protected:
  std::vector<Film> MnohoFilmu(int n) {
    std::vector<Film> filmy;
    for (int i = 1; i <= n; ++i)
      filmy.push_back({QStringLiteral("Pelíšky %1 – Hoří, má panenko").arg(i), QString::number(1950 + i % 70),
                       QString::number(80 + i % 60), QStringLiteral("Komedie"), QStringLiteral("Jan Hřebejk")});
    return filmy;
  }

  // Every command but the four that need no list is disabled, and the counter says so.
  static void OcekavatBezSeznamu(THlavni& h) {
    EXPECT_FALSE(h.DataSet1.Active());
    EXPECT_EQ(h.DBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(h.LaCisloZaznamu()->text(), QStringLiteral("neotevřen"));
    for (const char* nazev : {"Akce_NovyZaznam", "Akce_EditZaznamu", "Akce_Filtr", "Akce_ZrusitFiltr", "Akce_Trideni",
                              "Akce_HledatZaznam", "Akce_ImportDat", "Akce_ExportDat", "Akce_Sestavy",
                              "Akce_KopirovatText", "Akce_PrejitNaZaznam", "Akce_SirkaSloupcuPodleObsahu"})
      EXPECT_FALSE(h.Akce(QLatin1String(nazev))->isEnabled()) << nazev;
    for (const char* nazev : kBezSeznamu) EXPECT_TRUE(h.Akce(QLatin1String(nazev))->isEnabled()) << nazev;
  }

  // A catalogue of 3,000 films whose page in the middle is zeroed; its bytes.
  QByteArray PoskozenyKatalog() {
    Katalog(MnohoFilmu(3000));
    QByteArray bytes = ReadAll(Db());
    const qsizetype stranka = 4096, stranek = bytes.size() / stranka;
    EXPECT_GT(stranek, 20);
    bytes.replace(stranek / 2 * stranka, stranka, QByteArray(stranka, '\0'));
    WriteAll(Db(), bytes);
    return bytes;
  }

  static QString Zpravy(const ScriptedSeam& seam) {
    QString text;
    for (const SeamCall& c : seam.Calls())
      if (c.kind == CallKind::Message) text += c.text + QStringLiteral("\n");
    return text;
  }
};

TEST_F(OdolnostTest, ADamagedCatalogueOpensTheWindowWithoutTheListAndCloses) {
  const QByteArray bytes = PoskozenyKatalog();

  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_FALSE(h->UkoncitAplikaci());
  EXPECT_TRUE(Zpravy(*seam).contains(QStringLiteral("se nepodařilo otevřít")));
  EXPECT_TRUE(Zpravy(*seam).contains(QStringLiteral("malformed")));
  OcekavatBezSeznamu(*h);
  // Nothing to type a film into: the command is off, and its shortcut with it.
  QTest::keyClick(h->DBGrid1, Qt::Key_Insert);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(h->DataSet1.Active());
  h->close();
  h.reset();
  EXPECT_EQ(ReadAll(Db()), bytes);
}

TEST_F(OdolnostTest, AReportOverAListThatBreaksOffEndsWithAMessageAndTheListClosed) {
  const QByteArray bytes = PoskozenyKatalog();
  QStringList chyby;
  const auto predtim = rpt::Interaction().ShowError;
  rpt::Interaction().ShowError = [&](const QString& text) { chyby << text; };
  {
    auto db = Pripojit();
    auto seznam = std::make_unique<orvek3::TOrvek3Query>(db.get());
    seznam->SetSQL("SELECT * FROM Tabulka ORDER BY Id");
    seznam->OpenSQL();  // read lazily: the damage lies ahead
    rpt::TRptDataset data;
    data.SetDataSet(seznam.get());
    rpt::TRptReport sestava;
    ASSERT_TRUE(sestava.LoadFromFile(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/sestavy/SeznamFilmu.ksr")));
    sestava.DataSet = &data;
    EXPECT_FALSE(sestava.PrepareReport());
    EXPECT_FALSE(seznam->Active());
    seznam.reset();  // its statement was finalized once, by the failed fetch
    db->Disconnect();
  }
  rpt::Interaction().ShowError = predtim;
  ASSERT_EQ(chyby.size(), 1);
  EXPECT_TRUE(chyby[0].contains(QStringLiteral("malformed"))) << chyby[0].toStdString();
  EXPECT_EQ(ReadAll(Db()), bytes);
}

TEST_F(OdolnostTest, CataloguesThatCannotBeOpenedAtAllAreReportedAndLeftAsTheyWere) {
  struct Pripad {
    const char* nazev;
    QByteArray obsah;
    QString zprava;
  };
  QByteArray nahodne(20000, '\0');
  for (int i = 0; i < nahodne.size(); ++i) nahodne[i] = static_cast<char>((i * 7919 + 13) % 251);
  Katalog(MnohoFilmu(500));
  const QByteArray zkraceny = ReadAll(Db()).left(4096 * 3 + 100);
  const Pripad pripady[] = {
      {"random bytes", nahodne, QStringLiteral("not a database")},
      {"truncated", zkraceny, QStringLiteral("malformed")},
      {"empty", QByteArray(), QStringLiteral("no such table")},
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(p.nazev);
    WriteAll(Db(), p.obsah);
    ScopedScriptedSeam seam;
    auto h = Start();
    EXPECT_TRUE(Zpravy(*seam).contains(p.zprava)) << Zpravy(*seam).toStdString();
    OcekavatBezSeznamu(*h);
    h->close();
    h.reset();
    EXPECT_EQ(ReadAll(Db()), p.obsah);
  }

  // A foreign database without the catalogue's table.
  QFile::remove(Db());
  {
    auto db = std::make_unique<orvek3::TOrvek3Database>();
    db->SetDriver(Knihovna().toStdString());
    db->SetDatabaseFile(Db().toStdString());
    db->SetMustExists(false);
    db->Connect();
    db->ExecSQL("CREATE TABLE Jina (x)");
    db->Disconnect();
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(Zpravy(*seam).contains(QStringLiteral("no such table: Tabulka")));
  OcekavatBezSeznamu(*h);
}

// Bytes flipped in the data pages may or may not be noticed by the library; either way the
// window is consistent (the list with its commands, or none and the commands off), closes
// cleanly, and never writes the file.
TEST_F(OdolnostTest, FlippedBytesNeverCrashTheWindowNorChangeTheFile) {
  Katalog(MnohoFilmu(2000));
  const QByteArray puvodni = ReadAll(Db());
  const qsizetype stranka = 4096, stranek = puvodni.size() / stranka;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    QByteArray bytes = puvodni;
    unsigned x = seed * 2654435761u;
    for (int i = 0; i < 64; ++i) {
      x = x * 1103515245u + 12345u;
      const qsizetype kde = stranka * 2 + static_cast<qsizetype>(x % static_cast<unsigned>((stranek - 2) * stranka));
      bytes[kde] = static_cast<char>(bytes[kde] ^ static_cast<char>(1 + (x >> 24) % 255));
    }
    WriteAll(Db(), bytes);
    ScopedScriptedSeam seam;
    auto h = Start();
    const bool otevreno = h->DataSet1.Active();
    EXPECT_EQ(h->Akce("Akce_NovyZaznam")->isEnabled(), otevreno);
    EXPECT_EQ(h->LaCisloZaznamu()->text() == QStringLiteral("neotevřen"), !otevreno);
    if (otevreno) {
      EXPECT_EQ(h->DBGrid1->model()->rowCount(), h->DataSet1.RecordCount());
    }
    h->close();
    h.reset();
    EXPECT_EQ(ReadAll(Db()), bytes);
  }
}

TEST_F(OdolnostTest, AFolderInPlaceOfTheCatalogueIsNamedAsAFolder) {
  ASSERT_TRUE(QDir().mkdir(Db()));
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_FALSE(h->UkoncitAplikaci());
  EXPECT_TRUE(Zpravy(*seam).contains(QStringLiteral("je složka")));
  EXPECT_FALSE(Zpravy(*seam).contains(QStringLiteral("Nebyl nalezen")));
  OcekavatBezSeznamu(*h);
  EXPECT_TRUE(QFileInfo(Db()).isDir());
}

TEST_F(OdolnostTest, ALockedCatalogueOpensOnceTheLockIsGoneAndAFilterKeepsTheList) {
  Katalog(MnohoFilmu(40));
  auto jiny = Pripojit();
  jiny->ExecSQL("BEGIN EXCLUSIVE");
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_TRUE(Zpravy(*seam).contains(QStringLiteral("locked")));
  OcekavatBezSeznamu(*h);

  // The other program ends its write; a click on the counter opens the list.
  jiny->ExecSQL("COMMIT");
  QTest::mouseClick(h->LaCisloZaznamu(), Qt::LeftButton);
  ASSERT_TRUE(h->DataSet1.Active());
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 40);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), QStringLiteral("1 z 40"));
  EXPECT_TRUE(h->Akce("Akce_NovyZaznam")->isEnabled());
  EXPECT_TRUE(h->Akce("Akce_Filtr")->isEnabled());

  // A filter while another program writes keeps the list and the labels as they were.
  jiny->ExecSQL("BEGIN EXCLUSIVE");
  const QString filtr = h->LaParametrFiltru()->text();
  EXPECT_FALSE(h->ZmenitSeznam(QStringLiteral("Titul"), QStringLiteral("Pelíšky 1"), h->PoleTrideni,
                               h->LaParametrSetrideni()->text(), QStringLiteral("Filtr : Pelíšky 1 [Titul]")));
  EXPECT_TRUE(h->DataSet1.Active());
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 40);
  EXPECT_EQ(h->LaParametrFiltru()->text(), filtr);
  EXPECT_TRUE(h->VyrazFiltru.isEmpty());
  jiny->ExecSQL("COMMIT");
  EXPECT_TRUE(h->ZmenitSeznam(QStringLiteral("Titul"), QStringLiteral("Pelíšky 1"), h->PoleTrideni,
                              h->LaParametrSetrideni()->text(), QStringLiteral("Filtr : Pelíšky 1 [Titul]")));
  EXPECT_EQ(h->DBGrid1->model()->rowCount(), 11);  // 1 and 10 to 19
  EXPECT_EQ(h->Orvek3Database1.Api().get_autocommit(h->Orvek3Database1.Handle()), 1);
}

TEST_F(OdolnostTest, TheLargestIdLeavesTheNextFreeNumberForANewFilm) {
  Katalog(MnohoFilmu(5));
  {
    auto db = Pripojit();
    db->ExecSQL("UPDATE Tabulka SET Id = 9223372036854775807 WHERE Id = 5");
    db->Disconnect();
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  EXPECT_EQ(h->NoveId(), 5);
  {
    auto db = Pripojit();
    db->ExecSQL("UPDATE Tabulka SET Id = 7 WHERE Id = 1");
    db->Disconnect();
  }
  EXPECT_EQ(h->NoveId(), 1);
}

TEST_F(OdolnostTest, CaptionsFollowTheColumnNamesInAnyOrder) {
  {
    auto db = std::make_unique<orvek3::TOrvek3Database>();
    db->SetDriver(Knihovna().toStdString());
    db->SetDatabaseFile(Db().toStdString());
    db->SetMustExists(false);
    db->Connect();
    db->ExecSQL("CREATE TABLE Tabulka (Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, Rok VARCHAR(4), "
                "Zanr VARCHAR(30), Titul VARCHAR(80), Stopaz VARCHAR(4), Puvod VARCHAR(30), Rezie VARCHAR(30), "
                "Obsazeni VARCHAR(255), Koment VARCHAR(255), Umisteni VARCHAR(255))");
    db->ExecSQL(ToAnsi(QStringLiteral("INSERT INTO Tabulka (Id, Titul, Rok, Zanr) VALUES (1, 'Kolja', '1996', 'Drama')")));
    db->Disconnect();
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_TRUE(h->DataSet1.Active());
  EXPECT_EQ(h->PopisekPole(QStringLiteral("Titul")), QStringLiteral("Titul"));
  EXPECT_EQ(h->PopisekPole(QStringLiteral("Zanr")), QStringLiteral("Žánr"));
  EXPECT_EQ(h->NazevPole(QStringLiteral("Rok")), QStringLiteral("Rok"));
  const QStringList titulky = h->TitulkySloupcu();
  const std::vector<int>& pole = h->PoleSloupcu();
  ASSERT_EQ(titulky.size(), static_cast<qsizetype>(pole.size()));
  for (size_t c = 0; c < pole.size(); ++c) {
    const QString nazev = FromAnsi(h->DataSet1.Field(pole[c]).FieldName());
    EXPECT_EQ(h->NazevPole(titulky[static_cast<qsizetype>(c)]), nazev) << titulky[static_cast<qsizetype>(c)].toStdString();
  }
  h->Akce("Akce_KopirovatText")->trigger();
  EXPECT_TRUE(seam->Clipboard().startsWith(QStringLiteral("Id: 1\r\nRok: 1996\r\nŽánr: Drama\r\nTitul: Kolja\r\n")))
      << seam->Clipboard().toStdString();
}

TEST_F(OdolnostTest, AZeroCharacterIsRefusedInTypedTextAndInStatements) {
  Katalog(MnohoFilmu(3));
  ScopedScriptedSeam seam;
  auto h = Start();
  ScopedDialogScript dialogy;
  QString napsano;
  dialogy.Queue([&](QDialog& d) {
    auto* podminka = Control<QComboBox>(d, "Cb_Podminka");
    QApplication::clipboard()->setText(QStringLiteral("Pel") + QChar(u'\0') + QStringLiteral("íšky"));
    podminka->lineEdit()->setFocus();
    QTest::keyClick(podminka->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    napsano = podminka->currentText();
    Control<QPushButton>(d, "Tl_Storno")->click();
  });
  h->Akce("Akce_Filtr")->trigger();
  EXPECT_FALSE(napsano.contains(QChar(u'\0')));
  const char prikaz[] = "SELECT 1;\0DELETE FROM Tabulka";
  EXPECT_THROW(h->Orvek3Database1.ExecSQL(std::string(prikaz, sizeof prikaz - 1)), orvek3::DatabaseError);
  EXPECT_EQ(RadkuVSouboru(), 3);
}

}  // namespace
}  // namespace kalmetra::test
