// The sort dialog and the sort command: the list ordered by one shown field.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kalmetra {

class THlavni;

class TTrideniRazeni : public QDialog {
  Q_OBJECT

 public:
  explicit TTrideniRazeni(THlavni& hlavni, QWidget* parent = nullptr);

  QLabel* La_PodlePole = nullptr;
  QComboBox* CBox_Pole = nullptr;
  QPushButton* Tl_Ok = nullptr;
  QPushButton* Tl_Storno = nullptr;
};

// Akce_Trideni: asks for the field and reloads the list ordered by it, keeping the
// filter. Nothing is reloaded when the dialog is cancelled or the field is the same.
void Trideni(THlavni& hlavni);

}  // namespace kalmetra
