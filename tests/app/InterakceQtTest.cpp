// The real Qt seam. Boxes are built and inspected without showing them; where one is
// run for real, a timer answers it, and a guard closes anything left open, so no test
// can wait on a modal window.
#include "TestSupport.h"

#include <InterakceQt.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace kalmetra {
namespace {

// Calls answer with the modal window as soon as one is up; closes it after 5 s at the
// latest, failing the test, should answer not have closed it.
void AnswerNextModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
      timer->stop();
      answer(modal);
      // Guard: the answer must have closed the window by the next turn of the loop.
      QTimer::singleShot(5000, [modal = QPointer<QWidget>(modal)] {
        if (modal && modal->isVisible()) {
          ADD_FAILURE() << "modal window left open";
          if (auto* dialog = qobject_cast<QDialog*>(modal.data())) dialog->reject();
        }
      });
    } else if (clock->elapsed() > 5000) {
      timer->stop();
      ADD_FAILURE() << "no modal window appeared";
    } else {
      return;
    }
    timer->deleteLater();
    delete clock;
  });
  timer->start(10);
}

QPushButton* ButtonWithText(QWidget* window, const QString& text) {
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

TEST(QtSeam, QuestionBoxHasCzechButtonsAndNoAsDefault) {
  const auto box = QtInteraction::BuildMessageBox(MessageIcon::Warning, "Mazání záznamu", "text", true, nullptr);
  ASSERT_EQ(box->buttons().size(), 2);
  QAbstractButton* yes = box->button(QMessageBox::Yes);
  QAbstractButton* no = box->button(QMessageBox::No);
  ASSERT_NE(yes, nullptr);
  ASSERT_NE(no, nullptr);
  EXPECT_EQ(yes->text(), "Ano");
  EXPECT_EQ(no->text(), "Ne");
  EXPECT_EQ(box->defaultButton(), no);
  EXPECT_EQ(box->escapeButton(), no);
  EXPECT_EQ(box->icon(), QMessageBox::Warning);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Mazání záznamu"));
  EXPECT_EQ(QtInteraction::BuildMessageBox(MessageIcon::Question, "c", "t", true, nullptr)->icon(),
            QMessageBox::Question);
}

TEST(QtSeam, MessageBoxHasOneOkButtonAndPlainText) {
  const auto box = QtInteraction::BuildMessageBox(MessageIcon::Information, "Kalmetra",
                                                  "první řádek\r\n<b>druhý</b> řádek", false, nullptr);
  ASSERT_EQ(box->buttons().size(), 1);
  EXPECT_EQ(box->buttons()[0]->text(), "OK");
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  // Film titles may hold "<"; they are shown as typed, never as markup.
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  EXPECT_EQ(box->text(), QStringLiteral("první řádek\n<b>druhý</b> řádek")) << "CR LF shows as a line break";
  EXPECT_EQ(QtInteraction::BuildMessageBox(MessageIcon::Warning, "c", "t", false, nullptr)->icon(),
            QMessageBox::Warning);
}

TEST(QtSeam, EnterAnswersNoAndAnoAnswersYes) {
  QtInteraction seam;
  AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  EXPECT_EQ(seam.Ask(MessageIcon::Question, "Kalmetra", "Enter?"), kAnswerNo);

  AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(seam.Ask(MessageIcon::Question, "Kalmetra", "Esc?"), kAnswerNo);

  AnswerNextModal([](QWidget* modal) {
    QPushButton* yes = ButtonWithText(modal, "Ano");
    ASSERT_NE(yes, nullptr);
    yes->click();
  });
  EXPECT_EQ(seam.Ask(MessageIcon::Warning, "Kalmetra", "Ano?"), kAnswerYes);
}

TEST(QtSeam, MessageClosesWithEnter) {
  QtInteraction seam;
  QString shownText;
  AnswerNextModal([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) shownText = box->text();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  seam.ShowMessage(MessageIcon::Information, "Kalmetra", "Hotovo.");
  EXPECT_EQ(shownText, "Hotovo.");
}

TEST(QtSeam, PromptGivesTheTextOrNothing) {
  QtInteraction seam;
  QString okText, cancelText;
  AnswerNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    okText = dialog->okButtonText();
    cancelText = dialog->cancelButtonText();
    EXPECT_EQ(dialog->textValue(), "3");
    dialog->setTextValue("12a");
    QTest::keyClick(modal, Qt::Key_Return);
  });
  const std::optional<QString> answer =
      seam.Prompt(QStringLiteral("Přejít na záznam ..."), QStringLiteral("Zadejte pořadí záznamu od 1 do 20  :"), "3");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, "12a");
  EXPECT_EQ(okText, "OK");
  EXPECT_EQ(cancelText, "Storno");

  AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(seam.Prompt("c", "l", "v").has_value());
}

