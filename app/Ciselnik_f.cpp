#include "Ciselnik_f.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QVBoxLayout>

#include <optional>

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

namespace {

// The most a file within the limits can hold: every line at its longest, with CR LF.
constexpr qint64 kNejvetsiSoubor = qint64{kNejviceRadkuCiselniku} * (kNejdelsiRadekCiselniku + 2);

// Why the list is beyond the limits, or nothing.
std::optional<QString> MimoMeze(const QStringList& lines) {
  if (lines.size() > kNejviceRadkuCiselniku)
    return QStringLiteral("Číselník má více než %1 řádků; smí jich mít nejvýše %1.").arg(kNejviceRadkuCiselniku);
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (lines[i].size() > kNejdelsiRadekCiselniku)
      return QStringLiteral("Řádek %1 má více než %2 znaků; řádek číselníku jich smí mít nejvýše %2.")
          .arg(i + 1)
          .arg(kNejdelsiRadekCiselniku);
  return std::nullopt;
}

}  // namespace

bool NacistCiselnik(const QString& path, QStringList& lines, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  // However large the file, no more is read than a list within the limits can take.
  const QByteArray bytes = file.read(kNejvetsiSoubor + 1);
  if (file.error() != QFileDevice::NoError) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  if (bytes.size() > kNejvetsiSoubor) {
    if (error != nullptr)
      *error = QStringLiteral("Soubor je větší než %1 bajtů; číselník smí mít nejvýše %2 řádků po nejvýše %3 znacích.")
                   .arg(kNejvetsiSoubor)
                   .arg(kNejviceRadkuCiselniku)
                   .arg(kNejdelsiRadekCiselniku);
    return false;
  }
  QStringList read = RadkyCiselniku(bytes);
  if (const std::optional<QString> problem = MimoMeze(read)) {
    if (error != nullptr) *error = *problem;
    return false;
  }
  lines = std::move(read);
  return true;
}

bool UlozitCiselnik(const QString& path, const QStringList& lines, QString* error) {
  // A list the next reading would refuse is not written.
  if (const std::optional<QString> problem = MimoMeze(lines)) {
    if (error != nullptr) *error = *problem;
    return false;
  }
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
    // The raw text: toPlainText() would turn the no-break spaces a genre may hold into
    // plain ones. Only the editor's line and paragraph separators become line breaks.
    QString text = Memo1->document()->toRawText();
    for (const char16_t oddelovac : {u'\u2029', u'\u2028', u'\ufdd0', u'\ufdd1'})
      text.replace(QChar(oddelovac), QLatin1Char('\n'));
    // As in the file, a final line break adds no genre.
    QStringList radky = text.split(QLatin1Char('\n'));
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
