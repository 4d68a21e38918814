// The designer's property panel: which attributes each kind of object, band and the page
// offer, and how an edited value reaches the document.
#include "designer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableWidget>

#include "designer_canvas.h"
#include "interaction.h"

namespace rpt {

namespace {

// One row of the property panel.
struct Prop {
  const char* label;
  const char* key;  // attribute; "" for a row that only shows
  bool flag = false;
};

const std::vector<Prop>& GeometryProps() {
  static const std::vector<Prop> p{{"Název", "Name"}, {"Vlevo (mm)", "Left"}, {"Nahoře (mm)", "Top"},
                                   {"Šířka (mm)", "Width"}, {"Výška (mm)", "Height"}};
  return p;
}

std::vector<Prop> PropsOf(const QString& kind) {
  std::vector<Prop> p = GeometryProps();
  const std::vector<Prop> frame{{"Rámeček (Left,Top,Right,Bottom,All)", "Frame"}, {"Šířka rámečku (mm)", "FrameWidth"},
                                {"Barva rámečku", "FrameColor"}, {"Výplň", "Fill"}};
  if (kind == QLatin1String("Text")) {
    const std::vector<Prop> t{{"Písmo", "Font"},
                              {"Velikost (pt)", "Size"},
                              {"Tučné", "Bold", true},
                              {"Kurzíva", "Italic", true},
                              {"Podtržené", "Underline", true},
                              {"Barva", "Color"},
                              {"Vodorovně (Left, Center, Right, Justify)", "HAlign"},
                              {"Svisle (Top, Center, Bottom)", "VAlign"},
                              {"Zalamovat", "WordWrap", true},
                              {"Roztahovat", "Stretch", true},
                              {"Skrýt prázdný", "HideIfEmpty", true},
                              {"Otočení (0, 90, 270)", "Rotation"}};
    p.insert(p.end(), t.begin(), t.end());
    p.insert(p.end(), frame.begin(), frame.end());
  } else if (kind == QLatin1String("Line")) {
    p.push_back({"Barva", "Color"});
    p.push_back({"Tloušťka (mm)", "LineWidth"});
  } else if (kind == QLatin1String("Rectangle")) {
    p.insert(p.end(), frame.begin(), frame.end());
    p.push_back({"Zaoblení (mm)", "Radius"});
  }
  return p;
}

const std::vector<Prop>& BandProps() {
  static const std::vector<Prop> p{{"Název", "Name"},
                                   {"Výška (mm)", "Height"},
                                   {"Roztahovat", "Stretch", true},
                                   {"Držet pohromadě", "KeepTogether", true},
                                   {"Podmínka skupiny", "Condition"},
                                   {"Začít na nové stránce", "StartNewPage", true},
                                   {"Opakovat záhlaví", "RepeatHeader", true},
                                   {"Výplň sudých řádků", "EvenFill"},
                                   {"Výplň lichých řádků", "OddFill"}};
  return p;
}

const std::vector<Prop>& PageProps() {
  static const std::vector<Prop> p{{"Název sestavy", "ReportOptions.Name"},
                                   {"Autor", "ReportOptions.Author"},
                                   {"Šířka papíru (mm)", "Width"},
                                   {"Výška papíru (mm)", "Height"},
                                   {"Orientace (Portrait, Landscape)", "Orientation"},
                                   {"Levý okraj (mm)", "LeftMargin"},
                                   {"Horní okraj (mm)", "TopMargin"},
                                   {"Pravý okraj (mm)", "RightMargin"},
                                   {"Dolní okraj (mm)", "BottomMargin"},
                                   {"Sloupce", "Columns"},
                                   {"Mezera sloupců (mm)", "ColumnGap"}};
  return p;
}

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kFlagRole = Qt::UserRole + 2;

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
    auto* value = new QTableWidgetItem;
    value->setData(kKeyRole, key);
    value->setData(kFlagRole, p.flag);
    if (p.flag) {
      value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
      value->setCheckState(AttrFlag(source, p.key) ? Qt::Checked : Qt::Unchecked);
    } else {
      value->setText(source.Attr(key));
    }
    props_->setItem(row, 1, value);
  }
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
