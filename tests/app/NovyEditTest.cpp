// The record editor and the new, edit and delete commands on a real catalogue file:
// the keys, the save question, the mode, hidden fields, errors of the record set and
// the numbering of new rows.
#include "TestSupport.h"

#include <Hlavni_f.h>
#include <NovyEdit_f.h>
#include <TextCodec.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "KatalogFixture.h"
#include "ModalniOkno.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

// Types text the way a keyboard does, one character a key press, Czech letters too.
void Napsat(QWidget* w, const QString& text) {
  for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_A, QString(c), Qt::NoModifier);
}

class NovyEditTest : public test::KatalogFixture {
 protected:
  static size_t Questions(const test::ScriptedSeam& seam) {
    size_t n = 0;
    for (const auto& c : seam.Calls()) n += c.kind == CallKind::Question ? 1 : 0;
    return n;
  }
  // An editor opened in the mode's title, shown but not modal.
  static std::unique_ptr<TNovyEdit> Editor(THlavni& h, const char* title) {
    auto e = std::make_unique<TNovyEdit>(h);
    e->setWindowTitle(QString::fromUtf8(title));
    e->show();
    return e;
  }
  void SetLocation(THlavni& h, int id, const std::string& path) {
    h.DataSet1.SetRecNo(id);
    h.DataSet1.Edit();
    h.DataSet1.FieldByName("Umisteni").SetAsString(path);
    h.DataSet1.Post();
  }
};

TEST_F(NovyEditTest, KeysAddAFilmAndSaveItTwice) {
  ScopedScriptedSeam seam;
  seam->QueueAnswer(kAnswerYes);
  seam->QueueAnswer(kAnswerYes);
  auto h = Start();
  h->show();
  QApplication::setActiveWindow(h.get());
  const QString title = QStringLiteral("Příliš žluťoučký kůň");
  auto ran = std::make_shared<bool>(false);
  test::VModalnimOkne(
      [&](QDialog& d) {
        auto* e = qobject_cast<TNovyEdit*>(&d);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Nový záznam"));
        EXPECT_EQ(e->Pocitadlo->text(), QStringLiteral("Počítadlo"));
        EXPECT_FALSE(e->TB_PrvniZaznam->isEnabled());
        QTest::keyClick(e->Ed_Titul, Qt::Key_Insert);
        EXPECT_FALSE(e->Tl_OK->isEnabled());
        Napsat(e->Ed_Titul, title);
        EXPECT_TRUE(e->Tl_OK->isEnabled());
        QTest::keyClick(e->Ed_Titul, Qt::Key_Return);
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editace aktuálního záznamu"));
        EXPECT_EQ(e->La_Id->text(), "1");
        EXPECT_FALSE(e->Tl_OK->isEnabled());
        QTest::keyClick(e->Ed_Titul, Qt::Key_Down);
        EXPECT_EQ(e->focusWidget(), e->Ed_Rok);
        Napsat(e->Ed_Rok, QStringLiteral("1995"));
        QTest::keyClick(e->Ed_Rok, Qt::Key_Up);
        EXPECT_EQ(e->focusWidget(), e->Ed_Titul);
        Napsat(e->Ed_Titul, QStringLiteral("!"));
        QTest::keyClick(e->Ed_Titul, Qt::Key_Enter);
        EXPECT_EQ(e->La_Id->text(), "1");
        QTest::keyClick(e->Ed_Titul, Qt::Key_Escape);
        EXPECT_FALSE(e->isVisible());
      },
      ran);
  QTest::keyClick(h.get(), Qt::Key_Insert);
  ASSERT_TRUE(*ran);
  EXPECT_EQ(Questions(*seam), 2u);
  for (const auto& c : seam->Calls()) {
    EXPECT_EQ(c.caption, QStringLiteral("V textu byly provedeny změny"));
    EXPECT_EQ(c.text, QStringLiteral("Chcete tyto změny uložit?"));
    EXPECT_EQ(c.icon, MessageIcon::Question);
  }
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "1");
  // Windows-1250: ř is F8, ž is 9E, ť is 9D, ů is F9.
  EXPECT_EQ(rows[0][1], "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2!");
  EXPECT_EQ(rows[0][2], "1995");
  EXPECT_EQ(h->DataSet1.RecordCount(), 1);
  EXPECT_EQ(h->LaCisloZaznamu()->text(), "1 z 1");
}

