#include "designer_wizard.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "designer_doc.h"
#include "designer_fields.h"
#include "interaction.h"

namespace rpt {

namespace {

const QString kDataSet = QStringLiteral("RptDataset1");


// Numbers get a narrow right-aligned column of their own width (hundredths of a mm);
// 0 for a text.
int NumberWidth(const QString& field) {
  if (field == QLatin1String("Id") || field == QLatin1String("Rok")) return 1200;
  if (field == QLatin1String("Stopaz")) return 1400;
  return 0;
}

// Share of the width left to texts: a title or a cast list needs more than a genre.
int TextWeight(const QString& field) {
  if (field == QLatin1String("Titul")) return 4;
  if (field == QLatin1String("Obsazeni") || field == QLatin1String("Koment")) return 3;
  return 2;
}

// Long values get two lines on a card.
bool LongText(const QString& field) {
  return field == QLatin1String("Obsazeni") || field == QLatin1String("Koment") || field == QLatin1String("Umisteni");
}

QString Mm(int hundredths) { return DesignerDoc::FormatMm(hundredths / 100.0); }
QString Mm(double mm) { return DesignerDoc::FormatMm(mm); }

int Hundredths(const QString& mm, double fallback) {
  bool ok = false;
  const double v = mm.toDouble(&ok);
  return static_cast<int>(std::lround((ok && std::isfinite(v) ? v : fallback) * 100));
}

struct Column {
  QString field;
  int left = 0, width = 0;  // hundredths of a mm
};

// Columns across the width, 2 mm apart; numbers at their own width, texts sharing the
// rest by weight, the last text taking what rounding leaves, so the row ends at the margin.
std::vector<Column> PlanColumns(const QStringList& fields, int width) {
  std::vector<Column> cols;
  const int n = static_cast<int>(fields.size());
  if (n == 0) return cols;
  int gap = 200;
  if (gap * (n - 1) >= width / 2) gap = 0;
  const int usable = width - gap * (n - 1);
  int fixed = 0, weights = 0, texts = 0;
  for (const QString& f : fields) {
    fixed += NumberWidth(f);
    if (NumberWidth(f) == 0) {
      weights += TextWeight(f);
      ++texts;
    }
  }
  const int rest = usable - fixed;
  // Too narrow a page for that (or nothing but numbers): every column alike.
  const bool share = texts > 0 && rest >= texts * 800;
  std::vector<int> widths(static_cast<size_t>(n));
  int given = 0, lastText = n - 1;
  for (int i = 0; i < n; ++i) {
    const QString& f = fields[i];
    int& w = widths[static_cast<size_t>(i)];
    if (!share) w = usable / n;
    else if (NumberWidth(f) > 0) w = NumberWidth(f);
    else {
      w = rest * TextWeight(f) / weights;
      lastText = i;
    }
    given += w;
  }
  widths[static_cast<size_t>(lastText)] += usable - given;
  int left = 0;
  for (int i = 0; i < n; ++i) {
    cols.push_back({fields[i], left, widths[static_cast<size_t>(i)]});
    left += widths[static_cast<size_t>(i)] + gap;
  }
  return cols;
}

class Builder {
 public:
  explicit Builder(QString font) : font_(std::move(font)) {}

  static XmlNode Band(const char* type, const QString& name, double height) {
    XmlNode b;
    b.name = QStringLiteral("Band");
    b.attrs = {{QStringLiteral("Type"), QLatin1String(type)}, {QStringLiteral("Name"), name},
               {QStringLiteral("Height"), Mm(height)}};
    return b;
  }
  XmlNode Text(const QString& name, int left, double top, int width, double height, double size, const QString& text) const {
    XmlNode t;
    t.name = QStringLiteral("Text");
    t.attrs = {{QStringLiteral("Name"), name},          {QStringLiteral("Left"), Mm(left)},
               {QStringLiteral("Top"), Mm(top)},        {QStringLiteral("Width"), Mm(width)},
               {QStringLiteral("Height"), Mm(height)},  {QStringLiteral("Font"), font_},
               {QStringLiteral("Size"), Mm(size)}};
    t.text = text;
    return t;
  }
  static XmlNode Line(const QString& name, int left, double top, int width, const QString& color, double lineWidth) {
    XmlNode l;
    l.name = QStringLiteral("Line");
    l.attrs = {{QStringLiteral("Name"), name},   {QStringLiteral("Left"), Mm(left)},
               {QStringLiteral("Top"), Mm(top)}, {QStringLiteral("Width"), Mm(width)},
               {QStringLiteral("Height"), QStringLiteral("0")}, {QStringLiteral("Color"), color},
               {QStringLiteral("LineWidth"), Mm(lineWidth)}};
    return l;
  }
  static XmlNode Rect(const QString& name, int left, double top, int width, double height) {
    XmlNode r;
    r.name = QStringLiteral("Rectangle");
    r.attrs = {{QStringLiteral("Name"), name}, {QStringLiteral("Left"), Mm(left)},
               {QStringLiteral("Top"), Mm(top)}, {QStringLiteral("Width"), Mm(width)},
               {QStringLiteral("Height"), Mm(height)}};
    return r;
  }

