// The export writers byte for byte, the record set after them, failures that leave no
// file behind, and the export command with its dialog and question.
#include "TestSupport.h"

#include <Export1.h>
#include <Prubeh.h>

#include <QDir>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

#include "PlnyDisk.h"
#include "PrenosFixture.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::Ansi;
using test::CallKind;
using test::ReadBytes;
using test::ScopedScriptedSeam;

class ExportTest : public test::PrenosTest {
 protected:
  // The three films as the delimited writer gives them, with the separator s.
  static QByteArray Radky(char s) {
    QByteArray out;
    auto line = [&](std::initializer_list<QString> values) {
      bool first = true;
      for (const QString& v : values) {
        if (!first) out += s;
        out += Ansi(v);
        first = false;
      }
      out += "\r\n";
    };
    line({"1", QStringLiteral("Pelíšky"), "1999", "115", "komedie", QStringLiteral("Česko"),
          QStringLiteral("Jan Hřebejk"), QStringLiteral("Miroslav Donutil, Jiří Kodet"), "",
          QStringLiteral("/filmy/Pelíšky.mkv")});
    line({"2", QStringLiteral("Tom & Jerry; <výběr>"), "1940", "", QStringLiteral("animovaný"), "USA", "", "",
          QStringLiteral("\"kočka\" > myš"), ""});
    line({"7", "Kolja", "1996", "105", "drama", QStringLiteral("Česko"), QStringLiteral("Jan Svěrák"),
          QStringLiteral("Zdeněk Svěrák"), "Oscar", ""});
    return out;
  }

  QStringList FilesInFolder() const {
    return QDir(dir_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }
};

TEST_F(ExportTest, DelimitedFilesByteForByteAndTheRecordSetAsItWas) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Next();  // the middle record is current
  const QString csv = dir_ + QStringLiteral("seznam.csv");
  const QString txt = dir_ + QStringLiteral("seznam.txt");
  ExportovatText(h->DataSet1, true, ';', csv, h.get());
  ExportovatText(h->DataSet1, false, '\t', txt, h.get());

  const QByteArray bytes = ReadBytes(csv);
  EXPECT_EQ(bytes, "Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n" + Radky(';'));
  EXPECT_EQ(ReadBytes(txt), Radky('\t'));
  // Czech letters are single bytes of code page 1250; the ";" of a title is not quoted,
  // so its line holds one separator more.
  EXPECT_TRUE(bytes.contains("1;Pel\xED\x9Aky;"));
  const QList<QByteArray> lines = bytes.split('\n');
  ASSERT_EQ(lines.size(), 5);  // four lines, each ended by CR LF
  EXPECT_EQ(lines[1].count(';'), 9);
  EXPECT_EQ(lines[2].count(';'), 10);
  EXPECT_EQ(ReadBytes(txt).count('\t'), 27);

  EXPECT_EQ(h->DataSet1.RecNo(), 2);
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 2);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "2 z 3");
  EXPECT_EQ(h->DBGrid1->currentIndex().row(), 1);
  EXPECT_EQ(FilesInFolder(), QStringList({"Kalmetra.sqlite", KALMETRA_SQLITE_LIBNAME, "seznam.csv", "seznam.txt"}));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(ExportTest, AFolderThatCannotBeWrittenLeavesNoFileAndTheRecordSetWhereItWas) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Last();
  const QString target = dir_ + QStringLiteral("chybí/seznam.csv");
  try {
    ExportovatText(h->DataSet1, true, ';', target, h.get());
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(FromAnsi(e.what()).startsWith(QStringLiteral("Soubor \"") + target + QStringLiteral("\" nelze vytvořit.\r\n")))
        << e.what();
  }
  EXPECT_FALSE(QFileInfo::exists(dir_ + QStringLiteral("chybí")));
  if (geteuid() != 0) {  // root writes into read-only folders
    const QString folder = dir_ + QStringLiteral("jen pro čtení");
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_THROW(ExportovatText(h->DataSet1, true, ';', folder + QStringLiteral("/seznam.csv"), h.get()),
                 std::runtime_error);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(QDir(folder).isEmpty());
  }
  EXPECT_EQ(h->DataSet1.RecNo(), 3);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ExportTest, AnErrorDuringTheWalkKeepsTheEarlierFileAndLeavesNoTemporaryOne) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Last();
  const QString target = dir_ + QStringLiteral("seznam.csv");
  {
    QFile earlier(target);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("the user's earlier file");
  }
  bool waitCursor = false;
  h->DataSet1.AfterScroll = [&](orvek3::TRecordSet& ds) {
    waitCursor = QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    if (ds.FieldByName("Id").AsLargeInt() == 2) throw std::runtime_error("read error");
  };
  EXPECT_THROW(ExportovatText(h->DataSet1, true, ';', target, h.get()), std::runtime_error);
  EXPECT_TRUE(waitCursor);
  EXPECT_EQ(ReadBytes(target), "the user's earlier file");
  EXPECT_EQ(FilesInFolder(), QStringList({"Kalmetra.sqlite", KALMETRA_SQLITE_LIBNAME, "seznam.csv"}));
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 7);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  h->DataSet1.AfterScroll = nullptr;
}