TEST(QtSeam, ClipboardRoundTrip) {
  QtInteraction seam;
  seam.SetClipboardText(QStringLiteral("Id: 7\r\nTitul: Vesnice\r\n"));
  EXPECT_EQ(seam.ClipboardText(), QStringLiteral("Id: 7\r\nTitul: Vesnice\r\n"));
}

TEST(QtSeam, TargetUrl) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = folder.filePath(QStringLiteral("Pelíšky #1 (100%).mkv"));
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QUrl local = QtInteraction::TargetUrl(file);
  EXPECT_TRUE(local.isLocalFile());
  EXPECT_EQ(local.toLocalFile(), file);
  EXPECT_EQ(QtInteraction::TargetUrl("https://www.csfd.cz/hledat/").toString(), "https://www.csfd.cz/hledat/");
  const QUrl bare = QtInteraction::TargetUrl("www.csfd.cz");
  EXPECT_EQ(bare.scheme(), "http");
  EXPECT_EQ(bare.host(), "www.csfd.cz");
  EXPECT_FALSE(QtInteraction::TargetUrl("").isValid());
}

TEST(QtSeam, FileTypes) {
  const std::vector<FileType> types =
      ParseFileTypes(QStringLiteral("Databáze XML (*.xml)|*.xml|Database CSV (oddelovač středník) (*.csv)|*.csv|"
                                    "Textový soubor (*.txt)|*.txt|Dokument HTML (tabulka) (*.html)|*.html"));
  ASSERT_EQ(types.size(), 4u);
  EXPECT_EQ(types[1].name, QStringLiteral("Database CSV (oddelovač středník) (*.csv)"));
  EXPECT_EQ(types[1].pattern, "*.csv");
  EXPECT_EQ(QtInteraction::NameFilter(types[0]), QStringLiteral("Databáze XML (*.xml)"));
  EXPECT_EQ(QtInteraction::NameFilter({"Obrázky", "*.png;*.jpg"}), QStringLiteral("Obrázky (*.png *.jpg)"));
  EXPECT_EQ(ParseFileTypes("Databáze csv (*.csv)|*.csv|zbytek").size(), 1u);
  EXPECT_TRUE(ParseFileTypes("").empty());
}

TEST(QtSeam, SaveChooserOffersTheTypesAndReportsTheChosenOne) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QtInteraction seam;
  FileDialogRequest request;
  request.title = QStringLiteral("Uložit seznam jako ...");
  request.types = ParseFileTypes(QStringLiteral("Databáze XML (*.xml)|*.xml|Textový soubor (*.txt)|*.txt"));
  request.typeIndex = 1;
  request.fileName = "Kalmetra";
  request.folder = folder.path();
  QString title, suggested;
  QStringList filters;
  AnswerNextModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    filters = dialog->nameFilters();
    dialog->selectNameFilter(filters.value(1));
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    suggested = name->text();
    name->setText("seznam");
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides the public slot
  });
  const std::optional<FileDialogAnswer> answer = seam.ChooseFileToSave(request);
  EXPECT_EQ(title, QStringLiteral("Uložit seznam jako ..."));
  EXPECT_EQ(filters, (QStringList{QStringLiteral("Databáze XML (*.xml)"), QStringLiteral("Textový soubor (*.txt)")}));
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->typeIndex, 2);
  EXPECT_EQ(suggested, "Kalmetra");
  EXPECT_EQ(answer->path, QDir(folder.path()).filePath("seznam"));

  AnswerNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_FALSE(seam.ChooseFileToOpen(request).has_value());
}

}  // namespace
}  // namespace kalmetra
