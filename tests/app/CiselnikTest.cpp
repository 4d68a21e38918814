// The genre list: reading and writing "Zanr.txt", the dialog's change question, and the
// record editor's genre box that the dialog feeds.
#include "TestSupport.h"

#include <Ciselnik_f.h>
#include <Hlavni_f.h>
#include <NovyEdit_f.h>
#include <Platforma.h>
#include <TextCodec.h>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "KatalogFixture.h"
#include "ModalniOkno.h"
#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

using test::CallKind;
using test::ScopedScriptedSeam;

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

TEST(Ciselnik, LinesEndAtEveryKindOfBreakAndTheTextAtNul) {
  EXPECT_EQ(RadkyCiselniku("Drama\r\nKomedie\nHorror\rSci-fi"),
            QStringList({"Drama", "Komedie", "Horror", "Sci-fi"}));
  EXPECT_EQ(RadkyCiselniku("a\r\n\r\n b \n\n"), QStringList({"a", "", " b ", ""}));
  EXPECT_EQ(RadkyCiselniku(QByteArray("Western\r\nV\xE1le\xE8n\xFD\0Skryto\r\n", 26)),
            QStringList({"Western", QStringLiteral("Válečný")}));
  EXPECT_EQ(RadkyCiselniku("\r\r\n"), QStringList({"", ""}));
  EXPECT_TRUE(RadkyCiselniku("").isEmpty());
  QByteArray bytes;
  ASSERT_TRUE(TextCiselniku({QStringLiteral("Válečný"), "", "Drama"}, bytes));
  EXPECT_EQ(bytes, QByteArray("V\xE1le\xE8n\xFD\r\n\r\nDrama\r\n"));
  EXPECT_FALSE(TextCiselniku({QStringLiteral("Боевик")}, bytes));
}

TEST(Ciselnik, ListsBeyondTheLimitsAreRefusedAndTheFileIsKept) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("Zanr.txt"));
  // At the limits everything loads and saves back byte for byte, the no-break space too.
  const QByteArray longest = QByteArray("Ak\xE8n\xED\xA0") + QByteArray(kNejdelsiRadekCiselniku - 6, 'x');
  ASSERT_EQ(longest.size(), kNejdelsiRadekCiselniku);
  QByteArray full;
  for (int i = 0; i < kNejviceRadkuCiselniku; ++i) full += longest + "\r\n";
  WriteAll(path, full);
  QStringList lines;
  QString error;
  ASSERT_TRUE(NacistCiselnik(path, lines, &error)) << error.toStdString();
  ASSERT_EQ(lines.size(), kNejviceRadkuCiselniku);
  EXPECT_EQ(lines.front(), QStringLiteral("Akční\u00A0") + QString(kNejdelsiRadekCiselniku - 6, QLatin1Char('x')));
  ASSERT_TRUE(UlozitCiselnik(path, lines, &error)) << error.toStdString();
  EXPECT_EQ(ReadAll(path), full);

  const QStringList before = {QStringLiteral("beze změny")};
  const struct {
    QByteArray bytes;
    QString reason;
  } beyond[] = {
      {QByteArray("Drama\r\n").repeated(kNejviceRadkuCiselniku + 1), QStringLiteral("více než %1 řádků").arg(kNejviceRadkuCiselniku)},
      {"Drama\r\n" + longest + "x\r\n", QStringLiteral("Řádek 2 má více než %1 znaků").arg(kNejdelsiRadekCiselniku)},
      {QByteArray(10 * 1024 * 1024, 'a'), QStringLiteral("je větší než")},
  };
  for (const auto& b : beyond) {
    WriteAll(path, b.bytes);
    lines = before;
    error.clear();
    EXPECT_FALSE(NacistCiselnik(path, lines, &error));
    EXPECT_TRUE(error.contains(b.reason)) << error.toStdString();
    EXPECT_EQ(lines, before);
    EXPECT_EQ(ReadAll(path), b.bytes);
  }
  // A list the reader would refuse is never written.
  lines = RadkyCiselniku(full);
  lines << QStringLiteral("Drama");
  error.clear();
  EXPECT_FALSE(UlozitCiselnik(path, lines, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("více než %1 řádků").arg(kNejviceRadkuCiselniku))) << error.toStdString();
  EXPECT_FALSE(UlozitCiselnik(path, {QString(kNejdelsiRadekCiselniku + 1, QLatin1Char('x'))}, &error));
  EXPECT_EQ(ReadAll(path), QByteArray(10 * 1024 * 1024, 'a'));
}