TEST_F(ExportTest, AFullDiskIsNamedAndKeepsTheEarlierFile) {
  test::PlnyDisk disk(dir_ + QStringLiteral("disk"));
  if (!disk.Pripojeno()) GTEST_SKIP() << disk.Duvod().toStdString();
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  const QString csv = disk.Cesta(QStringLiteral("seznam.csv")), xml = disk.Cesta(QStringLiteral("seznam.xml"));
  for (const QString& cesta : {csv, xml}) {
    QFile earlier(cesta);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("the user's earlier file");
  }
  disk.Naplnit();
  const auto chyba = [](const std::function<void()>& export_) {
    try {
      export_();
    } catch (const std::exception& e) {
      return FromAnsi(e.what());
    }
    return QStringLiteral("<no error>");
  };
  const QString csvChyba = chyba([&] { ExportovatText(h->DataSet1, true, ';', csv, h.get()); });
  EXPECT_TRUE(csvChyba.contains(QStringLiteral("není volné místo"))) << csvChyba.toStdString();
  EXPECT_FALSE(csvChyba.contains(QStringLiteral("Unknown error")));
  EXPECT_FALSE(ExportovatXML(h->DataSet1, xml, QStringLiteral("Kalmetra"), h.get()));
  ASSERT_FALSE(seam->Calls().empty());
  EXPECT_TRUE(seam->Calls().back().text.contains(QStringLiteral("není volné místo"))) << seam->Calls().back().text.toStdString();
  EXPECT_EQ(ReadBytes(csv), "the user's earlier file");
  EXPECT_EQ(ReadBytes(xml), "the user's earlier file");
  EXPECT_EQ(QDir(disk.Cesta(QString())).entryList(QDir::Files | QDir::Hidden),
            QStringList({"seznam.csv", "seznam.xml", "vypln"}));
}

