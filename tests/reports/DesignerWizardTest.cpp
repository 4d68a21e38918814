// The new report wizard: the templates it lays out prepare over the films to the pages the
// layout gives, inside the margins; its dialog is driven through its buttons.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <map>
#include <set>

#include "ReportTestSupport.h"
#include "designer.h"
#include "designer_wizard.h"
#include "interaction.h"

namespace rpt {
namespace {

const XmlNode* BandOf(const XmlNode& root, const char* type) {
  for (const XmlNode& b : root.children.front().children)
    if (b.Attr(QStringLiteral("Type")) == QLatin1String(type)) return &b;
  return nullptr;
}

double Num(const XmlNode& n, const char* key) { return n.Attr(QLatin1String(key)).toDouble(); }

// The band's texts that show a field or a caption, left to right.
std::vector<const XmlNode*> Texts(const XmlNode& band) {
  std::vector<const XmlNode*> out;
  for (const XmlNode& o : band.children)
    if (o.name == QLatin1String("Text")) out.push_back(&o);
  return out;
}

// Columns of a list: side by side without overlap, from the left margin to the right one,
// the captions above their values, numbers right-aligned.
void ExpectColumns(const XmlNode& root, const QStringList& fields, double contentWidth) {
  const XmlNode* header = BandOf(root, "ColumnHeader");
  const XmlNode* data = BandOf(root, "MasterData");
  ASSERT_TRUE(header && data);
  const std::vector<const XmlNode*> values = Texts(*data);
  const std::vector<const XmlNode*> captions = Texts(*header);
  ASSERT_EQ(values.size(), static_cast<size_t>(fields.size()));
  ASSERT_EQ(captions.size(), values.size());
  double right = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const XmlNode& v = *values[i];
    const QString field = fields[static_cast<qsizetype>(i)];
    EXPECT_EQ(v.text, QStringLiteral("[RptDataset1.\"%1\"]").arg(field));
    EXPECT_EQ(captions[i]->text, FieldCaption(field));
    EXPECT_EQ(Num(*captions[i], "Left"), Num(v, "Left")) << field.toStdString();
    EXPECT_EQ(Num(*captions[i], "Width"), Num(v, "Width")) << field.toStdString();
    EXPECT_GE(Num(v, "Left"), i == 0 ? 0 : right + 1) << field.toStdString();  // some air between columns
    right = Num(v, "Left") + Num(v, "Width");
    const bool number = field == QLatin1String("Id") || field == QLatin1String("Rok") || field == QLatin1String("Stopaz");
    EXPECT_EQ(v.Attr(QStringLiteral("HAlign")), number ? QStringLiteral("Right") : QString()) << field.toStdString();
    EXPECT_EQ(captions[i]->Attr(QStringLiteral("HAlign")), number ? QStringLiteral("Right") : QString());
    if (number) {
      EXPECT_LE(Num(v, "Width"), 15) << field.toStdString();
    }
  }
  EXPECT_EQ(Num(*values.front(), "Left"), 0);
  EXPECT_NEAR(right, contentWidth, 1e-9);
}

struct Prepared {
  PreparedReport report;
  QString error;
  bool ok = false;
};

Prepared Prepare(const XmlNode& root, MemorySource& films) {
  Prepared p;
  ReportDef def;
  if (!CompileTemplate(root, def, &p.error)) return p;
  p.ok = PrepareReport(def, films, p.report, &p.error);
  return p;
}

// Every item of every page within the margins; every film's title once.
void ExpectInsideAndEveryTitleOnce(const PreparedReport& r, double width, double height, double margin, int films) {
  std::map<QString, int> seen;
  for (size_t page = 0; page < r.pages.size(); ++page) {
    for (const PreparedItem& it : r.pages[page].items) {
      EXPECT_GE(it.x, margin - 1e-3) << "page " << page + 1 << ": " << it.text.toStdString();
      EXPECT_LE(it.x + it.w, width - margin + 1e-3) << "page " << page + 1 << ": " << it.text.toStdString();
      EXPECT_GE(it.y, margin - 1e-3) << "page " << page + 1 << ": " << it.text.toStdString();
      EXPECT_LE(it.y + it.h, height - margin + 1e-3) << "page " << page + 1 << ": " << it.text.toStdString();
      if (it.kind == ItemKind::Text) ++seen[it.text];
    }
  }
  for (int i = 1; i <= films; ++i) EXPECT_EQ(seen[test::FilmTitle(i)], 1) << i;
}

TEST(DesignerWizardTest, GroupedListPreparesToTheComputedPagesWithGroupsInCzechOrderAndTheirCounts) {
  WizardChoice c;
  c.layout = WizardLayout::GroupedList;
  c.fields = QStringList{"Titul", "Rok", "Rezie"};
  c.groupField = QStringLiteral("Zanr");
  c.title = QStringLiteral("Filmy podle žánru");
  const XmlNode root = BuildWizardTemplate(c, NewTemplate(), QStringLiteral("Arial"));
  EXPECT_EQ(root.Attr(QStringLiteral("ReportOptions.Name")), QStringLiteral("Filmy podle žánru"));
  ExpectColumns(root, c.fields, 190);
  const XmlNode* group = BandOf(root, "GroupHeader");
  ASSERT_TRUE(group);
  EXPECT_EQ(group->Attr(QStringLiteral("Condition")), QStringLiteral("[RptDataset1.\"Zanr\"]"));
  EXPECT_EQ(group->Attr(QStringLiteral("SortRows")), QStringLiteral("1"));
  ASSERT_TRUE(BandOf(root, "GroupFooter"));

  // Drama 150 films, Akční 100, Černá komedie 50, the genres mixed in the source.
  MemorySource films = test::Films(300, {"Drama", "Akční", "Drama", "Černá komedie", "Drama", "Akční"});
  const Prepared p = Prepare(root, films);
  ASSERT_TRUE(p.ok) << p.error.toStdString();
  // A4 portrait, 10 mm margins, page footer 8 mm: bands go down to 297 - 10 - 8 = 279 mm.
  // Title 16 and column header 7 leave page 1 starting at 33; later pages start below the
  // column header and the repeated group header at 10 + 7 + 8 = 25. Rows are 5 mm,
  // group headers 8, group footers 7; a group header comes with its first row.
  //   p1: Akční header 33 -> 41, 47 rows (41 + 47*5 = 276)                     47/100
  //   p2: 50 rows (25 + 50*5 = 275)                                              97/100
  //   p3: 3 rows -> 40, footer -> 47; Černá komedie header -> 55, 44 rows -> 275  44/50
  //   p4: 6 rows -> 55, footer -> 62; Drama header -> 70, 41 rows -> 275          41/150
  //   p5, p6: 50 rows each                                                     141/150
  //   p7: 9 rows -> 70, footer -> 77
  EXPECT_EQ(p.report.pages.size(), 7u);
  ExpectInsideAndEveryTitleOnce(p.report, 210, 297, 10, 300);

  QStringList groups, counts;
  for (const PreparedPage& page : p.report.pages)
    for (const PreparedItem& it : page.items) {
      if (it.kind != ItemKind::Text) continue;
      if (it.text.startsWith(QStringLiteral("Počet: "))) counts << it.text;
      if (QStringList{"Drama", "Akční", "Černá komedie"}.contains(it.text)) {
        EXPECT_TRUE(p.report.fonts[it.font].bold) << it.text.toStdString();
        if (groups.isEmpty() || groups.back() != it.text) groups << it.text;
      }
    }
  EXPECT_EQ(groups, (QStringList{"Akční", "Černá komedie", "Drama"}));
  EXPECT_EQ(counts, (QStringList{"Počet: 100", "Počet: 50", "Počet: 150"}));
  // The page number at the right margin.
  const PreparedItem* last = test::FindRun(p.report, 6, QStringLiteral("Strana 7 z 7"));
  ASSERT_TRUE(last);
  // Right-aligned: the run ends at the margin (less the text's air) and is no wider than
  // its text, where a left-aligned run would span the whole box.
  EXPECT_NEAR(last->x + last->w, 200 - 0.5, 0.01);
  EXPECT_LT(last->w, 30);
  EXPECT_TRUE(test::PageTexts(p.report, 0).contains(QStringLiteral("Filmy podle žánru")));
}

TEST(DesignerWizardTest, ListAndCardLayoutsPrepareInsideTheMargins) {
  {
    // Portrait list: page 1 has 279 - 33 = 246 mm for 5 mm rows (49), later pages
    // 279 - 17 = 262 mm (52): 49 + 4*52 = 257 rows on five pages, the rest on a sixth.
    WizardChoice c;
    c.fields = QStringList{"Id", "Titul", "Rok", "Stopaz", "Zanr", "Rezie"};
    const XmlNode root = BuildWizardTemplate(c, NewTemplate(), QStringLiteral("Arial"));
    ExpectColumns(root, c.fields, 190);
    EXPECT_FALSE(BandOf(root, "GroupHeader"));
    MemorySource films = test::Films(300);
    const Prepared p = Prepare(root, films);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.report.pages.size(), 6u);
    ExpectInsideAndEveryTitleOnce(p.report, 210, 297, 10, 300);
    EXPECT_TRUE(test::PageTexts(p.report, 5).contains(QStringLiteral("Strana 6 z 6")));
  }
  {
    // Every field across a landscape page.
    WizardChoice c;
    c.fields = CatalogueFields();
    c.landscape = true;
    const XmlNode root = BuildWizardTemplate(c, NewTemplate(), QStringLiteral("Arial"));
    EXPECT_EQ(root.children.front().Attr(QStringLiteral("Orientation")), QStringLiteral("Landscape"));
    EXPECT_EQ(root.children.front().Attr(QStringLiteral("Width")), QStringLiteral("297"));
    ExpectColumns(root, c.fields, 277);
    MemorySource films = test::Films(40);
    const Prepared p = Prepare(root, films);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    ExpectInsideAndEveryTitleOnce(p.report, 297, 210, 10, 40);
  }
  {
    // Cards of four lines, the cast on two: 2.5 + 3*5 + 9.5 = 27 mm to the frame's end
    // plus 2 is a 29 mm band. Page 1 has 279 - 26 = 253 mm under the title (8 cards a
    // column), later pages 269 mm (9): 16 + 15*18 = 286 cards on 16 pages, 14 on a 17th.
    WizardChoice c;
    c.layout = WizardLayout::Card;
    c.fields = QStringList{"Titul", "Rok", "Rezie", "Obsazeni"};
    c.title = QStringLiteral("Karty filmů");
    const XmlNode root = BuildWizardTemplate(c, NewTemplate(), QStringLiteral("Arial"));
    EXPECT_EQ(root.children.front().Attr(QStringLiteral("Columns")), QStringLiteral("2"));
    const XmlNode* card = BandOf(root, "MasterData");
    ASSERT_TRUE(card);
    EXPECT_EQ(Num(*card, "Height"), 29);
    EXPECT_EQ(card->children.front().name, QStringLiteral("Rectangle"));
    MemorySource films = test::Films(300);
    const Prepared p = Prepare(root, films);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.report.pages.size(), 17u);
    ExpectInsideAndEveryTitleOnce(p.report, 210, 297, 10, 300);
    // Captions and values in pairs, in two columns of cards.
    std::set<float> titleColumns;
    for (const PreparedItem& it : p.report.pages[1].items)
      if (it.kind == ItemKind::Text && it.text.startsWith(QStringLiteral("Film č."))) titleColumns.insert(it.x);
    EXPECT_EQ(titleColumns.size(), 2u);
    const QStringList page2 = test::PageTexts(p.report, 1);
    EXPECT_EQ(page2.count(QStringLiteral("Obsazení:")), 18);
    EXPECT_EQ(page2.count(QStringLiteral("Herec A, Herečka B")), 18);
  }
}

