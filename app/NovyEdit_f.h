// The record editor: the only window where film data is typed. It works directly on the
// main window's DataSet1, steps through the rows with its own toolbar and switches to
// entering a new row without closing. Also the commands that open it, the delete
// command and the numbering of a new row.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;

namespace kalmetra {

class THlavni;

inline constexpr char kTitulekNovy[] = "Nový záznam";
inline constexpr char kTitulekEditace[] = "Editace aktuálního záznamu";

class TNovyEdit : public QDialog {
  Q_OBJECT

 public:
  explicit TNovyEdit(THlavni& hlavni, QWidget* parent = nullptr);

  // The mode is the window title.
  bool NovyRezim() const;

  void NacistZaznam();
  // Writes the controls into the current or a new row. False only when the record set
  // refused the row (the error was shown); declining the question is no failure.
  bool UlozitZaznam();

  // The toolbar's handlers; the keys call them even while a button is disabled.
  void PrvniZaznam();
  void PredchazejiciZaznam();
  void NasledujiciZaznam();
  void PosledniZaznam();
  void NovyZaznam();
  void HledatNaWebu();
  void VybratUmisteni();
  void UpravitZanry();

  // Loads the genre box's list from the genre file, keeping the text in the box.
  void NacistZanry();

  QLabel* La_Id = nullptr;
  QLineEdit* Ed_Titul = nullptr;
  QLineEdit* Ed_Rok = nullptr;
  QLineEdit* Ed_Stopaz = nullptr;
  QComboBox* Cb_Zanr = nullptr;
  QLineEdit* Ed_Puvod = nullptr;
  QLineEdit* Ed_Rezie = nullptr;
  QLineEdit* Ed_Obsazeni = nullptr;
  QLineEdit* Ed_Koment = nullptr;
  QLineEdit* Ed_Umisteni = nullptr;
  QPushButton* Tl_Titul = nullptr;
  QPushButton* Tl_Zanr = nullptr;
  QPushButton* Tl_Umisteni = nullptr;
  QPushButton* Tl_OK = nullptr;
  QPushButton* Tl_Storno = nullptr;
  QToolButton* TB_PrvniZaznam = nullptr;
  QToolButton* TB_PredchazejiciZaznam = nullptr;
  QToolButton* TB_NasledujiciZaznam = nullptr;
  QToolButton* TB_PosledniZaznam = nullptr;
  QToolButton* TB_NovyZaznam = nullptr;
  QLabel* Pocitadlo = nullptr;
  // The file chooser's type list, as description|pattern pairs.
  QString TypySouboru;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void VytvoritOvladace();
  void Rozvrhnout();
  void Navigovat(const char* akce);
  // The texts of the nine controls in field order, Titul first.
  std::array<QString, 9> Texty() const;
  void NastavitTexty(const std::array<QString, 9>& texty);

  THlavni& hlavni_;
  std::array<QLabel*, 9> popisky_{};
  QFrame* cara_ = nullptr;
  QToolBar* nastroje_ = nullptr;
  bool zobrazeno_ = false;
  // The texts as loaded: a save writes only the fields whose text differs.
  std::array<QString, 9> nacteno_{};
  // Fields whose stored text Windows-1250 cannot show: shown read-only, never written.
  std::array<bool, 9> zamceno_{};
  QLabel* La_Poznamka = nullptr;
  void Zamknout(size_t pole, bool zamknout);
};

// The editor in new-record mode, shown modally.
void NovyZaznam(THlavni& hlavni);
// The editor on the current record (also for an empty grid, where saving inserts).
void EditZaznamu(THlavni& hlavni);
// Empties the nine text fields of the current record after a question; the row and
// its Id stay.
void OdstranitZaznam(THlavni& hlavni);
// The after-insert handler of DataSet1: a new row gets the number NoveId.
void CislovatNovyZaznam(THlavni& hlavni);
// A double click beside the grid's cells, on an empty grid too, opens the editor.
void NastavitDvojklikMrizky(THlavni& hlavni);

}  // namespace kalmetra