 private:
  QString font_;
};

void Set(XmlNode& n, const char* key, const QString& value) { n.SetAttr(QLatin1String(key), value); }

}  // namespace

XmlNode BuildWizardTemplate(const WizardChoice& choice, const XmlNode& blank, const QString& font) {
  XmlNode root = blank;
  auto page = std::find_if(root.children.begin(), root.children.end(),
                           [](const XmlNode& n) { return n.name == QLatin1String("Page"); });
  if (page == root.children.end()) {
    root = NewTemplate();
    page = root.children.begin();
  }
  XmlNode& p = *page;
  p.children.clear();
  p.extras.clear();
  const bool landscape = p.Attr(QStringLiteral("Orientation")) == QLatin1String("Landscape");
  if (landscape != choice.landscape) {
    const QString w = p.Attr(QStringLiteral("Width"));
    Set(p, "Width", p.Attr(QStringLiteral("Height")));
    Set(p, "Height", w);
    Set(p, "Orientation", choice.landscape ? QStringLiteral("Landscape") : QStringLiteral("Portrait"));
  }
  const int width = Hundredths(p.Attr(QStringLiteral("Width")), 210) - Hundredths(p.Attr(QStringLiteral("LeftMargin")), 10) -
                    Hundredths(p.Attr(QStringLiteral("RightMargin")), 10);

  QStringList captions;
  for (const QString& f : choice.fields) captions << FieldCaption(f);
  const QString fieldList = captions.join(QStringLiteral(", "));
  QString description;
  switch (choice.layout) {
    case WizardLayout::List: description = QStringLiteral("Seznam filmů: %1.").arg(fieldList); break;
    case WizardLayout::GroupedList:
      description =
          QStringLiteral("Seznam filmů ve skupinách podle pole %1: %2.").arg(FieldCaption(choice.groupField), fieldList);
      break;
    case WizardLayout::Card: description = QStringLiteral("Karta na film: %1.").arg(fieldList); break;
  }
  Set(root, "ReportOptions.Name", choice.title);
  Set(root, "ReportOptions.Description", description);

  const Builder make(font);
  // Narrow pages (wide margins) shrink the date and the page number, never past the margin.
  const int dateWidth = std::min(4500, width / 3);
  const int pagesWidth = std::min(6000, width);

  XmlNode title = Builder::Band("ReportTitle", QStringLiteral("ReportTitle1"), 16);
  XmlNode heading = make.Text(QStringLiteral("Nadpis1"), 0, 0, width - dateWidth, 10, 16, choice.title);
  Set(heading, "Bold", QStringLiteral("1"));
  // A long title wraps and the band grows, rather than running into the date.
  Set(heading, "WordWrap", QStringLiteral("1"));
  Set(heading, "Stretch", QStringLiteral("1"));
  title.children.push_back(heading);
  XmlNode date = make.Text(QStringLiteral("Datum1"), width - dateWidth, 3, dateWidth, 6, 9, QStringLiteral("[Date]"));
  Set(date, "HAlign", QStringLiteral("Right"));
  Set(date, "Color", QStringLiteral("#505050"));
  title.children.push_back(date);
  p.children.push_back(std::move(title));

  if (choice.layout == WizardLayout::Card) {
    // Two columns of framed cards: caption and value on each line.
    const bool two = width >= 8000;
    if (two) {
      Set(p, "Columns", QStringLiteral("2"));
      Set(p, "ColumnGap", QStringLiteral("6"));
    }
    const int card = two ? (width - 600) / 2 : width;
    const int captionWidth = std::min(2000, card / 3);
    XmlNode data = Builder::Band("MasterData", QStringLiteral("MasterData1"), 0);
    Set(data, "DataSet", kDataSet);
    Set(data, "KeepTogether", QStringLiteral("1"));
    XmlNode frame = Builder::Rect(QStringLiteral("Ramecek1"), 0, 1, card, 0);
    Set(frame, "FrameWidth", QStringLiteral("0.3"));
    Set(frame, "FrameColor", QStringLiteral("#404040"));
    Set(frame, "Radius", QStringLiteral("1.5"));
    data.children.push_back(frame);
    double top = 2.5;
    for (const QString& f : choice.fields) {
      const double lineHeight = LongText(f) ? 9 : 4.5;
      XmlNode caption = make.Text(QStringLiteral("Pop") + f, 200, top, captionWidth, 4.5, 8,
                                  FieldCaption(f) + QStringLiteral(":"));
      Set(caption, "Color", QStringLiteral("#606060"));
      data.children.push_back(caption);
      XmlNode value = make.Text(f + QStringLiteral("1"), 200 + captionWidth, top, std::max(0, card - captionWidth - 400),
                                lineHeight, 9, FieldRef(f));
      Set(value, "WordWrap", QStringLiteral("1"));
      if (f == QLatin1String("Titul")) Set(value, "Bold", QStringLiteral("1"));
      data.children.push_back(value);
      top += lineHeight + 0.5;
    }
    // The frame ends 1.5 mm below the last line, the band 1 mm below the frame.
    data.children.front().SetAttr(QStringLiteral("Height"), Mm(top));
    Set(data, "Height", Mm(top + 2));
    p.children.push_back(std::move(data));
  } else {
    const std::vector<Column> cols = PlanColumns(choice.fields, width);
    XmlNode header = Builder::Band("ColumnHeader", QStringLiteral("ColumnHeader1"), 7);
    XmlNode shade = Builder::Rect(QStringLiteral("Podklad1"), 0, 0, width, 6);
    Set(shade, "Frame", QString());
    Set(shade, "Fill", QStringLiteral("#E4E8EE"));
    header.children.push_back(shade);
    XmlNode data = Builder::Band("MasterData", QStringLiteral("MasterData1"), 5);
    Set(data, "DataSet", kDataSet);
    Set(data, "Stretch", QStringLiteral("1"));
    for (const Column& c : cols) {
      const bool number = NumberWidth(c.field) > 0;
      XmlNode caption = make.Text(QStringLiteral("Hl") + c.field, c.left, 0.8, c.width, 5, 9, FieldCaption(c.field));
      Set(caption, "Bold", QStringLiteral("1"));
      if (number) Set(caption, "HAlign", QStringLiteral("Right"));
      header.children.push_back(caption);
      XmlNode value = make.Text(c.field + QStringLiteral("1"), c.left, 0.5, c.width, 4.2, 9, FieldRef(c.field));
      if (number) {
        Set(value, "HAlign", QStringLiteral("Right"));
      } else {
        Set(value, "WordWrap", QStringLiteral("1"));
        Set(value, "Stretch", QStringLiteral("1"));
      }
      data.children.push_back(value);
    }
    data.children.push_back(Builder::Line(QStringLiteral("Cara1"), 0, 5, width, QStringLiteral("#C8CCD2"), 0.15));
    p.children.push_back(std::move(header));
    if (choice.layout == WizardLayout::GroupedList && !choice.groupField.isEmpty()) {
      // Rows are brought together by the group value, in Czech order.
      XmlNode group = Builder::Band("GroupHeader", QStringLiteral("GroupHeader1"), 8);
      Set(group, "Condition", FieldRef(choice.groupField));
      Set(group, "RepeatHeader", QStringLiteral("1"));
      Set(group, "SortRows", QStringLiteral("1"));
      XmlNode bar = Builder::Rect(QStringLiteral("Podklad2"), 0, 1, width, 6.5);
      Set(bar, "Frame", QString());
      Set(bar, "Fill", QStringLiteral("#DDE6F0"));
      group.children.push_back(bar);
      XmlNode value = make.Text(QStringLiteral("Skupina1"), 0, 1.5, width, 5.5, 10, FieldRef(choice.groupField));
      Set(value, "Bold", QStringLiteral("1"));
      group.children.push_back(value);
      p.children.push_back(std::move(group));
      p.children.push_back(std::move(data));
      XmlNode footer = Builder::Band("GroupFooter", QStringLiteral("GroupFooter1"), 7);
      footer.children.push_back(Builder::Line(QStringLiteral("Cara2"), 0, 0.5, width, QStringLiteral("#A0A0A0"), 0.2));
      XmlNode count = make.Text(QStringLiteral("Pocet1"), 0, 1, width, 5, 9, QStringLiteral("Počet: [COUNT]"));
      Set(count, "Italic", QStringLiteral("1"));
      footer.children.push_back(count);
      p.children.push_back(std::move(footer));
    } else {
      p.children.push_back(std::move(data));
    }
  }

  XmlNode footer = Builder::Band("PageFooter", QStringLiteral("PageFooter1"), 8);
  footer.children.push_back(Builder::Line(QStringLiteral("Cara3"), 0, 1, width, QStringLiteral("#808080"), 0.2));
  XmlNode pages = make.Text(QStringLiteral("Strana1"), width - pagesWidth, 2, pagesWidth, 5, 8,
                            QStringLiteral("Strana [Page#] z [TotalPages#]"));
  Set(pages, "HAlign", QStringLiteral("Right"));
  footer.children.push_back(pages);
  p.children.push_back(std::move(footer));
  return root;
}

// ---------------------------------------------------------------------------------------

namespace {

const char16_t* const kLayoutNames[] = {u"Seznam", u"Seznam se skupinami", u"Karta na film"};
const char16_t* const kLayoutHints[] = {
    u"Jeden řádek na film, sloupce s nadpisy na každé stránce.",
    u"Filmy ve skupinách podle zvoleného pole, s počtem filmů v každé skupině.",
    u"Jedna orámovaná karta na film s popisky a hodnotami, dva sloupce karet na stránce."};
const char16_t* const kDefaultTitles[] = {u"Seznam filmů", u"Seznam filmů", u"Karty filmů"};

QListWidgetItem* FieldItem(const QString& field) {
  auto* item = new QListWidgetItem(FieldCaption(field));
  item->setData(Qt::UserRole, field);
  return item;
}

}  // namespace

TRptWizard::TRptWizard(const QStringList& fields, bool landscape, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PruvodceSestavou"));
  setWindowTitle(QStringLiteral("Průvodce novou sestavou"));
  setModal(true);
  const QStringList offered = fields.isEmpty() ? CatalogueFields() : fields;

  auto* layout = new QVBoxLayout(this);
  steps_ = new QStackedWidget(this);
  layout->addWidget(steps_, 1);

  // Step 1: the layout.
  auto* first = new QWidget(steps_);
  auto* firstLayout = new QVBoxLayout(first);
  firstLayout->addWidget(new QLabel(QStringLiteral("Krok 1 ze 3: zvolte vzhled sestavy."), first));
  layouts_ = new QListWidget(first);
  layouts_->setObjectName(QStringLiteral("Lb_Vzhled"));
  for (const char16_t* name : kLayoutNames) layouts_->addItem(QString::fromUtf16(name));
  firstLayout->addWidget(layouts_, 1);
  auto* hint = new QLabel(first);
  hint->setWordWrap(true);
  firstLayout->addWidget(hint);
  steps_->addWidget(first);

  // Step 2: the fields and their order.
  auto* second = new QWidget(steps_);
  auto* secondLayout = new QGridLayout(second);
  secondLayout->addWidget(new QLabel(QStringLiteral("Krok 2 ze 3: zvolte pole sestavy a jejich pořadí."), second), 0, 0, 1, 4);
  secondLayout->addWidget(new QLabel(QStringLiteral("Dostupná pole:"), second), 1, 0);
  secondLayout->addWidget(new QLabel(QStringLiteral("Pole v sestavě:"), second), 1, 2);
  available_ = new QListWidget(second);
  available_->setObjectName(QStringLiteral("Lb_DostupnaPole"));
  for (const QString& f : offered) available_->addItem(FieldItem(f));
  chosen_ = new QListWidget(second);
  chosen_->setObjectName(QStringLiteral("Lb_VybranaPole"));
  secondLayout->addWidget(available_, 2, 0);
  secondLayout->addWidget(chosen_, 2, 2);
  auto* moves = new QVBoxLayout;
  auto button = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
  };
  add_ = button("Tl_Pridat", QStringLiteral("Přidat >"));
  remove_ = button("Tl_Odebrat", QStringLiteral("< Odebrat"));
  moves->addStretch();
  moves->addWidget(add_);
  moves->addWidget(remove_);
  moves->addStretch();
  secondLayout->addLayout(moves, 2, 1);
  auto* order = new QVBoxLayout;
  up_ = button("Tl_Nahoru", QStringLiteral("Nahoru"));
  down_ = button("Tl_Dolu", QStringLiteral("Dolů"));
  order->addStretch();
  order->addWidget(up_);
  order->addWidget(down_);
  order->addStretch();
  secondLayout->addLayout(order, 2, 3);
  groupLabel_ = new QLabel(QStringLiteral("Seskupit podle pole:"), second);
  group_ = new QComboBox(second);
  group_->setObjectName(QStringLiteral("Cb_Skupina"));
  for (const QString& f : offered) group_->addItem(FieldCaption(f), f);
  group_->setCurrentIndex(std::max(0, group_->findData(QStringLiteral("Zanr"))));
  groupLabel_->setBuddy(group_);
  secondLayout->addWidget(groupLabel_, 3, 0);
  secondLayout->addWidget(group_, 3, 1, 1, 2);
  steps_->addWidget(second);

