// What the search, sort, filter and configuration dialogs share: their fixed frame
// centred on the screen, and the list of the grid's fields to choose from.
#pragma once

#include <QSize>
#include <QString>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace kalmetra {

class THlavni;

// A dialog of fixed size: the layout's client area, larger only where the font needs
// it; centred on the screen.
void PevnaVelikostUprostred(QDialog& dialog, QSize klient);
// A push button with its caption and its control name.
QPushButton* NoveTlacitko(const QString& popisek, const QString& jmeno, QWidget* rodic);
// The row of the confirming and the cancelling button at the dialog's bottom right.
QHBoxLayout* RadaTlacitek(QPushButton* potvrdit, QPushButton* zrusit);
// Fills the list with the grid's column captions in grid order and selects the label of
// the field; nothing is selected when that field is not shown.
void NaplnitPole(QComboBox& seznam, const THlavni& hlavni, const QString& pole);
// A new editable list (the history of texts, the genres) that takes the text exactly as
// typed: entries matching what is typed, in the same letter case, are offered in a popup,
// but nothing is filled in and Enter never swaps the text for an entry spelt otherwise.
QComboBox* PsanySeznam(const QString& jmeno, QWidget* rodic);

}  // namespace kalmetra