class CiselnikDialog : public test::KatalogFixture {
 protected:
  // Opens the genre dialog from the editor's "..." button and runs the steps in it.
  void OpenGenres(TNovyEdit& e, std::function<void(TCiselnik&)> steps) {
    auto ran = std::make_shared<bool>(false);
    test::VModalnimOkne(
        [&](QDialog& d) {
          auto* c = qobject_cast<TCiselnik*>(&d);
          ASSERT_NE(c, nullptr);
          EXPECT_EQ(c->windowTitle(), QStringLiteral("Číselník - Žánr"));
          steps(*c);
        },
        ran);
    e.Tl_Zanr->click();
    EXPECT_TRUE(*ran);
  }
};

TEST_F(CiselnikDialog, EditorCreatesAMissingFileAndOkWritesOnlyAfterYes) {
  ScopedScriptedSeam seam;
  auto h = Start();
  ASSERT_FALSE(QFileInfo::exists(Zanry()));
  TNovyEdit e(*h);
  e.setWindowTitle(QStringLiteral("Nový záznam"));
  EXPECT_EQ(ReadAll(Zanry()), QByteArray());
  EXPECT_EQ(e.Cb_Zanr->count(), 0);

  WriteAll(Zanry(), "Drama\nKomedie");  // the last line without a break
  e.Cb_Zanr->setEditText(QStringLiteral("Vlastní"));
  e.Tl_OK->setEnabled(false);  // as after a save, to see that reloading the list is no change
  // Ok without a change: no question, nothing written, the list reloaded.
  OpenGenres(e, [](TCiselnik& c) {
    EXPECT_EQ(c.Memo1->toPlainText(), "Drama\nKomedie");
    EXPECT_EQ(c.size(), QSize(398, 456));
    c.Tl_Ok->click();
  });
  EXPECT_TRUE(seam->Calls().empty());
  EXPECT_EQ(ReadAll(Zanry()), QByteArray("Drama\nKomedie"));
  EXPECT_EQ(Items(*e.Cb_Zanr), QStringList({"Drama", "Komedie"}));
  EXPECT_EQ(e.Cb_Zanr->currentText(), QStringLiteral("Vlastní"));

  // A change answered No: closed, not written.
  seam->QueueAnswer(kAnswerNo);
  OpenGenres(e, [](TCiselnik& c) {
    c.Memo1->appendPlainText(QStringLiteral("Horor"));
    c.Tl_Ok->click();
    EXPECT_FALSE(c.isVisible());
  });
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].caption, "Dotaz");
  EXPECT_EQ(seam->Calls()[0].text, QStringLiteral("Číselník byl upraven. Chcete změny uložit?"));
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(ReadAll(Zanry()), QByteArray("Drama\nKomedie"));

  // Storno drops the change and leaves the list as it was, even when the file changed.
  WriteAll(Zanry(), "Jiný\r\n");
  OpenGenres(e, [](TCiselnik& c) {
    c.Memo1->setPlainText(QStringLiteral("Zahozeno"));
    QTest::keyClick(c.Memo1, Qt::Key_Escape);
    EXPECT_FALSE(c.isVisible());
  });
  EXPECT_EQ(Items(*e.Cb_Zanr), QStringList({"Drama", "Komedie"}));
  WriteAll(Zanry(), "Drama\nKomedie");

  // Yes writes every line with CR LF in Windows-1250; a character outside it cannot be typed.
  seam->QueueAnswer(kAnswerYes);
  OpenGenres(e, [](TCiselnik& c) {
    c.Memo1->moveCursor(QTextCursor::End);
    QTest::sendKeyEvent(QTest::Click, c.Memo1, Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier);
    for (const QChar ch : QStringLiteral("Válečnýж"))
      QTest::sendKeyEvent(QTest::Click, c.Memo1, Qt::Key_A, QString(ch), Qt::NoModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("\nБоевик"));
    c.Memo1->paste();
    EXPECT_TRUE(c.Zmeneno());
    c.Tl_Ok->click();
  });
  EXPECT_EQ(ReadAll(Zanry()), QByteArray("Drama\r\nKomedie\r\nV\xE1le\xE8n\xFD\r\n"));
  EXPECT_EQ(Items(*e.Cb_Zanr), QStringList({"Drama", "Komedie", QStringLiteral("Válečný")}));
  EXPECT_FALSE(e.Tl_OK->isEnabled());  // reloading the list is no change of the record
}

