// The genre list: the file "Zanr.txt" beside the program (Windows-1250, one genre a
// line) and the dialog TCiselnik in which the user edits it as plain text.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

class QMimeData;
class QPushButton;

namespace kalmetra {

// Far above any real genre list, low enough that the editor and the genre box stay quick:
// a file beyond them is refused with the reason and left as it is.
inline constexpr int kNejviceRadkuCiselniku = 5000;
inline constexpr int kNejdelsiRadekCiselniku = 200;  // bytes, that is characters of Windows-1250

// The lines of an 8-bit text: CR LF, a lone LF or a lone CR ends a line, a NUL ends the
// text. A last line without a line break still counts; a final line break adds no
// empty entry.
QStringList RadkyCiselniku(const QByteArray& bytes);
// Every line followed by CR LF, in Windows-1250; false when a line holds a character
// the code page cannot hold.
bool TextCiselniku(const QStringList& lines, QByteArray& bytes);

// Reads the list file; false with the reason in *error when it cannot be read, and the
// lines are then left as they were.
bool NacistCiselnik(const QString& path, QStringList& lines, QString* error = nullptr);
// Replaces the list file in one step; false with the reason in *error, the old file
// then stays as it was.
bool UlozitCiselnik(const QString& path, const QStringList& lines, QString* error = nullptr);

// A plain text editor that takes only what Windows-1250 can hold: a typed or pasted
// character outside it is refused and the text stays as it was.
class TAnsiMemo : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
};

class TCiselnik : public QDialog {
  Q_OBJECT

 public:
  explicit TCiselnik(QWidget* parent = nullptr);

  // Loads the memo from the list file, which Ok then writes back; false (and the error
  // shown) when the file cannot be read.
  bool NacistSoubor(const QString& path);
  // The user changed the text since it was loaded.
  bool Zmeneno() const;

  TAnsiMemo* Memo1 = nullptr;
  QPushButton* Tl_Ok = nullptr;
  QPushButton* Tl_Storno = nullptr;

 private:
  void Potvrdit();

  QString soubor_;
};

}  // namespace kalmetra