TEST_F(NovyEditTest, ControlsAndLayoutFollowTheHideSettings) {
  ScopedScriptedSeam seam;
  auto h = Start();
  {
    auto e = Editor(*h, "Nový záznam");
    EXPECT_EQ(e->size(), QSize(650, 296));
    EXPECT_TRUE(e->Ed_Umisteni->isHidden());
    EXPECT_TRUE(e->findChild<QLabel*>("La_Umisteni")->isHidden());
    EXPECT_TRUE(e->Tl_Umisteni->isHidden());
    EXPECT_EQ(e->Ed_Puvod->y(), 120);
    EXPECT_EQ(e->Ed_Koment->y(), 192);
    EXPECT_EQ(e->findChild<QLabel*>("La_Koment")->y(), 196);
    EXPECT_EQ(e->findChild<QLabel*>("La_Stopaz")->text(), QStringLiteral("Stopáž"));
    EXPECT_FALSE(e->Tl_OK->isEnabled());
    const std::pair<QLineEdit*, int> lengths[] = {{e->Ed_Titul, 80},     {e->Ed_Rok, 4},       {e->Ed_Stopaz, 4},
                                                  {e->Cb_Zanr->lineEdit(), 30}, {e->Ed_Puvod, 30}, {e->Ed_Rezie, 30},
                                                  {e->Ed_Obsazeni, 255}, {e->Ed_Koment, 255}, {e->Ed_Umisteni, 255}};
    for (const auto& [edit, length] : lengths) EXPECT_EQ(edit->maxLength(), length) << edit->objectName().toStdString();
    EXPECT_EQ(e->TB_PredchazejiciZaznam->toolTip(), QStringLiteral("Předcházející záznam (Shift+<)"));
    EXPECT_EQ(e->TB_NovyZaznam->toolTip(), QStringLiteral("Nový záznam (Ins)"));
    EXPECT_EQ(e->Cb_Zanr->maxVisibleItems(), 10);
  }
  h->Skryt.fill(false);
  {
    auto e = Editor(*h, "Nový záznam");
    EXPECT_EQ(e->size(), QSize(650, 320));
    EXPECT_TRUE(e->Ed_Umisteni->isVisible());
    EXPECT_EQ(e->Ed_Umisteni->y(), 216);
    EXPECT_EQ(e->Tl_Umisteni->y() + e->Tl_Umisteni->height() / 2, 216 + e->Ed_Umisteni->height() / 2);
  }
  h->Skryt[4] = true;  // genre
  {
    auto e = Editor(*h, "Nový záznam");
    EXPECT_EQ(e->size(), QSize(650, 296));
    EXPECT_EQ(e->Ed_Puvod->y(), 96);
    EXPECT_FALSE(e->Tl_Zanr->isVisible());
    EXPECT_FALSE(e->findChild<QLabel*>("La_Zanr")->isVisible());
  }
}