TEST_F(CiselnikDialog, AFailedWriteKeepsTheFileAndTheTypedList) {
  ScopedScriptedSeam seam;
  auto h = Start();
  WriteAll(Zanry(), "Drama\r\n");
  TNovyEdit e(*h);
  e.setWindowTitle(QStringLiteral("Nový záznam"));
  SetBeforeRenameHook([](const QString&) { return false; });
  seam->QueueAnswer(kAnswerYes);
  OpenGenres(e, [&](TCiselnik& c) {
    c.Memo1->appendPlainText(QStringLiteral("Muzikál"));
    c.Tl_Ok->click();
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(c.Memo1->toPlainText(), QStringLiteral("Drama\nMuzikál"));
    SetBeforeRenameHook({});
  });
  SetBeforeRenameHook({});
  ASSERT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(seam->Calls()[1].icon, MessageIcon::Warning);
  EXPECT_TRUE(seam->Calls()[1].text.startsWith(QStringLiteral("Číselník \"")));
  EXPECT_EQ(ReadAll(Zanry()), QByteArray("Drama\r\n"));
  EXPECT_EQ(Items(*e.Cb_Zanr), QStringList({"Drama"}));
}

TEST_F(CiselnikDialog, AnOversizedListIsReportedAndNeitherShownNorOverwritten) {
  ScopedScriptedSeam seam;
  auto h = Start();
  QByteArray lines;
  for (int i = 0; i <= kNejviceRadkuCiselniku; ++i) lines += "Drama\r\n";
  WriteAll(Zanry(), lines);
  TNovyEdit e(*h);
  ASSERT_EQ(seam->Calls().size(), 1u);
  EXPECT_EQ(seam->Calls()[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(seam->Calls()[0].text.startsWith(QStringLiteral("Číselník \"") + Zanry() +
                                               QStringLiteral("\" se nepodařilo načíst.")))
      << seam->Calls()[0].text.toStdString();
  EXPECT_EQ(e.Cb_Zanr->count(), 0);

  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      shown = true;
      d->reject();
    }
  });
  e.Tl_Zanr->click();
  QCoreApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_EQ(seam->Calls().size(), 2u);
  EXPECT_EQ(ReadAll(Zanry()), lines);
}

TEST_F(CiselnikDialog, SavingKeepsNoBreakSpacesAndOtherBytesOfTheLines) {
  ScopedScriptedSeam seam;
  auto h = Start();
  WriteAll(Zanry(), "Drama\xA0\xE8\x65sk\xE9\r\nKomedie\r\n");
  TNovyEdit e(*h);
  seam->QueueAnswer(kAnswerYes);
  OpenGenres(e, [](TCiselnik& c) {
    c.Memo1->appendPlainText(QStringLiteral("Horor"));
    c.Tl_Ok->click();
  });
  EXPECT_EQ(ReadAll(Zanry()), QByteArray("Drama\xA0\xE8\x65sk\xE9\r\nKomedie\r\nHoror\r\n"));
  EXPECT_EQ(Items(*e.Cb_Zanr).front(), QStringLiteral("Drama\u00A0české"));
}

}  // namespace
}  // namespace kalmetra