  // Step 3: title and paper.
  auto* third = new QWidget(steps_);
  auto* thirdLayout = new QVBoxLayout(third);
  thirdLayout->addWidget(new QLabel(QStringLiteral("Krok 3 ze 3: nadpis sestavy a orientace papíru."), third));
  thirdLayout->addWidget(new QLabel(QStringLiteral("Nadpis sestavy:"), third));
  title_ = new QLineEdit(third);
  title_->setObjectName(QStringLiteral("Ed_Nadpis"));
  thirdLayout->addWidget(title_);
  auto* paper = new QGroupBox(QStringLiteral("Orientace papíru"), third);
  auto* paperLayout = new QVBoxLayout(paper);
  portrait_ = new QRadioButton(QStringLiteral("Na výšku"), paper);
  portrait_->setObjectName(QStringLiteral("Rb_NaVysku"));
  landscape_ = new QRadioButton(QStringLiteral("Na šířku"), paper);
  landscape_->setObjectName(QStringLiteral("Rb_NaSirku"));
  paperLayout->addWidget(portrait_);
  paperLayout->addWidget(landscape_);
  (landscape ? landscape_ : portrait_)->setChecked(true);
  thirdLayout->addWidget(paper);
  thirdLayout->addStretch();
  steps_->addWidget(third);