TEST_F(NovyEditTest, SaveQuestionDirtyFlagAndHiddenFields) {
  MakeCatalogue(3);
  ScopedScriptedSeam seam;
  auto h = Start();
  SetLocation(*h, 2, ToAnsi(QStringLiteral("/filmy/Obecná škola.avi")));
  auto e = Editor(*h, "Editace aktuálního záznamu");
  EXPECT_EQ(e->La_Id->text(), "2");
  EXPECT_EQ(e->Ed_Umisteni->text(), QStringLiteral("/filmy/Obecná škola.avi"));  // hidden, still loaded
  EXPECT_EQ(e->Pocitadlo->text(), QStringLiteral("Záznam: 2 z 3"));
  EXPECT_EQ(e->Cb_Zanr->currentText(), "Zanr 2");
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  e->Tl_OK->click();  // nothing to save: no question
  EXPECT_TRUE(seam->Calls().empty());

  e->Ed_Titul->setText(QStringLiteral("Obecná škola "));
  seam->QueueAnswer(kAnswerNo);
  e->Tl_OK->click();
  EXPECT_TRUE(e->Tl_OK->isEnabled());
  EXPECT_EQ(e->Ed_Titul->text(), QStringLiteral("Obecná škola "));
  EXPECT_EQ(Rows()[1][1], ToAnsi(QStringLiteral("Žluťoučký film 2")));

  seam->QueueAnswer(kAnswerYes);
  e->Tl_OK->click();
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Editace aktuálního záznamu"));
  auto rows = Rows();
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][1], ToAnsi(QStringLiteral("Obecná škola ")));  // as typed, not trimmed
  EXPECT_EQ(rows[1][9], ToAnsi(QStringLiteral("/filmy/Obecná škola.avi")));
  EXPECT_EQ(rows[1][4], "Zanr 2");

  // Without the question a change is written at once; a choice from the genre list is a change.
  h->ZobrazDialogUloz = false;
  e->Cb_Zanr->addItem(QStringLiteral("Komedie"));
  e->Cb_Zanr->setCurrentIndex(e->Cb_Zanr->count() - 1);
  EXPECT_TRUE(e->Tl_OK->isEnabled());
  e->Tl_OK->click();
  EXPECT_EQ(Rows()[1][4], "Komedie");
  // Enter in the genre box saves as well.
  e->Cb_Zanr->setFocus();
  Napsat(e->Cb_Zanr->lineEdit(), QStringLiteral("!"));
  QTest::keyClick(e->Cb_Zanr->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Rows()[1][4], "Komedie!");
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  EXPECT_EQ(e->Cb_Zanr->count(), 1);  // typed text does not join the list
  EXPECT_EQ(Questions(*seam), 2u);
}

