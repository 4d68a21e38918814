#include "Ciselnik_f.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "Interakce.h"
#include "Platforma.h"
#include "Pomocne.h"
#include "TextCodec.h"

namespace kalmetra {

QStringList RadkyCiselniku(const QByteArray& bytes) {
  const qsizetype nul = bytes.indexOf('\0');
  const QByteArray text = nul >= 0 ? bytes.left(nul) : bytes;
  QStringList lines;
  qsizetype start = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    const char c = text.at(i);
    if (c == '\r' || c == '\n') {
      lines << FromAnsi(text.mid(start, i - start).toStdString());
      i += (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines << FromAnsi(text.mid(start).toStdString());
  return lines;
}

bool TextCiselniku(const QStringList& lines, QByteArray& bytes) {
  bytes.clear();
  std::string line;
  for (const QString& text : lines) {
    if (!TryToAnsi(text, line)) return false;
    bytes.append(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append("\r\n");
  }
  return true;
}

bool NacistCiselnik(const QString& path, QStringList& lines, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  lines = RadkyCiselniku(bytes);
  return true;
}

bool UlozitCiselnik(const QString& path, const QStringList& lines, QString* error) {
  QByteArray bytes;
  if (!TextCiselniku(lines, bytes)) {
    if (error != nullptr) *error = QStringLiteral("Text obsahuje znaky, které nelze uložit v kódování Windows-1250.");
    return false;
  }
  return ReplaceFileAtomically(path, bytes, error);
}

// ---------------------------------------------------------------- the memo

void TAnsiMemo::keyPressEvent(QKeyEvent* event) {
  // Esc belongs to the dialog's Storno.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->ignore();
    return;
  }
  if (!event->text().isEmpty() && !FitsAnsi(event->text())) {
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TAnsiMemo::inputMethodEvent(QInputMethodEvent* event) {
  if (!FitsAnsi(event->commitString())) {
    event->accept();
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

bool TAnsiMemo::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasText() && FitsAnsi(source->text());
}

void TAnsiMemo::insertFromMimeData(const QMimeData* source) {
  if (canInsertFromMimeData(source)) QPlainTextEdit::insertFromMimeData(source);
}

// ---------------------------------------------------------------- the dialog

TCiselnik::TCiselnik(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("Ciselnik"));
  setSizeGripEnabled(true);
  auto* rozvrzeni = new QVBoxLayout(this);
  rozvrzeni->setContentsMargins(0, 0, 0, 0);
  rozvrzeni->setSpacing(0);

  Memo1 = new TAnsiMemo(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  rozvrzeni->addWidget(Memo1, 1);

  auto* pruh = new QWidget(this);
  pruh->setFixedHeight(41);
  auto* tlacitka = new QHBoxLayout(pruh);
  tlacitka->setContentsMargins(8, 8, 8, 8);
  tlacitka->addStretch(1);
  Tl_Ok = new QPushButton(QStringLiteral("Ok"), pruh);
  Tl_Ok->setObjectName(QStringLiteral("Tl_Ok"));
  Tl_Ok->setDefault(true);
  Tl_Storno = new QPushButton(QStringLiteral("Storno"), pruh);
  Tl_Storno->setObjectName(QStringLiteral("Tl_Storno"));
  Tl_Storno->setAutoDefault(false);
  tlacitka->addWidget(Tl_Ok);
  tlacitka->addWidget(Tl_Storno);
  rozvrzeni->addWidget(pruh);
  connect(Tl_Ok, &QPushButton::clicked, this, [this] { Potvrdit(); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);

  resize(398, 456);
  const QRect plocha = QGuiApplication::primaryScreen()->availableGeometry();
  move(plocha.center() - rect().center());
}

bool TCiselnik::NacistSoubor(const QString& path) {
  soubor_ = path;
  QStringList radky;
  QString chyba;
  if (!NacistCiselnik(path, radky, &chyba)) {
    Varovani(QString(), QStringLiteral("Číselník \"") + path + QStringLiteral("\" se nepodařilo načíst.\r\n") + chyba);
    return false;
  }
  Memo1->setPlainText(radky.join(QLatin1Char('\n')));
  Memo1->document()->setModified(false);
  return true;
}

bool TCiselnik::Zmeneno() const { return Memo1->document()->isModified(); }

void TCiselnik::Potvrdit() {
  if (Zmeneno() && Dotaz(QStringLiteral("Dotaz"), QStringLiteral("Číselník byl upraven. Chcete změny uložit?"), 2) ==
                       kAnswerYes) {
    // As in the file, a final line break adds no genre.
    QStringList radky = Memo1->toPlainText().split(QLatin1Char('\n'));
    if (radky.last().isEmpty()) radky.removeLast();
    QString chyba;
    if (!UlozitCiselnik(soubor_, radky, &chyba)) {
      // The typed list stays in the dialog, so nothing is lost; Storno still leaves.
      Varovani(QString(),
               QStringLiteral("Číselník \"") + soubor_ + QStringLiteral("\" se nepodařilo uložit.\r\n") + chyba);
      return;
    }
  }
  accept();
}

}  // namespace kalmetra
