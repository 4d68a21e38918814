#include "designer_editors.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>
#include <memory>

#include "designer_doc.h"
#include "interaction.h"

namespace rpt {

namespace {

// The wheel over a box the user has not entered scrolls the panel, never changes a value
// in passing.
class NumberBox : public QDoubleSpinBox {
 public:
  using QDoubleSpinBox::QDoubleSpinBox;

 protected:
  void wheelEvent(QWheelEvent* e) override {
    if (hasFocus()) QDoubleSpinBox::wheelEvent(e);
    else e->ignore();
  }
};

class ChoiceBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

 protected:
  void wheelEvent(QWheelEvent* e) override {
    if (hasFocus()) QComboBox::wheelEvent(e);
    else e->ignore();
  }
};

// Cell editors cover their table cell whole, so nothing of the cell shows through.
QWidget* Strip(QWidget* parent) {
  auto* w = new QWidget(parent);
  w->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(w);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(4);
  return w;
}

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(Qt::gray);
  if (color.isValid()) {
    p.setBrush(color);
  } else {
    p.setBrush(Qt::white);
  }
  p.drawRect(0, 0, 15, 15);
  if (!color.isValid()) p.drawLine(1, 14, 14, 1);  // no colour
  return QIcon(pixmap);
}

QString FontLabel(const FontAttrs& f) {
  QString label = QStringLiteral("%1, %2 pt").arg(f.family, QLocale(QLocale::Czech).toString(f.size, 'g', 4));
  if (f.bold) label += QStringLiteral(", tučné");
  if (f.italic) label += QStringLiteral(", kurzíva");
  if (f.underline) label += QStringLiteral(", podtržené");
  return label;
}

}  // namespace

QWidget* MakeNumberEditor(QWidget* parent, const QString& current, double fallback, double low, double high,
                          int decimals, const QString& suffix, CommitValue commit) {
  auto* spin = new NumberBox(parent);
  spin->setLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
  spin->setDecimals(decimals);
  spin->setRange(low, high);
  spin->setSuffix(suffix);
  spin->setKeyboardTracking(false);  // one change per finished number, not per key
  spin->setFocusPolicy(Qt::StrongFocus);
  spin->setAutoFillBackground(true);
  bool ok = false;
  const double value = current.trimmed().toDouble(&ok);
  spin->setValue(ok && std::isfinite(value) ? value : fallback);
  QObject::connect(spin, &QDoubleSpinBox::valueChanged, spin, [commit = std::move(commit), decimals](double v) {
    commit(decimals == 0 ? QString::number(std::lround(v)) : DesignerDoc::FormatMm(v));
  });
  return spin;
}

QWidget* MakeChoiceEditor(QWidget* parent, const std::vector<std::pair<QString, QString>>& choices,
                          const QString& current, int fallbackIndex, CommitValue commit) {
  auto* combo = new ChoiceBox(parent);
  combo->setFocusPolicy(Qt::StrongFocus);
  int index = -1;
  for (const auto& [label, value] : choices) {
    if (value == current) index = combo->count();
    combo->addItem(label, value);
  }
  if (index < 0 && fallbackIndex < 0) {
    // A value of no listed choice is shown as it is, so that nothing changes it unasked.
    index = combo->count();
    combo->addItem(current, current);
  }
  combo->setCurrentIndex(index >= 0 ? index : fallbackIndex);
  QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                   [combo, commit = std::move(commit)](int i) { commit(combo->itemData(i).toString()); });
  return combo;
}

QWidget* MakeFrameEditor(QWidget* parent, const QString& current, CommitValue commit) {
  QWidget* strip = Strip(parent);
  static const std::pair<const char16_t*, const char*> sides[] = {
      {u"Vlevo", "Left"}, {u"Nahoře", "Top"}, {u"Vpravo", "Right"}, {u"Dole", "Bottom"}};
  QStringList set;
  for (const QString& part : current.split(u',', Qt::SkipEmptyParts)) set << part.trimmed();
  const bool all = set.contains(QLatin1String("All"));
  auto boxes = std::make_shared<std::vector<QCheckBox*>>();
  for (const auto& [label, key] : sides) {
    auto* box = new QCheckBox(QString::fromUtf16(label), strip);
    box->setChecked(all || set.contains(QLatin1String(key)));
    strip->layout()->addWidget(box);
    boxes->push_back(box);
  }
  auto changed = [boxes, commit = std::move(commit)] {
    QStringList on;
    for (size_t i = 0; i < boxes->size(); ++i)
      if ((*boxes)[i]->isChecked()) on << QLatin1String(sides[i].second);
    commit(on.size() == 4 ? QStringLiteral("All") : on.join(u','));
  };
  for (QCheckBox* box : *boxes) QObject::connect(box, &QCheckBox::toggled, strip, changed);
  return strip;
}

QWidget* MakeColorEditor(QWidget* parent, const QString& current, const QString& defaultColor, bool clearable,
                         CommitValue commit) {
  QWidget* strip = Strip(parent);
  const QColor color = current.isEmpty() ? QColor(defaultColor) : QColor(current);
  auto* swatch = new QToolButton(strip);
  swatch->setObjectName(QStringLiteral("Tl_Barva"));
  swatch->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  swatch->setIcon(Swatch(color));
  swatch->setText(color.isValid() ? color.name().toUpper() : QStringLiteral("žádná"));
  swatch->setToolTip(QStringLiteral("Vybrat barvu"));
  strip->layout()->addWidget(swatch);
  auto shared = std::make_shared<CommitValue>(std::move(commit));
  QObject::connect(swatch, &QToolButton::clicked, strip, [shared, color] {
    QColor chosen = color.isValid() ? color : QColor(Qt::white);
    if (Interaction().ChooseColor(chosen)) (*shared)(chosen.name().toUpper());
  });
  if (clearable) {
    auto* none = new QToolButton(strip);
    none->setObjectName(QStringLiteral("Tl_BezBarvy"));
    none->setText(QStringLiteral("Bez barvy"));
    none->setToolTip(QStringLiteral("Bez barvy"));
    none->setEnabled(!current.isEmpty());
    strip->layout()->addWidget(none);
    QObject::connect(none, &QToolButton::clicked, strip, [shared] { (*shared)(QString()); });
  }
  static_cast<QHBoxLayout*>(strip->layout())->addStretch(1);
  return strip;
}

QWidget* MakeFontEditor(QWidget* parent, const FontAttrs& current,
                        std::function<void(const std::vector<std::pair<QString, QString>>& attrs)> commit) {
  auto* button = new QPushButton(FontLabel(current), parent);
  button->setObjectName(QStringLiteral("Tl_Pismo"));
  button->setToolTip(QStringLiteral("Vybrat písmo"));
  QObject::connect(button, &QPushButton::clicked, button, [current, commit = std::move(commit)] {
    QFont font(current.family);
    font.setPointSizeF(current.size > 0 ? current.size : 10);
    font.setBold(current.bold);
    font.setItalic(current.italic);
    font.setUnderline(current.underline);
    if (!Interaction().ChooseFont(font)) return;
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QString(); };
    commit({{QStringLiteral("Font"), font.family()},
            {QStringLiteral("Size"), DesignerDoc::FormatMm(font.pointSizeF())},
            {QStringLiteral("Bold"), flag(font.bold())},
            {QStringLiteral("Italic"), flag(font.italic())},
            {QStringLiteral("Underline"), flag(font.underline())}});
  });
  return button;
}

}  // namespace rpt
