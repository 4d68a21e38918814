// The search dialog, the search walk NajitDalsi and the find-next command (F3).
#pragma once

#include <QDialog>
#include <QString>

#include "sql3_defs.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace kalmetra {

class THlavni;

class THledat : public QDialog {
  Q_OBJECT

 public:
  explicit THledat(THlavni& hlavni, QWidget* parent = nullptr);

  QComboBox* Cb_Pole = nullptr;
  QComboBox* Cb_Retezec = nullptr;
  QCheckBox* Celevyrazy = nullptr;
  QPushButton* Tl_HledatOdZacatku = nullptr;
  QPushButton* Tl_HledatVyraz = nullptr;
  QPushButton* Tl_Zpet = nullptr;
  QPushButton* Tl_Storno = nullptr;

  // Closing writes the history, however the dialog is closed.
  void done(int result) override;

 private:
  void Hledat();
  void HledatOdZacatku();
  void Zpet();

  THlavni& hlavni_;
  orvek3::TBookmark zalozka_ = 0;
};

// Walks the list from the row after the current one to its end and stops on the first
// row whose field contains the text (or, whole, equals it), letters compared without
// regard to case. Without a match the last row stays current. Never wraps.
bool NajitDalsi(THlavni& hlavni, const QString& pole, const QString& text, bool cele);

// Akce_HledatZaznam: the search dialog.
void HledatZaznam(THlavni& hlavni);
// Akce_HledatZaznamDalsi: repeats the last search of the dialog.
void HledatZaznamDalsi(THlavni& hlavni);

}  // namespace kalmetra