TEST_F(ExportTest, XmlDocumentByteForByteWellFormedAndWithoutId) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Last();
  const QString xml = dir_ + QStringLiteral("seznam.xml");
  EXPECT_TRUE(ExportovatXML(h->DataSet1, xml, "data", h.get()));
  const QByteArray expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<data>\r\n"
      "  <zaznam>\r\n"
      "    <Titul>Pelíšky</Titul>\r\n"
      "    <Rok>1999</Rok>\r\n"
      "    <Stopaz>115</Stopaz>\r\n"
      "    <Zanr>komedie</Zanr>\r\n"
      "    <Puvod>Česko</Puvod>\r\n"
      "    <Rezie>Jan Hřebejk</Rezie>\r\n"
      "    <Obsazeni>Miroslav Donutil, Jiří Kodet</Obsazeni>\r\n"
      "    <Koment/>\r\n"
      "    <Umisteni>/filmy/Pelíšky.mkv</Umisteni>\r\n"
      "  </zaznam>\r\n"
      "  <zaznam>\r\n"
      "    <Titul>Tom &amp; Jerry; &lt;výběr&gt;</Titul>\r\n"
      "    <Rok>1940</Rok>\r\n"
      "    <Stopaz/>\r\n"
      "    <Zanr>animovaný</Zanr>\r\n"
      "    <Puvod>USA</Puvod>\r\n"
      "    <Rezie/>\r\n"
      "    <Obsazeni/>\r\n"
      "    <Koment>\"kočka\" &gt; myš</Koment>\r\n"
      "    <Umisteni/>\r\n"
      "  </zaznam>\r\n"
      "  <zaznam>\r\n"
      "    <Titul>Kolja</Titul>\r\n"
      "    <Rok>1996</Rok>\r\n"
      "    <Stopaz>105</Stopaz>\r\n"
      "    <Zanr>drama</Zanr>\r\n"
      "    <Puvod>Česko</Puvod>\r\n"
      "    <Rezie>Jan Svěrák</Rezie>\r\n"
      "    <Obsazeni>Zdeněk Svěrák</Obsazeni>\r\n"
      "    <Koment>Oscar</Koment>\r\n"
      "    <Umisteni/>\r\n"
      "  </zaznam>\r\n"
      "</data>\r\n";
  const QByteArray bytes = ReadBytes(xml);
  EXPECT_EQ(bytes, expected);
  EXPECT_TRUE(bytes.contains("<Titul>Pel\xC3\xAD\xC5\xA1ky</Titul>"));  // UTF-8, no byte-order mark before
  EXPECT_EQ(h->DataSet1.FieldByName("Id").AsLargeInt(), 7);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_TRUE(seam->Calls().empty());

  const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
  ASSERT_FALSE(xmllint.isEmpty()) << "xmllint (libxml2-utils) is installed by scripts/install-deps.sh";
  QProcess check;
  check.start(xmllint, {QStringLiteral("--noout"), xml});
  ASSERT_TRUE(check.waitForFinished(30000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
  EXPECT_TRUE(check.readAllStandardError().isEmpty());
}

TEST_F(ExportTest, XmlFailuresAreShownWithTheirReasonAndLeaveNoFile) {
  std::vector<test::TestFilm> filmy = TriFilmy();
  MakeCatalogue(filmy);
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Next();
  const QString missing = dir_ + QStringLiteral("chybí/seznam.xml");
  EXPECT_FALSE(ExportovatXML(h->DataSet1, missing, "data", h.get()));
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Information);
  EXPECT_EQ(seam->Calls()[0].caption, "Kalmetra");
  EXPECT_TRUE(seam->Calls()[0].text.startsWith(QStringLiteral("XML dokument se nepodařilo vytvořit: \r\nSoubor \"") +
                                               missing + QStringLiteral("\" nelze vytvořit.")))
      << seam->Calls()[0].text.toStdString();
  EXPECT_EQ(h->DataSet1.RecNo(), 2);
  EXPECT_FALSE(h->DataSet1.ControlsDisabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A control character XML cannot carry stops the document; the earlier file stays.
  const QString xml = dir_ + QStringLiteral("seznam.xml");
  {
    QFile earlier(xml);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("<old/>");
  }
  h.reset();
  filmy.push_back({9, {QStringLiteral("Zvonek\x07"), {}, {}, {}, {}, {}, {}, {}, {}}});
  QFile::remove(Db());
  MakeCatalogue(filmy);
  h = Start();
  EXPECT_FALSE(ExportovatXML(h->DataSet1, xml, "data", h.get()));
  ASSERT_EQ(seam->Calls().size(), 2u);
  // It says where the character stands, so that the record can be mended.
  EXPECT_EQ(seam->Calls()[1].text, QStringLiteral("XML dokument se nepodařilo vytvořit: \r\nHodnota obsahuje řídicí znak 7, "
                                                  "který XML nepřipouští (záznam s Id 9, pole Titul)."));
  EXPECT_EQ(ReadBytes(xml), "<old/>");
  EXPECT_EQ(FilesInFolder(), QStringList({"Kalmetra.sqlite", KALMETRA_SQLITE_LIBNAME, "seznam.xml"}));
  EXPECT_EQ(h->DataSet1.RecNo(), 1);
}

TEST_F(ExportTest, ExtensionFollowsTheChosenType) {
  EXPECT_EQ(UpravitPriponu("/d/Kalmetra", kExportCSV), "/d/Kalmetra.csv");
  EXPECT_EQ(UpravitPriponu("/d/seznam.txt", kExportXML), "/d/seznam.xml");
  EXPECT_EQ(UpravitPriponu("/d/SEZNAM.XML", kExportXML), "/d/SEZNAM.XML");
  EXPECT_EQ(UpravitPriponu("/d/seznam.Html", kExportHTML), "/d/seznam.Html");
  EXPECT_EQ(UpravitPriponu("/d/seznam.", kExportText), "/d/seznam.txt");
  EXPECT_EQ(UpravitPriponu("/d/filmy.2024/seznam", kExportText), "/d/filmy.2024/seznam.txt");
  EXPECT_EQ(UpravitPriponu("/d/archiv.tar.gz", kExportCSV), "/d/archiv.tar.csv");
  EXPECT_EQ(SeznamTypuExportu(),
            QStringLiteral("Databáze XML (*.xml)|*.xml|Database CSV (oddelovač středník) (*.csv)|*.csv|"
                           "Textový soubor (*.txt)|*.txt|Dokument HTML (tabulka) (*.html)|*.html"));
}

TEST_F(ExportTest, CommandShowsNothingForAnEmptyListOrAFilterMatchingNothing) {
  test::ScopedScriptedSeam seam;
  auto h = Start();  // the empty template catalogue
  h->Akce("Akce_ExportDat")->trigger();
  EXPECT_TRUE(seam->Calls().empty());
  h.reset();
  QFile::remove(Db());
  MakeCatalogue(TriFilmy());
  h = Start();
  h->VyrazFiltru = QStringLiteral("nic takového");
  h->OtevritSeznam();
  h->Akce("Akce_ExportDat")->trigger();
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(ExportTest, CommandAsksForTheFileKeepsTheTypeAndAsksBeforeOverwriting) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Next();
  seam->QueueFile(FileDialogAnswer{dir_ + QStringLiteral("seznam"), kExportCSV});
  h->Akce("Akce_ExportDat")->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  const FileDialogRequest& first = seam->Calls()[0].request;
  EXPECT_EQ(seam->Calls()[0].kind, CallKind::SaveFile);
  EXPECT_EQ(first.title, QStringLiteral("Uložit seznam jako ..."));
  ASSERT_EQ(first.types.size(), 4u);
  EXPECT_EQ(first.types[1].name, QStringLiteral("Database CSV (oddelovač středník) (*.csv)"));
  EXPECT_EQ(first.types[1].pattern, "*.csv");
  EXPECT_EQ(first.types[3].name, QStringLiteral("Dokument HTML (tabulka) (*.html)"));
  EXPECT_EQ(first.typeIndex, 1);
  EXPECT_EQ(first.fileName, "Kalmetra");
  EXPECT_TRUE(first.folder.isEmpty());
  const QString csv = dir_ + QStringLiteral("seznam.csv");
  EXPECT_EQ(ReadBytes(csv), "Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n" + Radky(';'));
  EXPECT_EQ(h->DataSet1.RecNo(), 2);

  // The type stays chosen; an existing file is asked about, and only No stops.
  seam->QueueFile(FileDialogAnswer{csv, kExportCSV});
  seam->QueueAnswer(kAnswerNo);
  QFile::resize(csv, 10);
  h->Akce("Akce_ExportDat")->trigger();
  ASSERT_EQ(seam->Calls().size(), 3u);
  EXPECT_EQ(seam->Calls()[1].request.typeIndex, kExportCSV);
  EXPECT_EQ(seam->Calls()[1].request.fileName, "Kalmetra");
  EXPECT_EQ(seam->Calls()[2].kind, CallKind::Question);
  EXPECT_EQ(seam->Calls()[2].icon, MessageIcon::Warning);
  EXPECT_EQ(seam->Calls()[2].caption, QStringLiteral("Varování"));
  EXPECT_EQ(seam->Calls()[2].text,
            QStringLiteral("Soubor s tímto jménem na určené cestě již existuje. Chcete ho opravdu přepsat?"));
  EXPECT_EQ(QFileInfo(csv).size(), 10);

  seam->QueueFile(FileDialogAnswer{dir_ + QStringLiteral("seznam.txt"), kExportCSV});  // becomes seznam.csv
  seam->QueueAnswer(kAnswerYes);
  h->Akce("Akce_ExportDat")->trigger();
  EXPECT_EQ(seam->Calls().size(), 5u);
  EXPECT_EQ(ReadBytes(csv), "Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n" + Radky(';'));
  EXPECT_FALSE(QFileInfo::exists(dir_ + QStringLiteral("seznam.txt")));

  // A cancelled dialog does nothing.
  seam->QueueFile(std::nullopt);
  h->Akce("Akce_ExportDat")->trigger();
  EXPECT_EQ(seam->Calls().size(), 6u);
  EXPECT_TRUE(seam->AllAnswersUsed());
  EXPECT_EQ(h->DataSet1.RecNo(), 2);

  // A file that cannot be written is reported by the default error report.
  seam->QueueFile(FileDialogAnswer{dir_ + QStringLiteral("chybí/seznam"), kExportText});
  h->Akce("Akce_ExportDat")->trigger();
  ASSERT_EQ(seam->Calls().size(), 8u);
  EXPECT_EQ(seam->Calls()[7].icon, MessageIcon::Warning);
  EXPECT_TRUE(seam->Calls()[7].text.startsWith(QStringLiteral("Soubor \"") + dir_ + QStringLiteral("chybí/seznam.txt\" nelze vytvořit.")))
      << seam->Calls()[7].text.toStdString();
  EXPECT_EQ(h->DataSet1.RecNo(), 2);
}

TEST_F(ExportTest, CommandWritesAValidHtmlTableWithTheFieldLabels) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  seam->QueueFile(FileDialogAnswer{dir_ + QStringLiteral("seznam"), kExportHTML});
  h->Akce("Akce_ExportDat")->trigger();
  const QString html = dir_ + QStringLiteral("seznam.html");
  const QString text = QString::fromUtf8(ReadBytes(html));
  EXPECT_TRUE(text.startsWith("<!DOCTYPE html>\r\n<html lang=\"cs\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"));
  EXPECT_TRUE(text.contains(QStringLiteral("<tr><th>Id</th><th>Titul</th><th>Rok</th><th>Stopáž</th><th>Žánr</th>"
                                           "<th>Původ</th><th>Režie</th><th>Obsazení</th><th>Komentář</th>"
                                           "<th>Umístění</th></tr>\r\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("<tr><td>2</td><td>Tom &amp; Jerry; &lt;výběr&gt;</td><td>1940</td><td></td>"
                                           "<td>animovaný</td><td>USA</td><td></td><td></td>"
                                           "<td>&quot;kočka&quot; &gt; myš</td><td></td></tr>\r\n")));
  EXPECT_EQ(text.count(QStringLiteral("<tr>")), 4);
  EXPECT_TRUE(text.endsWith("</tbody>\r\n</table>\r\n</body>\r\n</html>\r\n"));

  const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
  ASSERT_FALSE(xmllint.isEmpty()) << "xmllint (libxml2-utils) is installed by scripts/install-deps.sh";
  QProcess check;
  check.start(xmllint, {QStringLiteral("--html"), QStringLiteral("--noout"), html});
  ASSERT_TRUE(check.waitForFinished(30000));
  EXPECT_EQ(check.exitCode(), 0);
  EXPECT_TRUE(check.readAllStandardError().isEmpty()) << check.readAllStandardError().toStdString();
}

