// The configuration dialog: the editor's save question, the film-database address,
// saving of position and widths, and the six optional fields' hide settings.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalmetra {

class THlavni;

class TKonfig : public QDialog {
  Q_OBJECT

 public:
  explicit TKonfig(THlavni& hlavni, QWidget* parent = nullptr);

  QGroupBox* Ram_Vlastnosti = nullptr;
  QCheckBox* ChB_ZobrazDialogUloz = nullptr;
  QLabel* La_VychoziAdresaWWWW = nullptr;
  QLineEdit* Ed_VychoziAdresaWWWW = nullptr;
  QCheckBox* ChB_UkladatPozici = nullptr;
  QCheckBox* ChB_UkladatTabulku = nullptr;
  QGroupBox* Ram_PoleDB = nullptr;
  // Zanr, Puvod, Rezie, Obsazeni, Koment, Umisteni.
  std::array<QCheckBox*, 6> ChB_Skryt{};
  QPushButton* Tl_Ok = nullptr;
  QPushButton* Tl_Storno = nullptr;

  // A hide box was clicked (even back to its first state).
  bool PoleZmenena() const { return poleZmenena_; }

 private:
  void Potvrdit();

  THlavni& hlavni_;
  bool poleZmenena_ = false;
};

// Akce_Konfig.
void Konfigurace(THlavni& hlavni);

}  // namespace kalmetra