TEST_F(NovyEditTest, NavigationSavesLoadsAndKeepsTheMode) {
  MakeCatalogue(3);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.SetRecNo(2);
  auto e = Editor(*h, "Editace aktuálního záznamu");
  // No to the question while moving on: the change is dropped, the next row is shown.
  e->Ed_Titul->setText(QStringLiteral("zahozeno"));
  seam->QueueAnswer(kAnswerNo);
  QTest::keyClick(e->Ed_Titul, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(e->La_Id->text(), "3");
  EXPECT_EQ(e->Ed_Titul->text(), QStringLiteral("Žluťoučký film 3"));
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  EXPECT_FALSE(e->TB_NasledujiciZaznam->isEnabled());
  EXPECT_EQ(Rows()[1][1], ToAnsi(QStringLiteral("Žluťoučký film 2")));
  // At the end the key reloads the same row.
  QTest::keyClick(e->Ed_Titul, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(e->La_Id->text(), "3");
  QTest::keyClick(e->Ed_Rok, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(e->La_Id->text(), "2");
  EXPECT_EQ(e->Pocitadlo->text(), QStringLiteral("Záznam: 2 z 3"));

  // Ctrl+Ins is Ins too: a new record, the controls cleared.
  QTest::keyClick(e->Ed_Titul, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Nový záznam"));
  EXPECT_EQ(e->Ed_Titul->text(), "");
  EXPECT_EQ(e->La_Id->text(), "");
  // Shift+Home in new mode shows the first row, still as a new record; saving appends.
  QTest::keyClick(e->Ed_Titul, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Nový záznam"));
  EXPECT_EQ(e->La_Id->text(), "1");
  e->Ed_Rok->setText(QStringLiteral("2001"));
  seam->QueueAnswer(kAnswerYes);
  QTest::keyClick(e->Ed_Rok, Qt::Key_Return);
  EXPECT_EQ(e->windowTitle(), QStringLiteral("Editace aktuálního záznamu"));
  EXPECT_EQ(e->La_Id->text(), "4");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0][2], "1951");
  EXPECT_EQ(rows[3][1], ToAnsi(QStringLiteral("Žluťoučký film 1")));
  EXPECT_EQ(rows[3][2], "2001");
  EXPECT_EQ(rows[3][3], "91");
  EXPECT_TRUE(seam->AllAnswersUsed());
}

TEST_F(NovyEditTest, DoubleClickOnAnEmptyGridEditsAndSavingInserts) {
  ScopedScriptedSeam seam;
  auto h = Start();
  h->ZobrazDialogUloz = false;
  h->show();
  ASSERT_FALSE(h->Akce("Akce_EditZaznamu")->isEnabled());
  auto ran = std::make_shared<bool>(false);
  test::VModalnimOkne(
      [&](QDialog& d) {
        auto* e = qobject_cast<TNovyEdit*>(&d);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editace aktuálního záznamu"));
        EXPECT_EQ(e->La_Id->text(), "");
        e->Ed_Titul->setText(QStringLiteral("Kolja"));
        e->Tl_OK->click();
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Editace aktuálního záznamu"));
      },
      ran);
  QTest::mouseDClick(h->DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
  ASSERT_TRUE(*ran);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "1");
  EXPECT_EQ(rows[0][1], "Kolja");
  EXPECT_EQ(h->DataSet1.RecordCount(), 1);
}

TEST_F(NovyEditTest, DeleteEmptiesTheRowAndKeepsItsId) {
  MakeCatalogue(3);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->DataSet1.Last();
  seam->QueueAnswer(kAnswerNo);
  h->Akce("Akce_OdstranitZaznam")->trigger();
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].caption, QStringLiteral("Mazání záznamu"));
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Opravdu chcete odstranit aktuální záznam?"));
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(Rows()[2][1], ToAnsi(QStringLiteral("Žluťoučký film 3")));
  seam->QueueAnswer(kAnswerYes);
  h->Akce("Akce_OdstranitZaznam")->trigger();
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], std::vector<std::string>({"3", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(h->DataSet1.RecordCount(), 3);
  EXPECT_EQ(h->NoveId(), 4);
}

TEST_F(NovyEditTest, RefusedRowKeepsTheEditorAndTheFile) {
  MakeCatalogue(1);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->ZobrazDialogUloz = false;
  auto e = Editor(*h, "Nový záznam");
  e->Ed_Titul->setText(QStringLiteral("Samotáři"));
  {
    // Another program holds the catalogue locked.
    auto other = Connect();
    other->ExecSQL("BEGIN EXCLUSIVE");
    e->Tl_OK->click();
    ASSERT_EQ(seam->Calls().size(), 1u);
    EXPECT_EQ(seam->Calls()[0].kind, CallKind::Message);
    EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(seam->Calls()[0].text.contains(QStringLiteral("locked")));
    EXPECT_EQ(e->windowTitle(), QStringLiteral("Nový záznam"));
    EXPECT_EQ(e->Ed_Titul->text(), QStringLiteral("Samotáři"));
    EXPECT_TRUE(e->Tl_OK->isEnabled());
    EXPECT_EQ(h->DataSet1.State(), orvek3::TDataSetState::dsBrowse);
    EXPECT_EQ(h->DataSet1.RecordCount(), 1);
    other->ExecSQL("ROLLBACK");
    other->Disconnect();
  }
  EXPECT_EQ(Rows().size(), 1u);
  e->Tl_OK->click();  // the lock is gone: the same text is saved
  EXPECT_EQ(e->La_Id->text(), "2");
  EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(NovyEditTest, TextOutsideWindows1250IsRefused) {
  ScopedScriptedSeam seam;
  auto h = Start();
  h->Skryt.fill(false);
  auto e = Editor(*h, "Nový záznam");
  e->Ed_Titul->setFocus();
  Napsat(e->Ed_Titul, QStringLiteral("Ж"));
  EXPECT_EQ(e->Ed_Titul->text(), "");
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  // The edit pastes from the real clipboard, not through the seam.
  QGuiApplication::clipboard()->setText(QStringLiteral("Kin\u0434za"));
  e->Ed_Titul->paste();
  EXPECT_EQ(e->Ed_Titul->text(), "");
  QGuiApplication::clipboard()->setText(QStringLiteral("Kin-dza-dza"));
  e->Ed_Titul->paste();
  EXPECT_EQ(e->Ed_Titul->text(), "Kin-dza-dza");

  // The location chooser: its type list, a path the code page cannot hold, a good path.
  e->Tl_OK->setEnabled(false);
  seam->QueueFile(FileDialogAnswer{QStringLiteral("/filmy/Москва.avi"), 1});
  e->Tl_Umisteni->click();
  const auto& calls = seam->Calls();
  ASSERT_GE(calls.size(), 2u);
  const FileDialogRequest& request = calls[calls.size() - 2].request;
  ASSERT_EQ(request.types.size(), 9u);
  EXPECT_EQ(request.types[0].name, QStringLiteral("Všechny soubory"));
  EXPECT_EQ(request.types[0].pattern, "*.*");
  EXPECT_EQ(request.types[8].pattern, "*.wmv");
  EXPECT_EQ(request.typeIndex, 1);
  EXPECT_EQ(calls.back().kind, CallKind::Message);
  EXPECT_EQ(e->Ed_Umisteni->text(), "");
  EXPECT_FALSE(e->Tl_OK->isEnabled());
  seam->QueueFile(FileDialogAnswer{QStringLiteral("/filmy/Pelíšky.avi"), 3});
  e->Tl_Umisteni->click();
  EXPECT_EQ(e->Ed_Umisteni->text(), QStringLiteral("/filmy/Pelíšky.avi"));
  EXPECT_TRUE(e->Tl_OK->isEnabled());
  seam->QueueFile(std::nullopt);
  e->Tl_Umisteni->click();
  EXPECT_EQ(e->Ed_Umisteni->text(), QStringLiteral("/filmy/Pelíšky.avi"));
}

TEST_F(NovyEditTest, WebButtonCopiesTheSelectedTitle) {
  MakeCatalogue(1);
  ScopedScriptedSeam seam;
  auto h = Start();
  auto e = Editor(*h, "Editace aktuálního záznamu");
  h->VychoziAdresaWWWW.clear();
  e->Tl_Titul->click();
  EXPECT_EQ(seam->Calls().back().text,
            QStringLiteral("Není zadaná žádná výchozí internetová adresa pro filmovou databázi."));
  h->VychoziAdresaWWWW = QStringLiteral("https://www.csfd.cz/");
  e->Ed_Titul->setSelection(0, 9);
  e->Tl_Titul->click();
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Žluťoučký"));
  EXPECT_EQ(seam->Calls().back().kind, CallKind::OpenWithDesktop);
  EXPECT_EQ(seam->Calls().back().text, QStringLiteral("https://www.csfd.cz/"));
}

// A UTF-16 catalogue made by another program holds text Windows-1250 lacks: the grid shows
// it as stored, the editor shows it read-only, and a save writes only what was changed.
TEST_F(NovyEditTest, TextOutsideTheCodePageIsShownAndNeverWrittenBack) {
  {
    auto db = std::make_unique<orvek3::TOrvek3Database>();
    db->SetDriver(Lib().toStdString());
    db->SetDatabaseFile(Db().toStdString());
    db->SetMustExists(false);
    db->Connect();
    db->ExecSQL("PRAGMA encoding = 'UTF-16le'");
    db->ExecSQL(DefiniceTabulky().toStdString());
    db->Disconnect();
  }
  const QString titul = QStringLiteral("日本語 title");
  {
    // Bound as UTF-8 by the library itself, as another program would store it.
    auto db = Connect();
    const QByteArray sql = "INSERT INTO Tabulka (Id, Titul, Rok, Zanr) VALUES (1, '" + titul.toUtf8() + "', '1999', 'Drama')";
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(db->Api().prepare(db->Handle(), sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
    EXPECT_EQ(db->Api().step(stmt), SQLITE_DONE);
    db->Api().finalize(stmt);
    db->Disconnect();
  }
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_TRUE(h->DataSet1.Active());
  EXPECT_EQ(h->DBGrid1->model()->index(0, 1).data().toString(), titul);

  auto e = Editor(*h, kTitulekEditace);
  EXPECT_EQ(e->Ed_Titul->text(), titul);
  EXPECT_TRUE(e->Ed_Titul->isReadOnly());
  EXPECT_FALSE(e->Ed_Rok->isReadOnly());
  EXPECT_FALSE(e->findChild<QLabel*>("La_Poznamka")->text().isEmpty());
  e->Ed_Rok->selectAll();
  Napsat(e->Ed_Rok, QStringLiteral("2001"));
  h->ZobrazDialogUloz = false;
  ASSERT_TRUE(e->UlozitZaznam());
  e.reset();

  auto db = Connect();
  orvek3::TOrvek3Query q(db.get());
  q.SetSQL("SELECT Titul, Rok FROM Tabulka WHERE Id = 1");
  q.OpenSQL();
  EXPECT_EQ(QString::fromStdU16String(q.Field(0).AsUnicode()), titul);
  EXPECT_EQ(q.Field(1).AsString(), "2001");
}

}  // namespace
}  // namespace kalmetra

namespace kalmetra {
namespace {

TEST_F(NovyEditTest, AGenreTypedInAnotherLetterCaseIsStoredAsTyped) {
  MakeCatalogue(1);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->ZobrazDialogUloz = false;
  auto e = Editor(*h, "Editace aktuálního záznamu");
  QApplication::setActiveWindow(e.get());  // completion acts only on a focused box
  e->Cb_Zanr->clear();
  e->Cb_Zanr->addItems({QStringLiteral("Komedie"), QStringLiteral("Krimi")});
  e->Cb_Zanr->setEditText(QString());
  e->Cb_Zanr->setFocus();
  Napsat(e->Cb_Zanr->lineEdit(), QStringLiteral("komedie"));
  QTest::keyClick(e->Cb_Zanr->lineEdit(), Qt::Key_Down);
  e->Tl_OK->click();
  EXPECT_EQ(Rows()[0][4], "komedie");
  // A prefix of an entry is not filled in: Enter takes the three letters.
  e->Cb_Zanr->setFocus();
  e->Cb_Zanr->lineEdit()->clear();
  Napsat(e->Cb_Zanr->lineEdit(), QStringLiteral("Kom"));
  EXPECT_EQ(e->Cb_Zanr->currentText(), "Kom");
  QTest::keyClick(e->Cb_Zanr->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Rows()[0][4], "Kom");
}

}  // namespace
}  // namespace kalmetra

namespace kalmetra {
namespace {

TEST_F(NovyEditTest, WebButtonCopiesTheWholeTitleWithoutASelectionAndNeverEmptiesTheClipboard) {
  MakeCatalogue(1);
  ScopedScriptedSeam seam;
  auto h = Start();
  h->ZobrazDialogUloz = false;
  h->VychoziAdresaWWWW = QStringLiteral("https://www.csfd.cz/");
  auto e = Editor(*h, "Editace aktuálního záznamu");
  QApplication::setActiveWindow(e.get());
  // The title changed and saved: the save leaves no selection.
  e->Ed_Titul->setFocus();
  e->Ed_Titul->selectAll();
  Napsat(e->Ed_Titul, QStringLiteral("Obecná škola"));
  QTest::keyClick(e->Ed_Titul, Qt::Key_Return);
  ASSERT_EQ(Rows()[0][1], ToAnsi(QStringLiteral("Obecná škola")));
  QTest::mouseClick(e->Tl_Titul, Qt::LeftButton);
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Obecná škola"));
  // A part selected is what is copied.
  e->Ed_Titul->setSelection(0, 6);
  QTest::mouseClick(e->Tl_Titul, Qt::LeftButton);
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Obecná"));
  // No title: the clipboard keeps what it held.
  e->Ed_Titul->clear();
  QTest::mouseClick(e->Tl_Titul, Qt::LeftButton);
  EXPECT_EQ(seam->Clipboard(), QStringLiteral("Obecná"));
  EXPECT_EQ(seam->Calls().back().kind, CallKind::OpenWithDesktop);
}

}  // namespace
}  // namespace kalmetra
