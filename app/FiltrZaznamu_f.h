// The filter dialog and the filter and cancel-filter commands: the list limited to the
// films whose field contains a text.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace kalmetra {

class THlavni;

class TFiltrZaznamu : public QDialog {
  Q_OBJECT

 public:
  explicit TFiltrZaznamu(THlavni& hlavni, QWidget* parent = nullptr);

  QComboBox* Cb_Pole = nullptr;
  QComboBox* Cb_Podminka = nullptr;
  QPushButton* Tl_Filtr = nullptr;
  QPushButton* Tl_Storno = nullptr;

 private:
  void Aktualizovat();
  bool zmeneno_ = false;
};

// The text without blanks and control characters at either end.
QString OrezatVyraz(const QString& text);

// Akce_Filtr: asks for the field and the text, puts the text at the top of the shared
// history and reloads the list with the filter, keeping the order.
void Filtr(THlavni& hlavni);
// Akce_ZrusitFiltr: reloads the whole list, keeping the order and the filter's field.
void ZrusitFiltr(THlavni& hlavni);

}  // namespace kalmetra