  auto* buttons = new QHBoxLayout;
  back_ = button("Tl_Zpet", QStringLiteral("Zpět"));
  next_ = button("Tl_Dalsi", QStringLiteral("Další"));
  finish_ = button("Tl_Dokoncit", QStringLiteral("Dokončit"));
  auto* cancel = button("Tl_Storno", QStringLiteral("Storno"));
  buttons->addStretch();
  for (QPushButton* b : {back_, next_, finish_, cancel}) buttons->addWidget(b);
  layout->addLayout(buttons);

  connect(layouts_, &QListWidget::currentRowChanged, this, [this, hint](int row) {
    hint->setText(row >= 0 ? QString::fromUtf16(kLayoutHints[row]) : QString());
    LayoutChanged();
  });
  connect(layouts_, &QListWidget::itemDoubleClicked, this, [this] { GoTo(1); });
  connect(available_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    available_->setCurrentItem(item);
    AddField();
  });
  connect(chosen_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    chosen_->setCurrentItem(item);
    RemoveField();
  });
  connect(available_, &QListWidget::currentRowChanged, this, &TRptWizard::Refresh);
  connect(chosen_, &QListWidget::currentRowChanged, this, &TRptWizard::Refresh);
  connect(add_, &QPushButton::clicked, this, &TRptWizard::AddField);
  connect(remove_, &QPushButton::clicked, this, &TRptWizard::RemoveField);
  connect(up_, &QPushButton::clicked, this, [this] { MoveChosen(-1); });
  connect(down_, &QPushButton::clicked, this, [this] { MoveChosen(1); });
  connect(title_, &QLineEdit::textChanged, this, &TRptWizard::Refresh);
  connect(back_, &QPushButton::clicked, this, [this] { GoTo(Step() - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { GoTo(Step() + 1); });
  connect(finish_, &QPushButton::clicked, this, &TRptWizard::accept);
  connect(cancel, &QPushButton::clicked, this, &TRptWizard::reject);

  layouts_->setCurrentRow(0);
  GoTo(0);
  resize(560, 400);
}

int TRptWizard::Step() const { return steps_->currentIndex(); }

void TRptWizard::GoTo(int step) {
  if (step < 0 || step >= steps_->count()) return;
  if (step > 1 && chosen_->count() == 0) step = 1;  // nothing to lay out yet
  steps_->setCurrentIndex(step);
  Refresh();
  QWidget* focus = step == 0 ? static_cast<QWidget*>(layouts_) : step == 1 ? static_cast<QWidget*>(available_) : title_;
  focus->setFocus();
}

void TRptWizard::LayoutChanged() {
  const int row = std::max(0, layouts_->currentRow());
  // A title the user has not changed follows the layout.
  const QString title = QString::fromUtf16(kDefaultTitles[row]);
  if (title_->text() == defaultTitle_) title_->setText(title);
  defaultTitle_ = title;
  Refresh();
}

void TRptWizard::AddField() {
  const int row = available_->currentRow();
  if (row < 0) return;
  chosen_->addItem(available_->takeItem(row));
  chosen_->setCurrentRow(chosen_->count() - 1);
  available_->setCurrentRow(std::min(row, available_->count() - 1));
  Refresh();
}

void TRptWizard::RemoveField() {
  const int row = chosen_->currentRow();
  if (row < 0) return;
  QListWidgetItem* item = chosen_->takeItem(row);
  // Back to its place among the offered fields.
  const QString field = item->data(Qt::UserRole).toString();
  const QStringList order = CatalogueFields();
  int at = available_->count();
  if (order.contains(field))
    for (int i = 0; i < available_->count(); ++i)
      if (order.indexOf(available_->item(i)->data(Qt::UserRole).toString()) > order.indexOf(field)) {
        at = i;
        break;
      }
  available_->insertItem(at, item);
  available_->setCurrentRow(at);
  chosen_->setCurrentRow(std::min(row, chosen_->count() - 1));
  Refresh();
}

void TRptWizard::MoveChosen(int delta) {
  const int row = chosen_->currentRow();
  const int to = row + delta;
  if (row < 0 || to < 0 || to >= chosen_->count()) return;
  chosen_->insertItem(to, chosen_->takeItem(row));
  chosen_->setCurrentRow(to);
  Refresh();
}

void TRptWizard::Refresh() {
  const int step = Step();
  const bool grouped = layouts_->currentRow() == static_cast<int>(WizardLayout::GroupedList);
  groupLabel_->setVisible(grouped);
  group_->setVisible(grouped);
  add_->setEnabled(available_->currentRow() >= 0);
  remove_->setEnabled(chosen_->currentRow() >= 0);
  up_->setEnabled(chosen_->currentRow() > 0);
  down_->setEnabled(chosen_->currentRow() >= 0 && chosen_->currentRow() + 1 < chosen_->count());
  back_->setEnabled(step > 0);
  next_->setEnabled(step < steps_->count() - 1 && (step != 1 || chosen_->count() > 0));
  finish_->setEnabled(step == steps_->count() - 1 && chosen_->count() > 0 && !title_->text().trimmed().isEmpty());
  (finish_->isEnabled() ? finish_ : next_)->setDefault(true);
}

WizardChoice TRptWizard::Choice() const {
  WizardChoice c;
  c.layout = static_cast<WizardLayout>(std::max(0, layouts_->currentRow()));
  for (int i = 0; i < chosen_->count(); ++i) c.fields << chosen_->item(i)->data(Qt::UserRole).toString();
  if (c.layout == WizardLayout::GroupedList) c.groupField = group_->currentData().toString();
  c.title = title_->text().trimmed();
  c.landscape = landscape_->isChecked();
  return c;
}

void TRptWizard::accept() {
  if (!finish_->isEnabled()) return;  // Enter on an earlier step
  if (const QString why = ForbiddenXmlCharReason(title_->text()); !why.isEmpty()) {
    Interaction().ShowError(QStringLiteral("Nadpis sestavy „%1“ nelze použít: %2.").arg(title_->text(), why));
    return;
  }
  QDialog::accept();
}

std::function<bool(TRptWizard&)>& WizardRunner() {
  static std::function<bool(TRptWizard&)> run = [](TRptWizard& w) { return w.exec() == QDialog::Accepted; };
  return run;
}

std::optional<XmlNode> OfferNewReportWizard(const XmlNode& blank, const QStringList& fields, const QString& font,
                                            QWidget* parent) {
  if (!Interaction().Ask(QStringLiteral("Chcete novou sestavu založit průvodcem? Odpovědí Ne začnete s prázdnou sestavou.")))
    return blank;
  bool landscape = false;
  for (const XmlNode& n : blank.children)
    if (n.name == QLatin1String("Page")) landscape = n.Attr(QStringLiteral("Orientation")) == QLatin1String("Landscape");
  TRptWizard wizard(fields, landscape, parent);
  if (!WizardRunner()(wizard)) return std::nullopt;
  return BuildWizardTemplate(wizard.Choice(), blank, font);
}

}  // namespace rpt
