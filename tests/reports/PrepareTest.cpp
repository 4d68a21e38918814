#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QRegularExpression>

#include <cmath>

#include "ReportTestSupport.h"

namespace rpt {
namespace {

using test::CompileShipped;
using test::FilmTitle;
using test::Films;
using test::FindRun;
using test::PageTexts;

PreparedReport Prepare(const ReportDef& def, DataSource& source) {
  PreparedReport out;
  QString error;
  EXPECT_TRUE(PrepareReport(def, source, out, &error)) << error.toStdString();
  return out;
}

TEST(Prepare, FilmListHasEveryTitleOnceAndNumberedPages) {
  const ReportDef def = CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films = Films(100);
  const PreparedReport r = Prepare(def, films);
  const size_t n = r.pages.size();
  ASSERT_GE(n, 2u);
  std::map<QString, int> seen;
  QStringList order;
  for (size_t p = 0; p < n; ++p) {
    SCOPED_TRACE(p);
    const QStringList texts = PageTexts(r, p);
    for (const QString& t : texts)
      if (t.startsWith(QStringLiteral("Film č. "))) {
        ++seen[t];
        order << t;
      }
    // Footer on every page, column header on every page with data.
    EXPECT_TRUE(texts.contains(QStringLiteral("Strana %1 z %2").arg(p + 1).arg(n)));
    EXPECT_EQ(texts.count(QStringLiteral("Stopáž")), 1);
    // Nothing runs into the bottom margin.
    for (const PreparedItem& it : r.pages[p].items) EXPECT_LE(it.y + it.h, 297 - 10 + 0.01);
  }
  EXPECT_EQ(seen.size(), 100u);
  for (const auto& [title, count] : seen) EXPECT_EQ(count, 1) << title.toStdString();
  EXPECT_EQ(order.front(), FilmTitle(1));
  EXPECT_EQ(order.back(), FilmTitle(100));
  EXPECT_TRUE(PageTexts(r, n - 1).contains(QStringLiteral("Celkem filmů: 100")));
  EXPECT_EQ(PageTexts(r, 0).count(QStringLiteral("Seznam filmů")), 1);
  EXPECT_EQ(PageTexts(r, 1).count(QStringLiteral("Seznam filmů")), 0);
}

TEST(Prepare, GroupsBreakOnTheConditionWithCountsAndTotals) {
  const ReportDef def = CompileShipped(QStringLiteral("FilmyPodleZanru.ksr"));
  // 30 films in three genre blocks of 10.
  MemorySource films =
      Films(30, {QStringLiteral("Drama"), QStringLiteral("Komedie"), QStringLiteral("Western")}, true);
  const PreparedReport r = Prepare(def, films);
  QStringList all;
  for (size_t p = 0; p < r.pages.size(); ++p) all << PageTexts(r, p);
  QStringList groups, counts;
  for (const QString& t : all) {
    if (t == QStringLiteral("Drama") || t == QStringLiteral("Komedie") || t == QStringLiteral("Western")) groups << t;
    if (t.startsWith(QStringLiteral("Filmů v žánru"))) counts << t;
  }
  EXPECT_EQ(groups, (QStringList{"Drama", "Komedie", "Western"}));
  EXPECT_EQ(counts, (QStringList{"Filmů v žánru: 10", "Filmů v žánru: 10", "Filmů v žánru: 10"}));
  // Running times of films 1..10 are 81..90; the footer follows the group's last film.
  EXPECT_TRUE(all.contains(QStringLiteral("Stopáž celkem: 855 min")));
  EXPECT_LT(all.indexOf(FilmTitle(10)), all.indexOf(QStringLiteral("Filmů v žánru: 10")));
  EXPECT_LT(all.indexOf(QStringLiteral("Filmů v žánru: 10")), all.indexOf(QStringLiteral("Komedie")));
  long long total = 0;
  for (int i = 1; i <= 30; ++i) total += 80 + i % 60;
  ASSERT_EQ(total, 2865);
  EXPECT_TRUE(all.contains(QStringLiteral("Celková stopáž: 2 865 min")));
  EXPECT_TRUE(all.contains(QStringLiteral("Celkem filmů: 30")));

  // Rows of one genre are brought together, genres in Czech order, films in source order.
  MemorySource mixed = Films(6, {QStringLiteral("Komedie"), QStringLiteral("Činohra"), QStringLiteral("Drama")});
  const PreparedReport m = Prepare(def, mixed);
  QStringList seen;
  for (const QString& t : PageTexts(m, 0))
    if (t.startsWith(QStringLiteral("Film č.")) || t == QStringLiteral("Komedie") || t == QStringLiteral("Činohra") ||
        t == QStringLiteral("Drama") || t.startsWith(QStringLiteral("Filmů v")))
      seen << t;
  EXPECT_EQ(seen, (QStringList{"Činohra", FilmTitle(2), FilmTitle(5), "Filmů v žánru: 2",
                               "Drama", FilmTitle(3), FilmTitle(6), "Filmů v žánru: 2",
                               "Komedie", FilmTitle(1), FilmTitle(4), "Filmů v žánru: 2"}));
  // Without the option a group breaks wherever the value changes.
  ReportDef plain = def;
  for (BandDef& b : plain.pages[0].bands) b.sortRows = false;
  MemorySource again = Films(6, {QStringLiteral("Komedie"), QStringLiteral("Činohra"), QStringLiteral("Drama")});
  EXPECT_EQ(PageTexts(Prepare(plain, again), 0).count(QStringLiteral("Filmů v žánru: 1")), 6);
}

TEST(Prepare, LongTitleWrapsAndStretchesItsBandAndWhatFollowsMoves) {
  const ReportDef def = CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films(QStringLiteral("RptDataset1"), test::FilmFields());
  const QString longTitle = QStringLiteral("Velmi dlouhý název filmu, který se do jednoho řádku sloupce titulu rozhodně nevejde, "
                                           "protože pokračuje ještě dalšími a dalšími slovy až do konce");
  films.AddRow({"1", longTitle, "1999", "100", "Drama", "", "Režisér Jedna", "", "", ""});
  films.AddRow({"2", "Krátký", "2000", "90", "Drama", "", "Režisér Dva", "", "", ""});
  // Few letters, but wide ones: too wide for the column however they are counted.
  const QString wide(34, u'W');
  films.AddRow({"3", wide, "2001", "105", "Drama", "", "Režisér Tři", "", "", ""});
  const PreparedReport r = Prepare(def, films);
  std::vector<const PreparedItem*> titleRuns, lines;
  for (const PreparedItem& it : r.pages[0].items) {
    if (it.kind == ItemKind::Text && longTitle.contains(it.text) && it.text.size() > 3) titleRuns.push_back(&it);
    if (it.kind == ItemKind::Line && it.w > 180 && qRed(it.color) == 0xC8) lines.push_back(&it);
  }
  ASSERT_GE(titleRuns.size(), 3u);
  QStringList words;
  for (const PreparedItem* it : titleRuns) {
    EXPECT_LE(it->w, 72.0);
    words << it->text;
    EXPECT_EQ(it->x, titleRuns[0]->x);
    EXPECT_GT(it->y + 0.001, titleRuns[0]->y);
  }
  EXPECT_EQ(words.join(u' '), longTitle);
  const PreparedItem* year = FindRun(r, 0, QStringLiteral("1999"));
  const PreparedItem* next = FindRun(r, 0, QStringLiteral("Krátký"));
  ASSERT_TRUE(year && next);
  ASSERT_EQ(lines.size(), 3u);
  const PreparedItem* lastRun = titleRuns.back();
  // The rule under the row moved below the wrapped title, and the next row follows it.
  EXPECT_GE(lines[0]->y, lastRun->y + lastRun->h - 0.01);
  EXPECT_GT(lines[0]->y - year->y, 4 * titleRuns[0]->h);
  EXPECT_GT(next->y, lines[0]->y);
  EXPECT_NEAR(next->y - lines[0]->y, 0.6, 0.01);
  int wideRuns = 0;
  for (const PreparedItem& it : r.pages[0].items) wideRuns += it.kind == ItemKind::Text && wide.startsWith(it.text);
  EXPECT_GE(wideRuns, 2);

  // Right-aligned minutes end at the column's inner edge; the centred footer sits on the
  // middle of its box; each run's box is its own text.
  const QFontMetricsF nine(LayoutFont(r.fonts[year->font]));
  for (const QString& minutes : {QStringLiteral("100"), QStringLiteral("90")}) {
    const PreparedItem* run = FindRun(r, 0, minutes);
    ASSERT_TRUE(run);
    EXPECT_NEAR(run->x + run->w, 12 + 85 + 16 - 0.5, 0.001);  // the page margin, then the column
    EXPECT_NEAR(run->w, nine.horizontalAdvance(minutes) * 25.4 / kLayoutDpi, 0.001);
  }
  const QString pages = QStringLiteral("Strana 1 z %1").arg(r.pages.size());
  const PreparedItem* footer = FindRun(r, 0, pages);
  ASSERT_TRUE(footer);
  EXPECT_NEAR(footer->x + footer->w / 2, 12 + 60 + 70 / 2.0, 0.001);
}

TEST(Prepare, BandThatDoesNotFitMovesToTheNextPageAfterTheFooter) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\" TopMargin=\"10\" BottomMargin=\"10\">"
      "<Band Type=\"PageHeader\" Height=\"7\"><Text Name=\"H\" Width=\"50\" Height=\"5\">Hlava</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"100\"><Text Name=\"T\" Width=\"100\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"PageFooter\" Height=\"10\"><Text Name=\"F\" Width=\"50\" Height=\"5\">Pata [Page#]</Text></Band>"
      "<Band Type=\"MasterData\" Name=\"Druhy\" Height=\"1\"/>"
      "</Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  MemorySource films = Films(5);
  const PreparedReport r = Prepare(def, films);
  // 297 - 20 margins - 7 header - 10 footer = 260 mm: two rows a page.
  ASSERT_EQ(r.pages.size(), 3u);
  EXPECT_TRUE(FindRun(r, 0, FilmTitle(2)) && !FindRun(r, 0, FilmTitle(3)));
  const PreparedItem* third = FindRun(r, 1, FilmTitle(3));
  ASSERT_TRUE(third);
  EXPECT_NEAR(third->y, 17, 0.01);
  for (size_t p = 0; p < 3; ++p) {
    const PreparedItem* head = FindRun(r, p, QStringLiteral("Hlava"));
    const PreparedItem* foot = FindRun(r, p, QStringLiteral("Pata %1").arg(p + 1));
    ASSERT_TRUE(head && foot);
    EXPECT_NEAR(head->y, 10, 0.01);
    EXPECT_NEAR(foot->y, 297 - 10 - 10, 0.01);
  }
}

TEST(Prepare, CardsFillTwoColumnsBeforeTheNextPage) {
  const ReportDef def = CompileShipped(QStringLiteral("KartaFilmu.ksr"));
  MemorySource films = Films(10);
  const PreparedReport r = Prepare(def, films);
  ASSERT_EQ(r.pages.size(), 2u);
  const PreparedItem* first = FindRun(r, 0, FilmTitle(1));
  const PreparedItem* fifth = FindRun(r, 0, FilmTitle(5));
  const PreparedItem* ninth = FindRun(r, 1, FilmTitle(9));
  ASSERT_TRUE(first && fifth && ninth);
  EXPECT_NEAR(fifth->x - first->x, 92 + 6, 0.01);
  EXPECT_NEAR(fifth->y, first->y, 0.01);
  EXPECT_NEAR(ninth->y, first->y, 0.01);
  EXPECT_TRUE(FindRun(r, 1, QStringLiteral("Strana 2 z 2")));
}

TEST(Prepare, CurrentRowIsPutBackAndViewsResumed) {
  const ReportDef def = CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films = Films(60);
  films.SetPosition(37);
  Prepare(def, films);
  EXPECT_EQ(films.Position(), 37u);
  EXPECT_EQ(films.SuspendDepth(), 0);

  // Also when an unknown field stops preparation; the reason names the object.
  const ReportDef bad = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\" Height=\"5\">"
      "<Text Name=\"Nazev7\" Width=\"50\" Height=\"5\">[RptDataset1.\"Nazev\"]</Text></Band></Page></Report>");
  PreparedReport out;
  QString error;
  EXPECT_FALSE(PrepareReport(bad, films, out, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Nazev7")) && error.contains(QStringLiteral("„Nazev“"))) << error.toStdString();
  EXPECT_EQ(films.Position(), 37u);
  EXPECT_EQ(films.SuspendDepth(), 0);
}

TEST(Prepare, EmptySourceAndCancelStillGiveWholePages) {
  const ReportDef def = CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource none = Films(0);
  const PreparedReport r = Prepare(def, none);
  ASSERT_EQ(r.pages.size(), 1u);
  EXPECT_TRUE(PageTexts(r, 0).contains(QStringLiteral("Celkem filmů: 0")));
  EXPECT_FALSE(PageTexts(r, 0).contains(QStringLiteral("Titul")));  // no data, no column header

  MemorySource many = Films(400);
  PreparedReport out;
  QString error;
  ASSERT_TRUE(PrepareReport(def, many, out, &error, [](int pages) { return pages < 2; }));
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(out.pages.size(), 2u);
  EXPECT_TRUE(FindRun(out, 1, QStringLiteral("Strana 2 z 2")));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, StretchMovesWhatIsBelowInABandOfAsManyObjectsAsAllowed) {
  // Two stretched texts, a rectangle below the first and one beside it, and hidden texts
  // up to the limit: placing them pair by pair would take minutes for these rows.
  QByteArray xml =
      "<Report><Page Width=\"210\" Height=\"297\" LeftMargin=\"10\" TopMargin=\"10\" RightMargin=\"10\" BottomMargin=\"10\">"
      "<Band Type=\"MasterData\" Name=\"Data1\" Height=\"10\" Stretch=\"1\">"
      "<Text Name=\"Rost\" Left=\"0\" Top=\"0\" Width=\"12\" Height=\"5\" WordWrap=\"1\" Stretch=\"1\">[RptDataset1.\"Koment\"]</Text>"
      "<Text Name=\"Vic\" Left=\"150\" Top=\"8\" Width=\"12\" Height=\"0\" WordWrap=\"1\" Stretch=\"1\">"
      "slovo slovo slovo slovo slovo slovo slovo slovo slovo slovo slovo slovo</Text>"
      "<Rectangle Name=\"Pod\" Left=\"0\" Top=\"5\" Width=\"10\" Height=\"2\"/>"
      "<Rectangle Name=\"Vedle\" Left=\"50\" Top=\"2\" Width=\"10\" Height=\"2\"/>";
  for (int i = 4; i < kMaxObjectsPerBand; ++i)
    xml += "<Text Name=\"H" + QByteArray::number(i) + "\" Top=\"" + QByteArray::number(i % 100) + "\" HideIfEmpty=\"1\"/>";
  xml += "</Band></Page></Report>";
  QString error;
  const ReportDef def = test::Compile(xml, &error);
  ASSERT_EQ(def.pages.size(), 1u) << error.toStdString();
  ASSERT_EQ(def.pages[0].bands[0].objects.size(), static_cast<size_t>(kMaxObjectsPerBand));
  const int rows = 500;
  MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
  for (int i = 0; i < rows; ++i) s.AddRow({"1", "", "", "", "", "", "", "", QStringLiteral("jedna dva tři"), ""});
  const PreparedReport r = Prepare(def, s);

  // First row: the rectangle below the first text starts where its last line ends; the
  // second text moves by the first one's growth, not by its own larger one.
  std::vector<const PreparedItem*> grown, other;
  const PreparedItem *below = nullptr, *beside = nullptr;
  for (const PreparedItem& it : r.pages[0].items) {
    if (it.kind == ItemKind::Text && std::abs(it.x - 10.5f) < 0.01f && grown.size() < 3) grown.push_back(&it);
    if (it.kind == ItemKind::Text && std::abs(it.x - 160.5f) < 0.01f && other.empty()) other.push_back(&it);
    if (it.kind == ItemKind::Rect && std::abs(it.x - 10) < 0.01f && !below) below = &it;
    if (it.kind == ItemKind::Rect && std::abs(it.x - 60) < 0.01f && !beside) beside = &it;
  }
  ASSERT_EQ(grown.size(), 3u);
  ASSERT_TRUE(below && beside && !other.empty());
  EXPECT_EQ(grown[2]->text, QStringLiteral("tři"));
  const double bottom = grown[2]->y + grown[2]->h;
  EXPECT_GT(bottom, 10 + 5 + 1);
  EXPECT_NEAR(below->y, bottom, 0.01);
  EXPECT_NEAR(beside->y, 12, 0.01);
  EXPECT_NEAR(other[0]->y, bottom + 3, 0.01);

  // Every row is there, each rectangle below its own row's text.
  int belowCount = 0;
  for (const PreparedPage& page : r.pages)
    for (const PreparedItem& it : page.items) belowCount += it.kind == ItemKind::Rect && std::abs(it.x - 10) < 0.01f;
  EXPECT_EQ(belowCount, rows);
}

TEST(Prepare, BandsThatCanNeverFitEndWithAMessageNamingThem) {
  auto refused = [](const QByteArray& xml, MemorySource& s) {
    QString error;
    const ReportDef def = test::Compile(xml, &error);
    EXPECT_EQ(def.pages.size(), 1u) << error.toStdString();
    s.SetPosition(1);
    PreparedReport out;
    EXPECT_FALSE(PrepareReport(def, s, out, &error));
    EXPECT_TRUE(out.pages.empty());
    EXPECT_EQ(s.Position(), 1u);
    EXPECT_EQ(s.SuspendDepth(), 0);
    return error;
  };
  MemorySource films = Films(3);
  // Header and footer higher than the page between its margins.
  EXPECT_EQ(refused("<Report><Page Width=\"210\" Height=\"297\">"
                    "<Band Type=\"PageHeader\" Name=\"Hlava\" Height=\"200\"/>"
                    "<Band Type=\"MasterData\" Name=\"Data1\" Height=\"5\"/>"
                    "<Band Type=\"PageFooter\" Name=\"Pata\" Height=\"80\"/></Page></Report>",
                    films),
            QStringLiteral("záhlaví a zápatí stránky (Hlava (200 mm), Pata (80 mm)) zabírají celou výšku stránky mezi "
                           "okraji (277 mm), pro data na ní nezbývá místo"));

  // A header that stretches over the whole page leaves the data no room on any page.
  QByteArray words;
  for (int i = 0; i < 100; ++i) words += "slovo ";
  const QString header = refused("<Report><Page Width=\"210\" Height=\"297\">"
                    "<Band Type=\"PageHeader\" Name=\"Hlava\" Height=\"5\" Stretch=\"1\">"
                    "<Text Name=\"Dlouhy\" Width=\"12\" Height=\"5\" WordWrap=\"1\" Stretch=\"1\">" +
                        words +
                        "</Text></Band>"
                        "<Band Type=\"MasterData\" Name=\"Data1\" Height=\"5\">"
                        "<Text Name=\"T\" Width=\"50\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band></Page></Report>",
                    films);
  EXPECT_TRUE(header.startsWith(QStringLiteral("pás Hlava je vyšší ("))) << header.toStdString();
  EXPECT_TRUE(header.endsWith(QStringLiteral(" mm) než místo na stránce mezi okraji a zápatím (277 mm)"))) << header.toStdString();

  // One row whose text would run over more pages than any report has.
  MemorySource one(QStringLiteral("RptDataset1"), test::FilmFields());
  one.AddRow({"1", "", "", "", "", "", "", "", QString(QStringLiteral("ř\n")).repeated(6000), ""});
  one.AddRow({"2", "", "", "", "", "", "", "", QStringLiteral("konec"), ""});
  EXPECT_EQ(refused("<Report><Page Width=\"210\" Height=\"20\" TopMargin=\"0\" BottomMargin=\"0\">"
                    "<Band Type=\"MasterData\" Name=\"Dlouhy\" Height=\"5\" Stretch=\"1\">"
                    "<Text Name=\"Koment\" Width=\"100\" Height=\"5\" WordWrap=\"1\" Stretch=\"1\">[RptDataset1.\"Koment\"]"
                    "</Text></Band></Page></Report>",
                    one),
            QStringLiteral("pás Dlouhy by zabral více než 1000 stran; zkontrolujte jeho výšku a výšku jeho objektů"));
}

TEST(Prepare, BandTallerThanAPageIsSplitAcrossPages) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\" TopMargin=\"10\" BottomMargin=\"10\">"
      "<Band Type=\"MasterData\" Height=\"6\" Stretch=\"1\">"
      "<Text Name=\"Dlouhy\" Width=\"60\" Height=\"5\" WordWrap=\"1\" Stretch=\"1\" Frame=\"All\" Fill=\"#EEEEEE\">"
      "[RptDataset1.\"Koment\"]</Text></Band>"
      "<Band Type=\"PageFooter\" Height=\"8\"><Text Name=\"F\" Width=\"50\" Height=\"5\">Strana [Page#]</Text></Band>"
      "</Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  QStringList words;
  for (int i = 1; i <= 600; ++i) words << QStringLiteral("slovo%1").arg(i, 3, 10, QChar(u'0'));
  MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
  s.AddRow({"1", "", "", "", "", "", "", "", words.join(u' '), ""});
  s.AddRow({"2", "", "", "", "", "", "", "", QStringLiteral("konec"), ""});
  const PreparedReport r = Prepare(def, s);
  ASSERT_GE(r.pages.size(), 3u);
  QStringList seen;
  double frameHeight = 0;
  for (size_t p = 0; p < r.pages.size(); ++p) {
    EXPECT_TRUE(FindRun(r, p, QStringLiteral("Strana %1").arg(p + 1)));
    for (const PreparedItem& it : r.pages[p].items) {
      if (it.kind == ItemKind::Rect) frameHeight += it.h;
      if (it.text.startsWith(QStringLiteral("Strana"))) continue;
      EXPECT_LE(it.y + it.h, 297 - 10 - 8 + 0.01) << "page " << p;
      EXPECT_GE(it.y, 10 - 0.01);
      if (it.kind == ItemKind::Text) seen << it.text.split(u' ', Qt::SkipEmptyParts);
    }
  }
  EXPECT_EQ(seen.mid(0, 600), words);
  EXPECT_EQ(seen.back(), QStringLiteral("konec"));
  // The frame is cut at each break, none of it lost.
  const PreparedItem* last = FindRun(r, r.pages.size() - 1, QStringLiteral("konec"));
  ASSERT_TRUE(last);
  EXPECT_GT(frameHeight, 2 * (297 - 28) - 1);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, AggregatesLineNumbersAndHiddenEmptyTextsFollowTheirScope) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\">"
      "<Band Type=\"GroupHeader\" Height=\"5\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
      "<Text Name=\"G\" Width=\"80\" Height=\"5\">[RptDataset1.\"Zanr\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"5\">"
      "<Text Name=\"T\" Width=\"80\" Height=\"5\">[Line#]. [RptDataset1.\"Titul\"]</Text>"
      "<Text Name=\"K\" Left=\"90\" Width=\"40\" Height=\"5\" HideIfEmpty=\"1\" Fill=\"#FFFF00\">[RptDataset1.\"Koment\"]</Text>"
      "</Band>"
      "<Band Type=\"GroupFooter\" Height=\"5\"><Text Name=\"GF\" Width=\"150\" Height=\"5\">"
      "[COUNT]|[MIN(RptDataset1.\"Stopaz\")]|[MAX(RptDataset1.\"Stopaz\")]|[AVG(RptDataset1.\"Stopaz\")]</Text></Band>"
      "<Band Type=\"PageFooter\" Height=\"5\"><Text Name=\"PF\" Width=\"80\" Height=\"5\">[SUM(RptDataset1.\"Stopaz\")]</Text></Band>"
      "<Band Type=\"ReportSummary\" Height=\"5\"><Text Name=\"S\" Width=\"80\" Height=\"5\">[COUNT]/[AVG(RptDataset1.\"Stopaz\")]</Text></Band>"
      "</Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
  const char* rows[][4] = {{"A", "Drama", "81", ""},   {"B", "Drama", "82 min", "x"}, {"C", "Drama", "83", ""},
                           {"D", "Komedie", "84", ""}, {"E", "Komedie", "?", ""},     {"F", "Komedie", "87", ""}};
  for (auto& r : rows) s.AddRow({"", r[0], "", r[2], r[1], "", "", "", r[3], ""});
  const PreparedReport out = Prepare(def, s);
  ASSERT_EQ(out.pages.size(), 1u);
  const QStringList texts = PageTexts(out, 0);
  EXPECT_EQ(texts, (QStringList{"Drama", "1. A", "2. B", "x", "3. C", "3|81|83|82", "Komedie", "1. D", "2. E", "3. F",
                                "3|84|87|85,5", "6/83,4", "417"}));
  // Only the one non-empty comment got its fill.
  int fills = 0;
  for (const PreparedItem& it : out.pages[0].items)
    if (it.kind == ItemKind::Rect && it.fill == qRgb(255, 255, 0)) ++fills;
  EXPECT_EQ(fills, 1);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, RepeatedGroupHeadersShowTheirOwnGroupOnce) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"100\" TopMargin=\"10\" BottomMargin=\"10\">"
      "<Band Type=\"GroupHeader\" Height=\"10\" RepeatHeader=\"1\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
      "<Text Name=\"G\" Width=\"80\" Height=\"5\">[RptDataset1.\"Zanr\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"10\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"GroupFooter\" Height=\"10\"><Text Name=\"GF\" Width=\"80\" Height=\"5\">Počet [COUNT]</Text></Band>"
      "</Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
  auto add = [&](const char* genre, int count) {
    for (int i = 1; i <= count; ++i) s.AddRow({"", QString::fromLatin1(genre).toLower() + QString::number(i), "", "", genre, "", "", "", "", ""});
  };
  add("A", 6);  // header, six rows and the footer fill page one exactly
  add("B", 7);  // header and seven rows fill page two, the footer goes on
  add("C", 1);
  const PreparedReport r = Prepare(def, s);
  ASSERT_EQ(r.pages.size(), 3u);
  EXPECT_EQ(PageTexts(r, 0), (QStringList{"A", "a1", "a2", "a3", "a4", "a5", "a6", "Počet 6"}));
  EXPECT_EQ(PageTexts(r, 1), (QStringList{"B", "b1", "b2", "b3", "b4", "b5", "b6", "b7"}));
  EXPECT_EQ(PageTexts(r, 2), (QStringList{"B", "Počet 7", "C", "c1", "Počet 1"}));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, GroupStartingOnANewPageLeavesNoEmptyPage) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\">"
      "<Band Type=\"ReportTitle\" Height=\"10\"><Text Name=\"N\" Width=\"80\" Height=\"5\">Nadpis</Text></Band>"
      "<Band Type=\"GroupHeader\" Height=\"10\" StartNewPage=\"1\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
      "<Text Name=\"G\" Width=\"80\" Height=\"5\">[RptDataset1.\"Zanr\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"10\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "</Page></Report>");
  MemorySource films =
      test::Films(9, {QStringLiteral("Drama"), QStringLiteral("Komedie"), QStringLiteral("Western")}, true);
  const PreparedReport r = Prepare(def, films);
  ASSERT_EQ(r.pages.size(), 3u);
  EXPECT_EQ(PageTexts(r, 0).mid(0, 2), (QStringList{"Nadpis", "Drama"}));
  EXPECT_EQ(PageTexts(r, 1).front(), QStringLiteral("Komedie"));
  EXPECT_EQ(PageTexts(r, 2).front(), QStringLiteral("Western"));
  EXPECT_EQ(PageTexts(r, 2).size(), 4);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, GroupKeptTogetherMovesWholeToTheNextPage) {
  auto make = [](bool keep) {
    return test::Compile(QStringLiteral(
        "<Report><Page Width=\"210\" Height=\"100\" TopMargin=\"10\" BottomMargin=\"10\">"
        "<Band Type=\"GroupHeader\" Height=\"10\" KeepTogether=\"%1\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
        "<Text Name=\"G\" Width=\"80\" Height=\"5\">[RptDataset1.\"Zanr\"]</Text></Band>"
        "<Band Type=\"MasterData\" Height=\"10\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
        "<Band Type=\"GroupFooter\" Height=\"10\"><Text Name=\"GF\" Width=\"80\" Height=\"5\">Počet [COUNT]</Text></Band>"
        "</Page></Report>").arg(keep ? 1 : 0).toUtf8());
  };
  auto films = [] {
    MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
    for (const char* genre : {"A", "B", "C"})
      for (int i = 1; i <= 3; ++i) s.AddRow({"", QString::fromLatin1(genre).toLower() + QString::number(i), "", "", genre, "", "", "", "", ""});
    return s;
  };
  // Each group is 50 mm high, a page holds 80 mm.
  MemorySource loose = films();
  const PreparedReport apart = Prepare(make(false), loose);
  EXPECT_EQ(PageTexts(apart, 1).front(), QStringLiteral("b3"));
  MemorySource kept = films();
  const PreparedReport together = Prepare(make(true), kept);
  ASSERT_EQ(together.pages.size(), 3u);
  for (size_t p = 0; p < 3; ++p) EXPECT_EQ(PageTexts(together, p).size(), 5) << p;
  EXPECT_EQ(PageTexts(together, 1).front(), QStringLiteral("B"));
  EXPECT_EQ(PageTexts(together, 2).back(), QStringLiteral("Počet 3"));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, PageCountTextsAreAlignedWithTheirFinalText) {
  // One row per page: the footer's texts are measured with the real page count.
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"20\" LeftMargin=\"10\" RightMargin=\"10\" TopMargin=\"0\" BottomMargin=\"0\">"
      "<Band Type=\"MasterData\" Height=\"10\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"PageFooter\" Height=\"10\">"
      "<Text Name=\"Vpravo\" Left=\"100\" Width=\"40\" Height=\"5\" HAlign=\"Right\">[TotalPages#]</Text>"
      "<Text Name=\"Stred\" Left=\"0\" Width=\"90\" Height=\"5\" HAlign=\"Center\">Strana [Page#] z [TotalPages#]</Text>"
      "</Band></Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  for (int pages : {1, 13, 250}) {
    SCOPED_TRACE(pages);
    MemorySource films = Films(pages);
    const PreparedReport r = Prepare(def, films);
    ASSERT_EQ(r.pages.size(), static_cast<size_t>(pages));
    for (size_t p : {size_t{0}, r.pages.size() - 1}) {
      const PreparedItem* right = FindRun(r, p, QString::number(pages));
      const PreparedItem* centre = FindRun(r, p, QStringLiteral("Strana %1 z %2").arg(p + 1).arg(pages));
      ASSERT_TRUE(right && centre);
      const QFontMetricsF fm(LayoutFont(r.fonts[right->font]));
      const double mm = 25.4 / kLayoutDpi;
      const double rightWidth = fm.horizontalAdvance(right->text) * mm;
      // The box's inner right edge: left margin, object left and width, less the air.
      const double innerRight = 10 + 100 + 40 - 0.5;
      EXPECT_LE(right->x + rightWidth, innerRight + 0.01);
      EXPECT_GE(right->x + rightWidth, innerRight - 0.1);
      const QFontMetricsF fc(LayoutFont(r.fonts[centre->font]));
      const double centreWidth = fc.horizontalAdvance(centre->text) * mm;
      EXPECT_NEAR(centre->x + centreWidth / 2, 10 + 45, 0.1);
      EXPECT_NEAR(centre->w, centreWidth, 0.01);
    }
  }
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, GroupValuesDifferingOnlyInLetterCaseStayOneGroup) {
  const ReportDef def = CompileShipped(QStringLiteral("FilmyPodleZanru.ksr"));
  MemorySource films = Films(3, {QStringLiteral("Drama"), QStringLiteral("drama"), QStringLiteral("Drama")});
  const QStringList texts = PageTexts(Prepare(def, films), 0);
  EXPECT_EQ(texts.count(QStringLiteral("Filmů v žánru: 3")), 1);
  EXPECT_EQ(texts.filter(QStringLiteral("Filmů v žánru")).size(), 1);
  // Without gathering the rows the same values make one group too.
  ReportDef plain = def;
  for (BandDef& b : plain.pages[0].bands) b.sortRows = false;
  MemorySource again = Films(4, {QStringLiteral("Drama"), QStringLiteral("DRAMA"), QStringLiteral("drama"), QStringLiteral("Komedie")});
  const QStringList loose = PageTexts(Prepare(plain, again), 0);
  EXPECT_EQ(loose.filter(QStringLiteral("Filmů v žánru")), (QStringList{"Filmů v žánru: 3", "Filmů v žánru: 1"}));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, TitleAndPageHeaderShowTheFirstRowOfTheirPage) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"60\" TopMargin=\"0\" BottomMargin=\"0\">"
      "<Band Type=\"ReportTitle\" Height=\"10\"><Text Name=\"N\" Width=\"150\" Height=\"5\">N [RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"PageHeader\" Height=\"10\"><Text Name=\"H\" Width=\"150\" Height=\"5\">H [RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"10\"><Text Name=\"T\" Width=\"150\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "</Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  // Page one holds the title, the header and rows 1 to 4; page two the header and rows 5 to 9.
  MemorySource films = Films(9);
  const PreparedReport r = Prepare(def, films);
  ASSERT_EQ(r.pages.size(), 2u);
  EXPECT_EQ(PageTexts(r, 0).mid(0, 3), (QStringList{"N " + FilmTitle(1), "H " + FilmTitle(1), FilmTitle(1)}));
  EXPECT_EQ(PageTexts(r, 1).mid(0, 2), (QStringList{"H " + FilmTitle(5), FilmTitle(5)}));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, SummaryOfAMultiColumnReportStartsBelowTheLowestColumn) {
  auto make = [](int summaryHeight) {
    return test::Compile(QStringLiteral(
        "<Report><Page Width=\"210\" Height=\"100\" TopMargin=\"10\" BottomMargin=\"10\" Columns=\"2\" ColumnGap=\"10\">"
        "<Band Type=\"MasterData\" Height=\"30\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
        "<Band Type=\"ReportSummary\" Height=\"%1\"><Text Name=\"S\" Width=\"80\" Height=\"5\">Celkem [COUNT]</Text></Band>"
        "</Page></Report>").arg(summaryHeight).toUtf8());
  };
  // Two rows fill column 1 down to 70 mm, the third starts column 2 at the top.
  MemorySource films = Films(3);
  const PreparedReport r = Prepare(make(15), films);
  ASSERT_EQ(r.pages.size(), 1u);
  const PreparedItem* summary = FindRun(r, 0, QStringLiteral("Celkem 3"));
  ASSERT_TRUE(summary);
  EXPECT_NEAR(summary->y, 70, 0.01);
  // No room below the columns: the summary goes to the next page.
  MemorySource again = Films(3);
  const PreparedReport next = Prepare(make(25), again);
  ASSERT_EQ(next.pages.size(), 2u);
  ASSERT_TRUE(FindRun(next, 1, QStringLiteral("Celkem 3")));
  EXPECT_NEAR(FindRun(next, 1, QStringLiteral("Celkem 3"))->y, 10, 0.01);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, NumbersAreReadAndPrintedTheCzechWay) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\">"
      "<Band Type=\"MasterData\" Height=\"5\"/>"
      "<Band Type=\"ReportSummary\" Height=\"5\"><Text Name=\"S\" Width=\"150\" Height=\"5\">"
      "[SUM(RptDataset1.\"Stopaz\")]|[MIN(RptDataset1.\"Stopaz\")]|[MAX(RptDataset1.\"Stopaz\")]|"
      "[AVG(RptDataset1.\"Stopaz\")]</Text></Band></Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  auto summary = [&](const QStringList& values) {
    MemorySource s(QStringLiteral("RptDataset1"), test::FilmFields());
    for (const QString& v : values) s.AddRow({"", "", "", v, "", "", "", "", "", ""});
    return PageTexts(Prepare(def, s), 0).join(u'/');
  };
  // Thousands set apart by a space, a no-break space or a narrow one; a group of two or
  // four digits is no group.
  EXPECT_EQ(summary({QStringLiteral("1 234"), QString::fromUtf8("1\u00a0000 min"), QStringLiteral("12,5"),
                     QString::fromUtf8("1\u202f000\u202f000"), QStringLiteral("3 4567")}),
            QStringLiteral("1 002 249,5|3|1 000 000|200 449,9"));
  // Nothing rounds to "-0".
  EXPECT_EQ(summary({QStringLiteral("-0,001"), QStringLiteral("-0,002")}), QStringLiteral("0|0|0|0"));
  EXPECT_EQ(summary({QStringLiteral("-1234567,25")}), QStringLiteral("-1 234 567,25|-1 234 567,25|-1 234 567,25|-1 234 567,25"));
  double v = 0;
  EXPECT_TRUE(ReadNumber(QStringLiteral("0,05"), v));
  EXPECT_EQ(v, 0.05);
  EXPECT_TRUE(ReadNumber(QStringLiteral("12345678901234567890,5"), v));
  EXPECT_EQ(v, 12345678901234567890.5);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, KeywordsIgnoreLetterCaseAndMistypedFieldsAreReported) {
  auto compile = [](const QString& memo) {
    return test::Compile(QStringLiteral("<Report><Page Width=\"210\" Height=\"297\">"
                                        "<Band Type=\"MasterData\" Name=\"Data1\" Height=\"5\">"
                                        "<Text Name=\"Popis\" Width=\"150\" Height=\"5\">%1</Text></Band></Page></Report>")
                             .arg(memo)
                             .toUtf8());
  };
  const ReportDef keywords = compile(QStringLiteral("[page#] z [TOTALPAGES#], [date] [TIME], [line#]. [rptdataset1.&quot;Titul&quot;] [count]"));
  ASSERT_EQ(keywords.pages.size(), 1u);
  MemorySource one = Films(1);
  const QStringList texts = PageTexts(Prepare(keywords, one), 0);
  ASSERT_EQ(texts.size(), 1);
  static const QRegularExpression shape(QStringLiteral("^1 z 1, \\d{1,2}\\. \\d{1,2}\\. \\d{4} \\d{1,2}:\\d\\d, 1\\. (.*) 1$"));
  const auto m = shape.match(texts[0]);
  EXPECT_TRUE(m.hasMatch()) << texts[0].toStdString();
  EXPECT_EQ(m.captured(1), FilmTitle(1));

  // A reference to the data set that is no field reference is an error naming the object.
  for (const char* memo : {"[RptDataset1.&quot;Titl&quot;]", "[RptDataset1.Titl]", "[RptDataset1.&quot;Titul]",
                           "[RptDataset1.Stopáž]", "[RptDataset1.]", "[rptdataset1 . Titul x]"}) {
    SCOPED_TRACE(memo);
    const ReportDef def = compile(QString::fromUtf8(memo));
    ASSERT_EQ(def.pages.size(), 1u);
    MemorySource films = Films(2);
    PreparedReport out;
    QString error;
    EXPECT_FALSE(PrepareReport(def, films, out, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("objekt Popis: "))) << error.toStdString();
  }
  // Brackets that do not name the data set are still plain text.
  const ReportDef plain = compile(QStringLiteral("[Pozn. autora] [[RptDataset1.Titul] [SUM(x.)]"));
  MemorySource films = Films(1);
  EXPECT_EQ(PageTexts(Prepare(plain, films), 0), (QStringList{"[Pozn. autora] [RptDataset1.Titul] [SUM(x.)]"}));
  MemorySource again = Films(1);
  PreparedReport out;
  QString error;
  EXPECT_FALSE(PrepareReport(compile(QString::fromUtf8("Stopáž: [SUM(RptDataset1.Stopáž)]")), again, out, &error));
  EXPECT_EQ(error, QString::fromUtf8("objekt Popis: chybně zapsaný odkaz na pole ve výrazu [SUM(RptDataset1.Stopáž)]; "
                                     "pole se zapisuje jako [RptDataset1.\"Název pole\"]"));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Prepare, ImagePlacementsPastSixtyFiveThousandKeepTheirPicture) {
  ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\" Height=\"1\"/></Page></Report>");
  ASSERT_EQ(def.pages.size(), 1u);
  auto picture = [](QRgb colour) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(colour);
    return image;
  };
  BandDef& band = def.pages[0].bands[0];
  // Red, then blue twice: three placements a row, so a wrapped index lands on the other picture.
  double left = 0;
  for (QRgb colour : {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 0, 255)}) {
    ObjDef o;
    o.kind = ObjKind::Image;
    o.left = left;
    left += 10;
    o.width = 1;
    o.height = 1;
    o.image = picture(colour);
    band.objects.push_back(o);
  }
  // More placements than a 16-bit index holds.
  MemorySource rows(QStringLiteral("RptDataset1"), {QStringLiteral("Id")});
  for (int i = 0; i < 22000; ++i) rows.AddRow({QString()});
  const PreparedReport r = Prepare(def, rows);
  size_t placements = 0;
  const PreparedItem* last = nullptr;
  for (const PreparedPage& p : r.pages)
    for (const PreparedItem& it : p.items)
      if (it.kind == ItemKind::Image) {
        ++placements;
        last = &it;
        ASSERT_LT(it.image, r.images.size());
        EXPECT_EQ(r.images[it.image].pixel(0, 0), it.x < 15 ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << placements;
        if (::testing::Test::HasFailure()) return;
      }
  EXPECT_EQ(placements, 66000u);
  ASSERT_TRUE(last);
  EXPECT_EQ(r.images[last->image].pixel(0, 0), qRgb(0, 0, 255));
  // Each object's picture is held once, however often it is placed.
  EXPECT_EQ(r.images.size(), 3u);
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

// Every item of every page lies between the page's margins.
void ExpectInsideMargins(const PreparedReport& r, double top, double bottom) {
  for (size_t p = 0; p < r.pages.size(); ++p)
    for (const PreparedItem& it : r.pages[p].items) {
      EXPECT_GE(it.y, top - 0.01) << "page " << p << " " << it.text.toStdString();
      EXPECT_LE(it.y + it.h, r.pages[p].height - bottom + 0.01) << "page " << p << " " << it.text.toStdString();
    }
}

TEST(Prepare, TitleHeaderAndFooterBandsNeverRunOffThePage) {
  QStringList words;
  for (int i = 1; i <= 600; ++i) words << QStringLiteral("slovo%1").arg(i, 3, 10, QChar(u'0'));
  auto stretched = [&](const char* type, const char* name, int height) {
    return QStringLiteral("<Band Type=\"%1\" Name=\"%2\" Height=\"%3\" Stretch=\"1\">"
                          "<Text Name=\"Dlouhy\" Width=\"60\" Height=\"5\" WordWrap=\"1\" Stretch=\"1\">%4</Text></Band>")
        .arg(QLatin1String(type), QLatin1String(name)).arg(height).arg(words.join(u' '));
  };
  const QString page = QStringLiteral("<Report><Page Width=\"210\" Height=\"297\" TopMargin=\"10\" BottomMargin=\"10\">");
  const QString data = QStringLiteral(
      "<Band Type=\"MasterData\" Name=\"Data1\" Height=\"6\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>");
  const QString footer = QStringLiteral(
      "<Band Type=\"PageFooter\" Name=\"Pata\" Height=\"8\"><Text Name=\"F\" Width=\"50\" Height=\"5\">Strana [Page#]</Text></Band>");

  // A title longer than a page goes on over the following pages, every word kept in order.
  {
    const ReportDef def = test::Compile((page + stretched("ReportTitle", "Nadpis", 5) + data + footer +
                                         QStringLiteral("</Page></Report>")).toUtf8());
    MemorySource films = Films(5);
    const PreparedReport r = Prepare(def, films);
    ASSERT_GE(r.pages.size(), 3u);
    ExpectInsideMargins(r, 10, 10);
    QStringList seen;
    for (size_t p = 0; p < r.pages.size(); ++p) {
      EXPECT_TRUE(FindRun(r, p, QStringLiteral("Strana %1").arg(p + 1))) << p;
      for (const PreparedItem& it : r.pages[p].items)
        if (it.kind == ItemKind::Text && it.text.startsWith(QStringLiteral("slovo"))) {
          EXPECT_LE(it.y + it.h, 297 - 10 - 8 + 0.01) << p;
          seen << it.text.split(u' ', Qt::SkipEmptyParts);
        }
    }
    EXPECT_EQ(seen, words);
    EXPECT_TRUE(FindRun(r, r.pages.size() - 1, FilmTitle(5)));
  }
  // A footer keeps the height the page reserved for it: what would grow past it is cut.
  {
    const ReportDef def = test::Compile((page + data + stretched("PageFooter", "Pata", 8) +
                                         QStringLiteral("</Page></Report>")).toUtf8());
    MemorySource films = Films(80);
    const PreparedReport r = Prepare(def, films);
    ASSERT_GE(r.pages.size(), 2u);
    ExpectInsideMargins(r, 10, 10);
    for (size_t p = 0; p < r.pages.size(); ++p)
      for (const PreparedItem& it : r.pages[p].items) {
        if (it.text.startsWith(QStringLiteral("slovo"))) EXPECT_GE(it.y, 297 - 10 - 8 - 0.01) << p;
        else EXPECT_LE(it.y + it.h, 297 - 10 - 8 + 0.01) << p;
      }
  }
  // A column header that grows past an empty page cannot be placed: a message names it.
  {
    const ReportDef def = test::Compile((page + stretched("ColumnHeader", "Sloupce", 5) + data +
                                         QStringLiteral("</Page></Report>")).toUtf8());
    MemorySource films = Films(3);
    PreparedReport out;
    QString error;
    EXPECT_FALSE(PrepareReport(def, films, out, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Sloupce"))) << error.toStdString();
  }
}

TEST(Prepare, AGroupHeaderStaysWithItsFirstRowAndFootersCloseTheInnermostGroupFirst) {
  // Two groups, one footer: the footer right after the data band closes the inner group.
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\">"
      "<Band Type=\"GroupHeader\" Height=\"6\" Condition=\"[RptDataset1.&quot;Puvod&quot;]\">"
      "<Text Name=\"P\" Width=\"80\" Height=\"5\">Země [RptDataset1.\"Puvod\"]</Text></Band>"
      "<Band Type=\"GroupHeader\" Height=\"6\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
      "<Text Name=\"Z\" Width=\"80\" Height=\"5\">Žánr [RptDataset1.\"Zanr\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"6\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "<Band Type=\"GroupFooter\" Height=\"6\"><Text Name=\"F\" Width=\"80\" Height=\"5\">Konec [RptDataset1.\"Zanr\"]</Text></Band>"
      "</Page></Report>");
  MemorySource films = Films(4, {QStringLiteral("Drama"), QStringLiteral("Komedie")}, true);
  const PreparedReport r = Prepare(def, films);
  EXPECT_EQ(PageTexts(r, 0), (QStringList{"Země Česko", "Žánr Drama", FilmTitle(1), FilmTitle(2), "Konec Drama",
                                          "Žánr Komedie", FilmTitle(3), FilmTitle(4), "Konec Komedie"}));

  // A header that fits at the foot of a page whose first row does not moves on with the row.
  const ReportDef tall = test::Compile(
      "<Report><Page Width=\"210\" Height=\"100\" TopMargin=\"10\" BottomMargin=\"10\">"
      "<Band Type=\"GroupHeader\" Height=\"10\" RepeatHeader=\"1\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\">"
      "<Text Name=\"Z\" Width=\"80\" Height=\"5\">Žánr [RptDataset1.\"Zanr\"]</Text></Band>"
      "<Band Type=\"MasterData\" Height=\"20\"><Text Name=\"T\" Width=\"80\" Height=\"5\">[RptDataset1.\"Titul\"]</Text></Band>"
      "</Page></Report>");
  // Drama: header and three rows reach 80 mm; Komedie's header would end at 90, its row at 110.
  MemorySource two = Films(6, {QStringLiteral("Drama"), QStringLiteral("Komedie")}, true);
  const PreparedReport t = Prepare(tall, two);
  ASSERT_EQ(t.pages.size(), 2u);
  EXPECT_EQ(PageTexts(t, 0).count(QStringLiteral("Žánr Komedie")), 0);
  EXPECT_EQ(PageTexts(t, 1).mid(0, 2), (QStringList{"Žánr Komedie", FilmTitle(4)}));
  EXPECT_EQ(PageTexts(t, 1).count(QStringLiteral("Žánr Komedie")), 1);
}

}  // namespace
}  // namespace rpt