// Puts the engine's interaction back after a test that scripts it.
struct ScriptedAnswers {
  EngineInteraction saved = Interaction();
  std::function<bool(TRptWizard&)> savedRunner = WizardRunner();
  std::vector<QString> asked;
  bool answer = true;
  ScriptedAnswers() {
    Interaction().Ask = [this](const QString& text) {
      asked.push_back(text);
      return answer;
    };
    Interaction().AskCancel = [this](const QString& text) {
      asked.push_back(text);
      return EngineInteraction::Answer::No;
    };
  }
  ~ScriptedAnswers() {
    Interaction() = saved;
    WizardRunner() = savedRunner;
  }
};

template <class T>
T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QLatin1String(name));
  EXPECT_TRUE(c) << name;
  return c;
}

void ClickItem(QListWidget* list, const QString& text, bool twice = false) {
  QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
  ASSERT_TRUE(item) << text.toStdString();
  const QPoint at = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  // The second press of a double click comes as a double click event.
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Typed key by key, letters outside ASCII as the keyboard sends them: as text.
void Type(QWidget* w, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &release);
  }
}

QStringList Items(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// Through the dialog as a user goes: a grouped list of Titul, Rok, Režie by Žánr, titled
// "Filmy podle žánru", landscape.
void DriveToGroupedList(TRptWizard& w) {
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  auto* next = Child<QPushButton>(w, "Tl_Dalsi");
  auto* back = Child<QPushButton>(w, "Tl_Zpet");
  auto* finish = Child<QPushButton>(w, "Tl_Dokoncit");
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Průvodce novou sestavou"));
  EXPECT_EQ(w.Step(), 0);
  EXPECT_FALSE(back->isEnabled());
  EXPECT_FALSE(finish->isEnabled());
  auto* layouts = Child<QListWidget>(w, "Lb_Vzhled");
  EXPECT_EQ(Items(layouts), (QStringList{"Seznam", "Seznam se skupinami", "Karta na film"}));
  ClickItem(layouts, QStringLiteral("Seznam se skupinami"));
  QTest::mouseClick(next, Qt::LeftButton);
  EXPECT_EQ(w.Step(), 1);

  // No field chosen yet: the wizard goes no further.
  EXPECT_FALSE(next->isEnabled());
  auto* available = Child<QListWidget>(w, "Lb_DostupnaPole");
  auto* chosen = Child<QListWidget>(w, "Lb_VybranaPole");
  EXPECT_EQ(Items(available), (QStringList{"Id", "Titul", "Rok", "Stopáž", "Žánr", "Původ", "Režie", "Obsazení", "Komentář",
                                           "Umístění"}));
  // Režie by double click, Rok and Titul by the button, Komentář added and taken back.
  ClickItem(available, QStringLiteral("Režie"), true);
  for (const char* caption : {"Rok", "Titul", "Komentář"}) {
    ClickItem(available, QString::fromUtf8(caption));
    QTest::mouseClick(Child<QPushButton>(w, "Tl_Pridat"), Qt::LeftButton);
  }
  EXPECT_EQ(Items(chosen), (QStringList{"Režie", "Rok", "Titul", "Komentář"}));
  QTest::mouseClick(Child<QPushButton>(w, "Tl_Odebrat"), Qt::LeftButton);
  EXPECT_TRUE(available->findItems(QStringLiteral("Komentář"), Qt::MatchExactly).size() == 1);
  // Titul up to the top, Režie down to the end.
  ClickItem(chosen, QStringLiteral("Titul"));
  QTest::mouseClick(Child<QPushButton>(w, "Tl_Nahoru"), Qt::LeftButton);
  QTest::mouseClick(Child<QPushButton>(w, "Tl_Nahoru"), Qt::LeftButton);
  ClickItem(chosen, QStringLiteral("Režie"));
  QTest::mouseClick(Child<QPushButton>(w, "Tl_Dolu"), Qt::LeftButton);
  EXPECT_EQ(Items(chosen), (QStringList{"Titul", "Rok", "Režie"}));
  auto* group = Child<QComboBox>(w, "Cb_Skupina");
  EXPECT_TRUE(group->isVisible());
  EXPECT_EQ(group->currentText(), QStringLiteral("Žánr"));
  EXPECT_TRUE(next->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);

  EXPECT_EQ(w.Step(), 2);
  auto* title = Child<QLineEdit>(w, "Ed_Nadpis");
  EXPECT_EQ(title->text(), QStringLiteral("Seznam filmů"));
  EXPECT_TRUE(finish->isEnabled());
  title->selectAll();
  QTest::keyClick(title, Qt::Key_Delete);
  EXPECT_FALSE(finish->isEnabled());  // a report needs a title
  Type(title, QStringLiteral("Filmy podle žánru"));
  auto* landscape = Child<QRadioButton>(w, "Rb_NaSirku");
  QTest::mouseClick(landscape, Qt::LeftButton, {}, QPoint(6, landscape->height() / 2));  // on its circle
  EXPECT_TRUE(landscape->isChecked());
  // Back and forth keeps what was chosen.
  QTest::mouseClick(back, Qt::LeftButton);
  EXPECT_EQ(w.Step(), 1);
  EXPECT_EQ(Items(chosen), (QStringList{"Titul", "Rok", "Režie"}));
  QTest::mouseClick(next, Qt::LeftButton);
  EXPECT_EQ(title->text(), QStringLiteral("Filmy podle žánru"));
  QTest::mouseClick(finish, Qt::LeftButton);
}

TEST(DesignerWizardTest, NewReportRunsTheWizardThroughItsButtonsToANewUnsavedTemplate) {
  ScriptedAnswers script;
  MemorySource films = test::Films(30);
  DesignerHost host;
  host.DataSet = &films;
  TRptDesignerWindow designer(host);
  int runs = 0;
  WizardRunner() = [&](TRptWizard& w) {
    ++runs;
    DriveToGroupedList(w);
    return w.result() == QDialog::Accepted;
  };
  designer.findChild<QAction*>(QStringLiteral("Akce_Nova"))->trigger();
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(script.asked.size(), 1u);
  EXPECT_EQ(script.asked[0], QStringLiteral("Chcete novou sestavu založit průvodcem? Odpovědí Ne začnete s prázdnou sestavou."));

  DesignerDoc& doc = designer.Doc();
  EXPECT_TRUE(doc.FileName().isEmpty());
  // Not saved yet: closing now asks first, or the wizard's work would be lost.
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.ReportName(), QStringLiteral("Filmy podle žánru"));
  EXPECT_EQ(designer.windowTitle(), QStringLiteral("Návrhář sestav – Filmy podle žánru *"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Orientation")), QStringLiteral("Landscape"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("297"));
  QStringList types;
  for (int b = 0; b < doc.BandCount(); ++b) types << doc.Band(b).Attr(QStringLiteral("Type"));
  EXPECT_EQ(types, (QStringList{"ReportTitle", "ColumnHeader", "GroupHeader", "MasterData", "GroupFooter", "PageFooter"}));
  ExpectColumns(doc.Root(), QStringList{"Titul", "Rok", "Rezie"}, 277);
  const QByteArray bytes = doc.Bytes();
  EXPECT_TRUE(bytes.contains("Condition=\"[RptDataset1.&quot;Zanr&quot;]\"")) << bytes.constData();
  EXPECT_TRUE(bytes.contains(">Po\xE8" "et: [COUNT]</Text>"));
  EXPECT_TRUE(bytes.contains(">Strana [Page#] z [TotalPages#]</Text>"));
  EXPECT_TRUE(designer.FieldProblem().isEmpty());

  // Cancelled, the wizard leaves the document as it was.
  WizardRunner() = [&](TRptWizard& w) {
    ++runs;
    w.show();
    QTest::mouseClick(Child<QPushButton>(w, "Tl_Storno"), Qt::LeftButton);
    return w.result() == QDialog::Accepted;
  };
  designer.findChild<QAction*>(QStringLiteral("Akce_Nova"))->trigger();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(doc.Bytes(), bytes);
  // Without the wizard, a blank report.
  script.answer = false;
  designer.findChild<QAction*>(QStringLiteral("Akce_Nova"))->trigger();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(doc.BandCount(), 0);
}

}  // namespace
}  // namespace rpt