// Writes the formats for scripts/check-export-formats.sh (into the folder it names in
// KALMETRA_VZORKY_EXPORTU), which opens them in xmllint and LibreOffice.
TEST_F(ExportTest, SampleFilesForTheFormatCheck) {
  MakeCatalogue(TriFilmy());
  test::ScopedScriptedSeam seam;
  auto h = Start();
  QString out = qEnvironmentVariable("KALMETRA_VZORKY_EXPORTU");
  out = out.isEmpty() ? dir_ : out + QStringLiteral("/");
  QStringList popisky;
  for (int i = 0; i < h->DataSet1.FieldCount(); ++i) popisky << h->PopisekPole(FromAnsi(h->DataSet1.Field(i).FieldName()));
  ASSERT_TRUE(ExportovatXML(h->DataSet1, out + QStringLiteral("Kalmetra.xml"), "data", h.get()));
  ExportovatText(h->DataSet1, true, ';', out + QStringLiteral("Kalmetra.csv"), h.get());
  ExportovatHTML(h->DataSet1, out + QStringLiteral("Kalmetra.html"), popisky, h.get());
  EXPECT_EQ(ReadBytes(out + QStringLiteral("Kalmetra.xml")).count("<zaznam>"), 3);
  EXPECT_EQ(ReadBytes(out + QStringLiteral("Kalmetra.csv")).count("\r\n"), 4);
  EXPECT_EQ(ReadBytes(out + QStringLiteral("Kalmetra.html")).count("<tr>"), 4);
  EXPECT_TRUE(seam->Calls().empty());
}

TEST_F(ExportTest, TheWindowDoesNotCloseWhileLongWorkRuns) {
  test::ScopedScriptedSeam seam;
  auto h = Start();
  h->show();
  {
    TPrubeh prubeh(h.get(), QStringLiteral("Export"), 10);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_FALSE(h->close());
    EXPECT_TRUE(h->isVisible());
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(h->close());
}

}  // namespace
}  // namespace kalmetra
