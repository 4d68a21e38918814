#include "interaction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPageRanges>
#include <QPrinter>
#include <QPushButton>

#include "designer.h"
#include "preview.h"

namespace rpt {

namespace {

QString Caption() { return QStringLiteral("Sestavy"); }

EngineInteraction DefaultInteraction() {
  EngineInteraction i;
  i.ShowError = [](const QString& text) {
    QMessageBox box(QMessageBox::Warning, Caption(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
  };
  i.ShowInfo = [](const QString& text) {
    QMessageBox box(QMessageBox::Information, Caption(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
  };
  i.ChoosePrinter = [](QPrinter& printer, int pageCount, int currentPage) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setMinMax(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, currentPage > 0);
    // Qt's own Czech names the choice otherwise.
    if (auto* choice = dialog.findChild<QAbstractButton*>(QStringLiteral("printCurrentPage")))
      choice->setText(QStringLiteral("Aktuální stránka"));
    return dialog.exec() == QDialog::Accepted;
  };
  i.ChoosePdfFile = [](const QString& suggested) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Export do PDF"), suggested,
                                        QStringLiteral("Dokument PDF (*.pdf)"));
  };
  i.RunPreview = [](TRptPreview& preview) { preview.exec(); };
  i.Ask = [](const QString& text) {
    QMessageBox box(QMessageBox::Question, Caption(), text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Ne"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  };
  i.AskCancel = [](const QString& text) {
    QMessageBox box(QMessageBox::Question, Caption(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Ne"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Storno"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes  ? EngineInteraction::Answer::Yes
           : answer == QMessageBox::No ? EngineInteraction::Answer::No
                                       : EngineInteraction::Answer::Cancel;
  };
  i.ChooseTemplateFile = [](const QString& folder, const QString& name) {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("Uložit sestavu jako"), folder,
                       QStringLiteral("Sestavy (*.ksr)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the designer asks itself
    dialog.selectFile(name);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front() : QString();
  };
  i.ChooseImageFile = [](const QString& folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QStringLiteral("Vložit obrázek"), folder,
                                        QStringLiteral("Obrázky (*.png *.jpg *.jpeg)"));
  };
  i.ChooseFont = [](QFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow(), QStringLiteral("Písmo"));
    if (ok) font = chosen;
    return ok;
  };
  i.ChooseColor = [](QColor& color) {
    const QColor chosen = QColorDialog::getColor(color, QApplication::activeWindow(), QStringLiteral("Barva"));
    if (chosen.isValid()) color = chosen;
    return chosen.isValid();
  };
  i.RunDesigner = [](TRptDesignerWindow& designer) { designer.exec(); };
  return i;
}

}  // namespace

namespace {
int currentPrintPage = 0;
}  // namespace

CurrentPrintPage::CurrentPrintPage(int page) : previous_(currentPrintPage) { currentPrintPage = page; }
CurrentPrintPage::~CurrentPrintPage() { currentPrintPage = previous_; }
int CurrentPrintPage::Page() { return currentPrintPage; }

bool PrinterChooser::operator()(QPrinter& printer, int pageCount) const {
  return (*this)(printer, pageCount, CurrentPrintPage::Page());
}

bool PrinterChooser::operator()(QPrinter& printer, int pageCount, int currentPage) const {
  if (!hook_) return false;
  if (currentPage < 1 || currentPage > pageCount) currentPage = 0;
  if (!hook_(printer, pageCount, currentPage)) return false;
  if (printer.printRange() == QPrinter::CurrentPage) {
    // The printing knows page lists only; with no page in view there is nothing to print.
    if (currentPage == 0) return false;
    printer.setPrintRange(QPrinter::PageRange);
    printer.setPageRanges(QPageRanges::fromString(QString::number(currentPage)));
  }
  return true;
}

EngineInteraction& Interaction() {
  static EngineInteraction interaction = DefaultInteraction();
  return interaction;
}

EngineInteraction::Answer AskYesNoCancel(const QString& text) {
  const EngineInteraction& i = Interaction();
  if (i.AskCancel) return i.AskCancel(text);
  return i.Ask(text) ? EngineInteraction::Answer::Yes : EngineInteraction::Answer::No;
}

}  // namespace rpt
