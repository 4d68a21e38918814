// The designer's property panel: which attributes each kind of object, band and the page
// offer, and how an edited value reaches the document.
#include "designer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableWidget>

#include <cmath>
#include <iterator>

#include "designer_canvas.h"
#include "designer_editors.h"
#include "interaction.h"

namespace rpt {

namespace {

// How a property is edited.
enum class Ed {
  Text,      // typed in the cell
  Flag,      // a check box
  Pos,       // millimetres, may be negative
  Mm,        // millimetres from 0
  PageSide,  // millimetres of a paper side
  Pt,        // font size
  Count,     // columns
  Color,     // black unless set
  Fill,      // none unless set
  Font,
  HAlign,
  VAlign,
  Rotation,
  Frame,
  Orientation,
  Paper,
  BandType,
};

// One row of the property panel.
struct Prop {
  const char* label;
  const char* key;  // attribute
  Ed ed = Ed::Text;
  double fallback = 0;  // what the engine takes for a missing number
};

const std::vector<Prop>& GeometryProps() {
  static const std::vector<Prop> p{{"Název", "Name"},
                                   {"Vlevo (mm)", "Left", Ed::Pos},
                                   {"Nahoře (mm)", "Top", Ed::Pos},
                                   {"Šířka (mm)", "Width", Ed::Mm},
                                   {"Výška (mm)", "Height", Ed::Mm}};
  return p;
}

std::vector<Prop> PropsOf(const QString& kind) {
  std::vector<Prop> p = GeometryProps();
  const std::vector<Prop> frame{{"Rámeček", "Frame", Ed::Frame},
                                {"Šířka rámečku (mm)", "FrameWidth", Ed::Mm, 0.2},
                                {"Barva rámečku", "FrameColor", Ed::Color},
                                {"Výplň", "Fill", Ed::Fill}};
  if (kind == QLatin1String("Text")) {
    const std::vector<Prop> t{{"Písmo", "Font", Ed::Font},
                              {"Velikost (pt)", "Size", Ed::Pt, 10},
                              {"Tučné", "Bold", Ed::Flag},
                              {"Kurzíva", "Italic", Ed::Flag},
                              {"Podtržené", "Underline", Ed::Flag},
                              {"Barva", "Color", Ed::Color},
                              {"Vodorovně", "HAlign", Ed::HAlign},
                              {"Svisle", "VAlign", Ed::VAlign},
                              {"Zalamovat", "WordWrap", Ed::Flag},
                              {"Roztahovat", "Stretch", Ed::Flag},
                              {"Skrýt prázdný", "HideIfEmpty", Ed::Flag},
                              {"Otočení", "Rotation", Ed::Rotation}};
    p.insert(p.end(), t.begin(), t.end());
    p.insert(p.end(), frame.begin(), frame.end());
  } else if (kind == QLatin1String("Line")) {
    p.push_back({"Barva", "Color", Ed::Color});
    p.push_back({"Tloušťka (mm)", "LineWidth", Ed::Mm, 0.2});
  } else if (kind == QLatin1String("Rectangle")) {
    p.insert(p.end(), frame.begin(), frame.end());
    p.push_back({"Zaoblení (mm)", "Radius", Ed::Mm});
  }
  return p;
}

const std::vector<Prop>& BandProps() {
  static const std::vector<Prop> p{{"Název", "Name"},
                                   {"Druh pásu", "Type", Ed::BandType},
                                   {"Výška (mm)", "Height", Ed::Mm},
                                   {"Roztahovat", "Stretch", Ed::Flag},
                                   {"Držet pohromadě", "KeepTogether", Ed::Flag},
                                   {"Podmínka skupiny", "Condition"},
                                   {"Začít na nové stránce", "StartNewPage", Ed::Flag},
                                   {"Opakovat záhlaví", "RepeatHeader", Ed::Flag},
                                   {"Výplň sudých řádků", "EvenFill", Ed::Fill},
                                   {"Výplň lichých řádků", "OddFill", Ed::Fill}};
  return p;
}

const std::vector<Prop>& PageProps() {
  static const std::vector<Prop> p{{"Název sestavy", "ReportOptions.Name"},
                                   {"Autor", "ReportOptions.Author"},
                                   {"Papír", "PaperSize", Ed::Paper},
                                   {"Šířka papíru (mm)", "Width", Ed::PageSide, 210},
                                   {"Výška papíru (mm)", "Height", Ed::PageSide, 297},
                                   {"Orientace", "Orientation", Ed::Orientation},
                                   {"Levý okraj (mm)", "LeftMargin", Ed::Mm, 10},
                                   {"Horní okraj (mm)", "TopMargin", Ed::Mm, 10},
                                   {"Pravý okraj (mm)", "RightMargin", Ed::Mm, 10},
                                   {"Dolní okraj (mm)", "BottomMargin", Ed::Mm, 10},
                                   {"Sloupce", "Columns", Ed::Count, 1},
                                   {"Mezera sloupců (mm)", "ColumnGap", Ed::Mm}};
  return p;
}

// Papers of the drop-down: Windows paper number and the sides in millimetres.
struct Paper {
  const char16_t* label;
  int code;
  double w, h;
};
constexpr Paper kPapers[] = {{u"A4", 9, 210, 297}, {u"A5", 11, 148, 210}, {u"A3", 8, 297, 420}, {u"Letter", 1, 215.9, 279.4}};
constexpr int kCustomPaper = 256;

// The listed paper the page is, by its sides; -1 for one the user made custom or no listed one.
int PaperOf(const XmlNode& page) {
  if (page.Attr(QStringLiteral("PaperSize")).trimmed() == QString::number(kCustomPaper)) return -1;
  const double w = page.Attr(QStringLiteral("Width"), QStringLiteral("210")).toDouble();
  const double h = page.Attr(QStringLiteral("Height"), QStringLiteral("297")).toDouble();
  for (int i = 0; i < static_cast<int>(std::size(kPapers)); ++i)
    if (std::abs(std::min(w, h) - kPapers[i].w) < 0.5 && std::abs(std::max(w, h) - kPapers[i].h) < 0.5) return i;
  return -1;
}

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kFlagRole = Qt::UserRole + 2;

using Choices = std::vector<std::pair<QString, QString>>;

}  // namespace

void TRptDesignerWindow::RefreshProperties() {
  filling_ = true;
  props_->setRowCount(0);
  std::vector<Prop> rows;
  const XmlNode* node = nullptr;
  const auto& sel = doc_.Selection();
  QString what;
  text_->setEnabled(true);
  if (!sel.empty()) {
    node = &doc_.Object(sel.front());
    rows = PropsOf(node->name);
    // One name cannot serve several objects.
    if (sel.size() > 1) rows.erase(rows.begin());
    what = sel.size() > 1 ? QStringLiteral("Vybráno objektů: %1 (vlastnosti platí pro všechny)").arg(sel.size())
                          : QStringLiteral("Objekt %1").arg(node->Attr(QStringLiteral("Name")));
    textLabel_->setText(QStringLiteral("Text objektu:"));
    text_->setPlainText(node->name == QLatin1String("Text") ? node->text : QString());
    text_->setEnabled(node->name == QLatin1String("Text") && sel.size() == 1);
  } else if (doc_.CurrentBand() >= 0) {
    node = &doc_.Band(doc_.CurrentBand());
    // Group options belong to group headers, row fills to data bands.
    const QString type = node->Attr(QStringLiteral("Type"));
    for (const Prop& p : BandProps()) {
      const QLatin1String key(p.key);
      const bool group = key == QLatin1String("Condition") || key == QLatin1String("StartNewPage") || key == QLatin1String("RepeatHeader");
      const bool fill = key == QLatin1String("EvenFill") || key == QLatin1String("OddFill");
      if ((group && type != QLatin1String("GroupHeader")) || (fill && type != QLatin1String("MasterData"))) continue;
      rows.push_back(p);
    }
    what = QStringLiteral("Pás %1 (%2)").arg(node->Attr(QStringLiteral("Name")), BandLabel(node->Attr(QStringLiteral("Type"))));
    textLabel_->setText(QString());
    text_->clear();
    text_->setEnabled(false);
  } else {
    node = &doc_.Page();
    rows = PageProps();
    what = QStringLiteral("Sestava a stránka");
    textLabel_->setText(QStringLiteral("Popis sestavy (řádky):"));
    text_->setPlainText(doc_.ReportDescription().join(u'\n'));
  }
  text_->document()->setModified(false);
  status_->setText(what);
  for (const Prop& p : rows) {
    const int row = props_->rowCount();
    props_->insertRow(row);
    auto* label = new QTableWidgetItem(QString::fromUtf8(p.label));
    label->setFlags(Qt::ItemIsEnabled);
    props_->setItem(row, 0, label);
    const QString key = QLatin1String(p.key);
    const XmlNode& source = key.startsWith(QLatin1String("ReportOptions.")) ? doc_.Root() : *node;
    const QString current = source.Attr(key);
    auto* value = new QTableWidgetItem;
    value->setData(kKeyRole, key);
    value->setData(kFlagRole, p.ed == Ed::Flag);
    props_->setItem(row, 1, value);
    auto apply = [this, key](const QString& v) {
      if (!filling_) ApplyProperty(key, v);
    };
    const QString mm = QStringLiteral(" mm");
    QWidget* editor = nullptr;
    switch (p.ed) {
      case Ed::Text: value->setText(current); break;
      case Ed::Flag:
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        value->setCheckState(AttrFlag(source, p.key) ? Qt::Checked : Qt::Unchecked);
        break;
      case Ed::Pos: editor = MakeNumberEditor(props_, current, p.fallback, -kMaxLength, kMaxLength, 2, mm, apply); break;
      case Ed::Mm: editor = MakeNumberEditor(props_, current, p.fallback, 0, kMaxLength, 2, mm, apply); break;
      case Ed::PageSide:
        editor = MakeNumberEditor(props_, current, p.fallback, kMinPageSide, kMaxPageSide, 2, mm, apply);
        break;
      case Ed::Pt: editor = MakeNumberEditor(props_, current, p.fallback, 0.5, 500, 1, QStringLiteral(" pt"), apply); break;
      case Ed::Count: editor = MakeNumberEditor(props_, current, p.fallback, 1, 20, 0, QString(), apply); break;
      case Ed::Color: editor = MakeColorEditor(props_, current, QStringLiteral("#000000"), false, apply); break;
      case Ed::Fill: editor = MakeColorEditor(props_, current, QString(), true, apply); break;
      case Ed::HAlign:
        editor = MakeChoiceEditor(props_,
                                  Choices{{QStringLiteral("Vlevo"), QStringLiteral("Left")},
                                          {QStringLiteral("Na střed"), QStringLiteral("Center")},
                                          {QStringLiteral("Vpravo"), QStringLiteral("Right")},
                                          {QStringLiteral("Do bloku"), QStringLiteral("Justify")}},
                                  current, 0, apply);
        break;
      case Ed::VAlign:
        editor = MakeChoiceEditor(props_,
                                  Choices{{QStringLiteral("Nahoru"), QStringLiteral("Top")},
                                          {QStringLiteral("Na střed"), QStringLiteral("Center")},
                                          {QStringLiteral("Dolů"), QStringLiteral("Bottom")}},
                                  current, 0, apply);
        break;
      case Ed::Rotation:
        editor = MakeChoiceEditor(props_,
                                  Choices{{QStringLiteral("0°"), QStringLiteral("0")},
                                          {QStringLiteral("90°"), QStringLiteral("90")},
                                          {QStringLiteral("270°"), QStringLiteral("270")}},
                                  current.isEmpty() ? QStringLiteral("0") : current.trimmed(), -1, apply);
        break;
      case Ed::Frame:
        // A rectangle without the attribute is framed all round, a text is not framed.
        editor = MakeFrameEditor(props_,
                                 !source.Has(key) && source.name == QLatin1String("Rectangle") ? QStringLiteral("All") : current,
                                 apply);
        break;
      case Ed::Orientation: {
        const bool wide = source.Attr(QStringLiteral("Width")).toDouble() > source.Attr(QStringLiteral("Height")).toDouble();
        editor = MakeChoiceEditor(props_,
                                  Choices{{QStringLiteral("Na výšku"), QStringLiteral("Portrait")},
                                          {QStringLiteral("Na šířku"), QStringLiteral("Landscape")}},
                                  wide ? QStringLiteral("Landscape") : QStringLiteral("Portrait"), 0, apply);
        break;
      }
      case Ed::Paper: {
        Choices papers;
        for (const Paper& paper : kPapers) papers.emplace_back(QString::fromUtf16(paper.label), QString::number(paper.code));
        papers.emplace_back(QStringLiteral("Vlastní"), QString::number(kCustomPaper));
        const int known = PaperOf(source);
        const QString code = QString::number(known >= 0 ? kPapers[known].code : kCustomPaper);
        editor = MakeChoiceEditor(props_, papers, code, 0, [this](const QString& chosen) {
          if (filling_) return;
          // A paper keeps the page's orientation; a custom one keeps its sides.
          DesignerDoc::Attrs attrs{{QStringLiteral("PaperSize"), chosen}};
          for (const Paper& paper : kPapers) {
            if (QString::number(paper.code) != chosen) continue;
            const XmlNode& page = doc_.Page();
            const bool wide = page.Attr(QStringLiteral("Width")).toDouble() > page.Attr(QStringLiteral("Height")).toDouble();
            attrs.emplace_back(QStringLiteral("Width"), DesignerDoc::FormatMm(wide ? paper.h : paper.w));
            attrs.emplace_back(QStringLiteral("Height"), DesignerDoc::FormatMm(wide ? paper.w : paper.h));
          }
          QString error;
          if (!doc_.SetPageAttrs(attrs, QStringLiteral("Změnit papír"), &error)) {
            Interaction().ShowError(QStringLiteral("Papír nelze použít: %1.").arg(error));
            ScheduleRefresh();
          }
        });
        break;
      }
      case Ed::BandType: {
        Choices types;
        for (const auto& [type, name] : BandLabels()) types.emplace_back(name, BandTypeName(type));
        editor = MakeChoiceEditor(props_, types, current, -1, apply);
        break;
      }
      case Ed::Font: {
        FontAttrs f;
        f.family = current.isEmpty() ? QStringLiteral("Arial") : current;
        bool ok = false;
        const double size = source.Attr(QStringLiteral("Size")).toDouble(&ok);
        f.size = ok && size > 0 ? size : 10;
        f.bold = AttrFlag(source, "Bold");
        f.italic = AttrFlag(source, "Italic");
        f.underline = AttrFlag(source, "Underline");
        editor = MakeFontEditor(props_, f, [this](const DesignerDoc::Attrs& attrs) {
          QString error;
          if (!doc_.SetSelectionAttrs(attrs, QStringLiteral("Změnit písmo"), &error)) {
            Interaction().ShowError(QStringLiteral("Písmo nelze použít: %1.").arg(error));
            ScheduleRefresh();
          }
        });
        break;
      }
    }
    if (editor) {
      // The cell keeps the file's number or colour for whoever reads the table; the editor covers it.
      value->setFlags(Qt::ItemIsEnabled);
      if (p.ed != Ed::Font && p.ed != Ed::Frame && p.ed != Ed::HAlign && p.ed != Ed::VAlign && p.ed != Ed::Rotation &&
          p.ed != Ed::Orientation && p.ed != Ed::Paper && p.ed != Ed::BandType)
        value->setText(current);
      props_->setCellWidget(row, 1, editor);
    }
  }
  props_->resizeRowsToContents();
  filling_ = false;
}

void TRptDesignerWindow::PropertyEdited(QTableWidgetItem* item) {
  if (filling_ || item->column() != 1) return;
  const QString key = item->data(kKeyRole).toString();
  QString value =
      item->data(kFlagRole).toBool() ? (item->checkState() == Qt::Checked ? QStringLiteral("1") : QString()) : item->text().trimmed();
  // A Czech decimal comma is written as the file's decimal point.
  static const QRegularExpression czechNumber(QStringLiteral("^-?\\d+,\\d+$"));
  if (czechNumber.match(value).hasMatch()) value.replace(u',', u'.');
  ApplyProperty(key, value);
}

void TRptDesignerWindow::ApplyProperty(const QString& key, const QString& value) {
  QString error;
  bool ok = true;
  if (!doc_.Selection().empty()) {
    ok = doc_.SetSelectionAttr(key, value, &error);
  } else if (doc_.CurrentBand() >= 0) {
    ok = doc_.SetBandAttr(doc_.CurrentBand(), key, value, &error);
  } else if (key.startsWith(QLatin1String("ReportOptions."))) {
    const bool isName = key.endsWith(QLatin1String("Name"));
    ok = doc_.SetReportOptions(isName ? value : doc_.ReportName(), isName ? doc_.ReportAuthor() : value,
                               doc_.ReportDescription(), &error);
  } else if (key == QLatin1String("Orientation")) {
    ok = doc_.SetOrientation(value, &error);
  } else {
    ok = doc_.SetPageAttr(key, value, &error);
  }
  if (!ok) {
    Interaction().ShowError(QStringLiteral("Hodnotu nelze použít: %1.").arg(error));
    ScheduleRefresh();
  }
}

void TRptDesignerWindow::ScheduleRefresh() {
  // Later, never inside the panel's own change signal, whose item the refresh replaces.
  if (refreshPending_) return;
  refreshPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshPending_ = false;
        RefreshProperties();
      },
      Qt::QueuedConnection);
}

bool TRptDesignerWindow::eventFilter(QObject* watched, QEvent* event) {
  // Typed text is kept when the box loses focus, as if "Použít text" had been pressed.
  if (watched == text_ && event->type() == QEvent::FocusOut && !filling_ && text_->document()->isModified())
    ApplyText();
  return QDialog::eventFilter(watched, event);
}

void TRptDesignerWindow::ApplyText() {
  text_->document()->setModified(false);
  const auto& sel = doc_.Selection();
  QString error;
  if (sel.size() == 1) {
    if (!doc_.SetObjectText(sel.front(), text_->toPlainText(), &error))
      Interaction().ShowError(QStringLiteral("Text nelze použít: %1.").arg(error));
  } else if (sel.empty() && doc_.CurrentBand() < 0) {
    const QString d = text_->toPlainText();
    if (!doc_.SetReportOptions(doc_.ReportName(), doc_.ReportAuthor(), d.isEmpty() ? QStringList() : d.split(u'\n'), &error))
      Interaction().ShowError(QStringLiteral("Text nelze použít: %1.").arg(error));
  }
}

}  // namespace rpt
