#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <QCheckBox>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include <map>

#include "ReportTestSupport.h"
#include "engine.h"
#include "preview.h"

namespace rpt {
namespace {

// Rows that call back at one row while a report is prepared over them, as the events
// handled during a preparation (progress, a message box) call into the windows.
class CallingSource : public MemorySource {
 public:
  explicit CallingSource(MemorySource rows) : MemorySource(std::move(rows)) {}
  void Next() override {
    MemorySource::Next();
    if (AtRow && Position() == row) AtRow();
  }
  std::function<void()> AtRow;
  size_t row = 0;
};

// Every hit names a text run of the pages that holds the text at that place.
::testing::AssertionResult HitsBelongTo(const std::vector<TextHit>& hits, const PreparedReport& pages, const QString& text) {
  for (const TextHit& h : hits) {
    if (h.page >= pages.pages.size() || h.item >= pages.pages[h.page].items.size())
      return ::testing::AssertionFailure() << "hit on page " << h.page << ", run " << h.item << " of "
                                           << pages.pages.size() << " pages";
    const PreparedItem& it = pages.pages[h.page].items[h.item];
    if (it.kind != ItemKind::Text || it.text.mid(h.start, h.length).compare(text, Qt::CaseInsensitive) != 0)
      return ::testing::AssertionFailure() << "hit on page " << h.page << " names another text";
  }
  return ::testing::AssertionSuccess();
}

// The pages of a PDF file and the size of each in points, from its page objects.
std::vector<QSizeF> PdfPageSizes(const QString& path) {
  const QByteArray pdf = test::ReadBytes(path);
  std::vector<QSizeF> sizes;
  static const QRegularExpression page(QStringLiteral(R"(/Type\s*/Page\b[^>]*?/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
  for (auto m = page.globalMatch(QString::fromLatin1(pdf)); m.hasNext();) {
    const auto hit = m.next();
    sizes.emplace_back(hit.captured(1).toDouble(), hit.captured(2).toDouble());
  }
  return sizes;
}

QString PdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// A wheel turn over the widget, as the mouse sends it (unaccepted, it goes to the parents).
void Wheel(QWidget* w, QPoint at, int steps, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, modifiers, Qt::NoScrollPhase,
                false);
  QApplication::sendEvent(w, &e);
}

// The colour that fills most of the rectangle of the picture: a mark's, under its text.
QRgb MostOf(const QImage& img, const QRect& r) {
  std::map<QRgb, int> counts;
  for (int y = r.top() + 1; y < r.bottom(); ++y)
    for (int x = r.left() + 1; x < r.right(); ++x) ++counts[img.pixel(x, y)];
  if (counts.empty()) return 0;
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Interaction();
    Interaction().ShowError = [this](const QString& text) { errors_ << text; };
    ASSERT_TRUE(report_.LoadFromFile(test::ShippedTemplatePath(QStringLiteral("SeznamFilmu.ksr"))));
    report_.DataSet = &films_;
    report_.IniFile = dir_.filePath(QStringLiteral("Sestavy.ini"));
    ASSERT_TRUE(report_.PrepareReport());
  }
  void TearDown() override {
    Interaction() = saved_;
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join(u'\n').toStdString();
  }

  EngineInteraction saved_;
  QStringList errors_;
  QTemporaryDir dir_;
  MemorySource films_ = test::Films(150);
  TRptReport report_;
};

TEST_F(PreviewTest, KeysTurnPagesZoomAndFind) {
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  const int pages = p.PageCount();
  ASSERT_GE(pages, 4);
  QWidget* view = p.PageView();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_PageDown);
  EXPECT_EQ(p.CurrentPage(), 1);
  EXPECT_EQ(p.PageFieldText(), QStringLiteral("2 / %1").arg(pages));
  QTest::keyClick(view, Qt::Key_End);
  EXPECT_EQ(p.CurrentPage(), pages - 1);
  QTest::keyClick(view, Qt::Key_PageDown);  // stays on the last page
  EXPECT_EQ(p.CurrentPage(), pages - 1);
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(p.CurrentPage(), 0);

  QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(p.Zoom(), 1.5);
  QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(p.Zoom(), 0.75);
  const int narrow = view->width();
  p.SetZoom(ZoomMode::Factor, 4.0);
  EXPECT_GT(view->width(), 5 * narrow);

  // Ctrl+F goes to the find field; Enter finds, F3 goes on (and round), Shift+F3 back.
  QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
  auto* field = p.findChild<QLineEdit*>(QStringLiteral("Ed_Hledat"));
  ASSERT_TRUE(field->hasFocus());
  field->insert(QStringLiteral("ŽLUŤOUČKÝ KŮŇ"));  // upper case: letter case is ignored
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(p.Hits().size(), 150u);
  EXPECT_EQ(p.CurrentHit(), 0);
  QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(p.CurrentHit(), 149);
  EXPECT_EQ(p.CurrentPage(), pages - 1);
  QTest::keyClick(field, Qt::Key_F3);
  EXPECT_EQ(p.CurrentHit(), 0);
  EXPECT_EQ(p.CurrentPage(), 0);
  EXPECT_EQ(p.StatusText(), QStringLiteral("Výskyt 1 z 150"));

  // Whole words: "kůň" is a word, "ků" is not.
  p.findChild<QCheckBox*>(QStringLiteral("ChB_CelaSlova"))->setChecked(true);
  EXPECT_TRUE(p.Find(QStringLiteral("kůň")));
  EXPECT_FALSE(p.Find(QStringLiteral("ků")));
}

// The pages are scrolled through one below another, the page field following the page
// in view; two pages stand side by side in pairs, as many as fit in a row of the window.
TEST_F(PreviewTest, PagesScrollContinuouslyOneTwoOrManySideBySide) {
  {
    TRptPreview p(report_.MakePreviewHost());
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    const int pages = p.PageCount();
    ASSERT_GE(pages, 4);
    auto* area = p.findChild<QScrollArea*>(QStringLiteral("Plocha"));
    auto* field = p.findChild<QLineEdit*>(QStringLiteral("Ed_Strana"));
    QScrollBar* down = area->verticalScrollBar();
    const QRect first = p.PageRect(0), second = p.PageRect(1), third = p.PageRect(2);
    EXPECT_GT(second.top(), first.bottom());
    EXPECT_EQ(second.left(), first.left());
    down->setValue(third.top());
    EXPECT_EQ(field->text(), QStringLiteral("3 / %1").arg(pages));
    EXPECT_EQ(p.CurrentPage(), 2);
    // The wheel scrolls on into the next page.
    for (int i = 0; i < 40 && p.CurrentPage() == 2; ++i) Wheel(area->viewport(), QPoint(100, 100), -3);
    EXPECT_GT(down->value(), third.top());
    EXPECT_EQ(field->text(), QStringLiteral("4 / %1").arg(pages));
    // A page chosen is scrolled to.
    QTest::keyClick(p.PageView(), Qt::Key_Home);
    EXPECT_EQ(down->value(), 0);
    EXPECT_EQ(field->text(), QStringLiteral("1 / %1").arg(pages));

    auto* layout = p.findChild<QComboBox*>(QStringLiteral("Cb_Rozlozeni"));
    layout->setFocus();
    QTest::keyClick(layout, Qt::Key_Down);
    ASSERT_EQ(layout->currentText(), QStringLiteral("Dvě stránky"));
    const QRect left = p.PageRect(0), right = p.PageRect(1), next = p.PageRect(2);
    EXPECT_EQ(right.top(), left.top());
    EXPECT_GT(right.left(), left.right());
    EXPECT_EQ(next.left(), left.left());
    EXPECT_GT(next.top(), left.bottom());
    EXPECT_GE(p.PageView()->width(), right.right());
    down->setValue(next.top());
    EXPECT_EQ(field->text(), QStringLiteral("3 / %1").arg(pages));

    // As many as fit: at a quarter of the size, more than two.
    QTest::keyClick(layout, Qt::Key_Down);
    ASSERT_EQ(layout->currentText(), QStringLiteral("Více stránek"));
    p.SetZoom(ZoomMode::Factor, 0.25);
    EXPECT_EQ(p.PageRect(2).top(), p.PageRect(0).top());
    EXPECT_GT(p.PageRect(2).left(), p.PageRect(1).right());
    EXPECT_LE(p.PageView()->width(), area->viewport()->width());
    p.reject();
  }
  TRptPreview again(report_.MakePreviewHost());
  EXPECT_EQ(again.Columns(), PageColumns::Many);
}

TEST_F(PreviewTest, CtrlWheelZoomsAndTheMouseDragsThePages) {
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  QWidget* view = p.PageView();
  auto* area = p.findChild<QScrollArea*>(QStringLiteral("Plocha"));
  auto* zoom = p.findChild<QComboBox*>(QStringLiteral("Cb_Zvetseni"));
  ASSERT_DOUBLE_EQ(p.Zoom(), 1.0);
  Wheel(view, QPoint(100, 100), 1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(p.Zoom(), 1.5);
  EXPECT_EQ(zoom->currentText(), QStringLiteral("150 %"));
  Wheel(view, QPoint(100, 100), -1, Qt::ControlModifier);
  Wheel(view, QPoint(100, 100), -1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(p.Zoom(), 0.75);
  // Also beside the pages, where the wheel reaches the scroll area.
  Wheel(area->viewport(), QPoint(area->viewport()->width() - 2, 100), 1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(p.Zoom(), 1.0);

  p.SetZoom(ZoomMode::Factor, 2.0);
  QScrollBar* across = area->horizontalScrollBar();
  QScrollBar* down = area->verticalScrollBar();
  ASSERT_GT(across->maximum(), 200);
  across->setValue(200);
  down->setValue(500);
  EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);
  const QPoint from = view->mapFrom(area->viewport(), QPoint(300, 300));
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
  EXPECT_EQ(view->cursor().shape(), Qt::ClosedHandCursor);
  QTest::mouseMove(view, from + QPoint(-120, -150));
  EXPECT_EQ(across->value(), 320);
  EXPECT_EQ(down->value(), 650);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, view->mapFrom(area->viewport(), QPoint(180, 150)));
  EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);
  p.reject();
}

// The print dialog offers the page in view; chosen, only that page is printed. Printing
// from the report list has no page in view.
TEST_F(PreviewTest, PrintingTheCurrentPagePrintsOnlyThePageInView) {
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  const int pages = p.PageCount();
  ASSERT_GE(pages, 4);
  QTest::keyClick(p.PageView(), Qt::Key_PageDown);
  QTest::keyClick(p.PageView(), Qt::Key_PageDown);
  ASSERT_EQ(p.CurrentPage(), 2);

  bool offered = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto* choice = dialog->findChild<QAbstractButton*>(QStringLiteral("printCurrentPage"));
    offered = dialog->testOption(QAbstractPrintDialog::PrintCurrentPage) && choice &&
              choice->text() == QStringLiteral("Aktuální stránka");
    dialog->reject();
  });
  p.Print();
  EXPECT_TRUE(offered);

  const QString path = dir_.filePath(QStringLiteral("strana.pdf"));
  int current = -1;
  Interaction().ChoosePrinter = [&](QPrinter& printer, int count, int inView) {
    EXPECT_EQ(count, pages);
    current = inView;
    printer.setOutputFileName(path);
    printer.setPrintRange(QPrinter::CurrentPage);
    return true;
  };
  p.findChild<QAction*>(QStringLiteral("Akce_Tisk"))->trigger();
  EXPECT_EQ(current, 3);
  EXPECT_EQ(PdfPageSizes(path).size(), 1u);
  const QString text = PdfText(path);
  EXPECT_TRUE(text.contains(QStringLiteral("Strana 3 z %1").arg(pages))) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("Strana 1 z")));
  p.reject();

  current = -1;
  QFile::remove(path);
  EXPECT_FALSE(report_.PrintPrepared());  // no page in view: nothing chosen to print
  EXPECT_EQ(current, 0);
  EXPECT_FALSE(QFile::exists(path));
}

// "zlutoucky" finds "Žluťoučký" when diacritics are left out, and nothing otherwise; the
// current hit is marked in a colour of its own.
TEST_F(PreviewTest, FindWithoutDiacriticsAndTheCurrentHitStandsOut) {
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  auto* field = p.findChild<QLineEdit*>(QStringLiteral("Ed_Hledat"));
  auto* bare = p.findChild<QCheckBox*>(QStringLiteral("ChB_BezDiakritiky"));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->text(), QStringLiteral("Bez diakritiky"));
  QTest::keyClicks(field, QStringLiteral("zlutoucky"));
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_TRUE(p.Hits().empty());
  EXPECT_EQ(p.StatusText(), QStringLiteral("Text „zlutoucky“ nebyl nalezen."));
  QTest::mouseClick(bare, Qt::LeftButton);
  ASSERT_TRUE(bare->isChecked());
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(p.Hits().size(), 150u);
  EXPECT_TRUE(HitsBelongTo(p.Hits(), report_.Prepared(), QStringLiteral("žluťoučký")));
  EXPECT_EQ(p.StatusText(), QStringLiteral("Výskyt 1 z 150"));
  // Letter case is still ignored, and the words are still whole.
  EXPECT_TRUE(p.Find(QStringLiteral("ZLUTOUCKY KUN")));
  EXPECT_EQ(p.Hits().size(), 150u);
  p.findChild<QCheckBox*>(QStringLiteral("ChB_CelaSlova"))->setChecked(true);
  EXPECT_FALSE(p.Find(QStringLiteral("zlutouck")));
  p.findChild<QCheckBox*>(QStringLiteral("ChB_CelaSlova"))->setChecked(false);

  ASSERT_TRUE(p.Find(QStringLiteral("zlutoucky")));
  ASSERT_TRUE(p.Find(QStringLiteral("zlutoucky")));  // the second hit, on the first page
  ASSERT_EQ(p.CurrentHit(), 1);
  ASSERT_EQ(p.Hits()[0].page, 0u);
  ASSERT_EQ(p.Hits()[1].page, 0u);
  const QImage shot = p.PageView()->grab().toImage();
  Renderer renderer(report_.Prepared());
  const double pxPerMm = p.Zoom() * p.PageView()->logicalDpiX() / 25.4;
  const auto onView = [&](const TextHit& h) {
    const QRectF mm = renderer.HitRect(h);
    return QRectF(mm.topLeft() * pxPerMm, mm.size() * pxPerMm).toAlignedRect().translated(p.PageRect(0).topLeft());
  };
  const QRgb current = MostOf(shot, onView(p.Hits()[1]));
  const QRgb other = MostOf(shot, onView(p.Hits()[0]));
  EXPECT_NE(current, other);
  EXPECT_NE(qRgb(255, 255, 255), current);
  EXPECT_NE(qRgb(255, 255, 255), other);
  p.reject();
}

// Every toolbar button shows a picture, with its Czech name as tooltip and for the
// screen readers.
TEST_F(PreviewTest, ToolbarButtonsShowIconsWithCzechNames) {
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  int buttons = 0;
  for (QToolBar* bar : p.findChildren<QToolBar*>()) {
    for (QAction* a : bar->actions()) {
      if (a->isSeparator() || qobject_cast<QToolButton*>(bar->widgetForAction(a)) == nullptr) continue;
      ++buttons;
      auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
      SCOPED_TRACE(a->objectName().toStdString());
      EXPECT_FALSE(button->icon().isNull());
      EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
      EXPECT_TRUE(a->text().contains(QRegularExpression(QStringLiteral("^\\p{Lu}\\p{Ll}+"))));
      EXPECT_TRUE(a->toolTip().startsWith(a->text()));
      EXPECT_EQ(button->accessibleName(), a->text());
    }
  }
  EXPECT_EQ(buttons, 14);
  const auto* zoomIn = p.findChild<QAction*>(QStringLiteral("Akce_Zvetsit"));
  EXPECT_EQ(zoomIn->toolTip(), QStringLiteral("Zvětšit (%1)").arg(QKeySequence(QStringLiteral("Ctrl++")).toString(QKeySequence::NativeText)));
  p.reject();
}

TEST_F(PreviewTest, PageSetupPreparesAgainAndSettingsAreKept) {
  {
    TRptPreview p(report_.MakePreviewHost());
    const int portrait = p.PageCount();
    ASSERT_TRUE(p.ApplyPageSetup(297, 210, 10, 10, 10, 10));
    EXPECT_GT(p.PageCount(), portrait);  // fewer rows fit a landscape page
    EXPECT_FLOAT_EQ(report_.Prepared().pages[0].width, 297);
    EXPECT_EQ(p.PageFieldText(), QStringLiteral("1 / %1").arg(p.PageCount()));
    EXPECT_TRUE(test::FindRun(report_.Prepared(), 0, QStringLiteral("Strana 1 z %1").arg(p.PageCount())));
    p.SetZoom(ZoomMode::PageWidth);
    p.SetThumbnailsVisible(false);
    p.reject();
  }
  QSettings ini(report_.IniFile, QSettings::IniFormat);
  EXPECT_EQ(ini.value(QStringLiteral("Nahled/Zvetseni")).toString(), QStringLiteral("sirka"));
  TRptPreview again(report_.MakePreviewHost());
  EXPECT_EQ(again.Mode(), ZoomMode::PageWidth);
  EXPECT_FALSE(again.ThumbnailsVisible());
}

// A page of no listed paper is offered as "Vlastní" and kept by OK; it used to become A4.
TEST_F(PreviewTest, PageSetupKeepsACustomPageSize) {
  TRptPreview p(report_.MakePreviewHost());
  ASSERT_TRUE(p.ApplyPageSetup(250, 180, 10, 10, 10, 10));
  QString offered;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    offered = dialog->findChild<QComboBox*>()->currentText();
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  p.PageSetup();
  EXPECT_EQ(offered, QStringLiteral("Vlastní (180 × 250 mm)"));
  EXPECT_FLOAT_EQ(report_.Prepared().pages[0].width, 250);
  EXPECT_FLOAT_EQ(report_.Prepared().pages[0].height, 180);
  p.reject();
}

TEST_F(PreviewTest, PageSetupRefusesMarginsThatLeaveNoRoom) {
  TRptPreview p(report_.MakePreviewHost());
  const int pages = p.PageCount();
  EXPECT_FALSE(p.ApplyPageSetup(148, 210, 100, 10, 60, 10));
  EXPECT_EQ(errors_, QStringList{QStringLiteral("Vzhled stránky nelze použít: okraje stránky (vlevo 100, nahoře 10, "
                                                "vpravo 60, dole 10 mm) nenechávají na stránce 148 × 210 mm místo pro "
                                                "obsah.")});
  errors_.clear();
  // The report stays as it was.
  EXPECT_EQ(p.PageCount(), pages);
  EXPECT_FLOAT_EQ(report_.Prepared().pages[0].width, 210);
  EXPECT_EQ(report_.Definition().pages[0].leftMargin, 12);
  p.reject();
}

// Hits found on pages that a new page setup does away with must never be read against
// the new pages: not while they are prepared (events are handled meanwhile), not after.
TEST_F(PreviewTest, FindHitsAreNeverReadAgainstOtherPages) {
  CallingSource rows(test::Films(150));
  report_.DataSet = &rows;
  ASSERT_TRUE(report_.PrepareReport());
  TRptPreview p(report_.MakePreviewHost());
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  const int pages = p.PageCount();
  const QString last = test::FilmTitle(150);
  ASSERT_TRUE(p.Find(last));
  ASSERT_EQ(p.CurrentPage(), pages - 1);

  int calls = 0;
  rows.row = 140;
  rows.AtRow = [&] {
    ++calls;
    ASSERT_TRUE(HitsBelongTo(p.Hits(), report_.Prepared(), last));
    p.PageView()->repaint();
    EXPECT_TRUE(p.Find(last));
    EXPECT_TRUE(HitsBelongTo(p.Hits(), report_.Prepared(), last));
    EXPECT_EQ(p.StatusText(), QStringLiteral("Výskyt 1 z 1"));
  };
  ASSERT_TRUE(p.ApplyPageSetup(297, 420, 10, 10, 10, 10));  // A3 holds more rows a page
  rows.AtRow = nullptr;
  EXPECT_GE(calls, 1);
  ASSERT_LT(p.PageCount(), pages);
  EXPECT_TRUE(HitsBelongTo(p.Hits(), report_.Prepared(), last));
  EXPECT_EQ(p.StatusText(), QString());  // no count of hits on pages that are gone
  p.PageView()->repaint();
  p.SetThumbnailsVisible(true);
  ASSERT_TRUE(p.Find(last));
  EXPECT_TRUE(HitsBelongTo(p.Hits(), report_.Prepared(), last));
  EXPECT_EQ(p.CurrentPage(), p.PageCount() - 1);
  EXPECT_EQ(p.StatusText(), QStringLiteral("Výskyt 1 z 1"));
  p.reject();
}

// The preview's page setup is the preview's: the loaded template, a later preparation
// and a later print keep the template's page.
TEST_F(PreviewTest, PageSetupLeavesTheTemplateAlone) {
  const PageDef loaded = report_.Definition().pages.front();
  int shown = 0;
  Interaction().RunPreview = [&](TRptPreview& p) {
    ++shown;
    EXPECT_TRUE(p.ApplyPageSetup(297, 210, 20, 15, 25, 18));
    EXPECT_FLOAT_EQ(report_.Prepared().pages[0].width, 297);
    p.reject();
  };
  report_.ShowReport();
  ASSERT_EQ(shown, 1);
  const PageDef& now = report_.Definition().pages.front();
  EXPECT_EQ(now.width, loaded.width);
  EXPECT_EQ(now.height, loaded.height);
  EXPECT_EQ(now.landscape, loaded.landscape);
  EXPECT_EQ(now.leftMargin, loaded.leftMargin);
  EXPECT_EQ(now.topMargin, loaded.topMargin);
  EXPECT_EQ(now.rightMargin, loaded.rightMargin);
  EXPECT_EQ(now.bottomMargin, loaded.bottomMargin);
  QSizeF offered;
  Interaction().ChoosePrinter = [&](QPrinter& printer, int) {
    offered = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    return false;
  };
  EXPECT_FALSE(report_.Print());
  EXPECT_NEAR(offered.width(), loaded.width, 0.5);
  EXPECT_NEAR(offered.height(), loaded.height, 0.5);
  EXPECT_FLOAT_EQ(report_.Prepared().pages[0].width, loaded.width);
  EXPECT_FLOAT_EQ(report_.Prepared().pages[0].height, loaded.height);
}

// A page list prints those pages only, and the paper chosen in the print dialog is kept
// (each page scaled to fit it) rather than replaced by the report's page.
TEST_F(PreviewTest, PrintingHonoursThePageListAndTheChosenPaper) {
  MemorySource many = test::Films(400);
  report_.DataSet = &many;
  ASSERT_TRUE(report_.PrepareReport());
  ASSERT_GE(report_.Prepared().pages.size(), 7u);
  struct Case {
    QString ranges;
    bool a5Landscape;
    size_t pages;
    QSizeF points;
  };
  const Case cases[] = {{QStringLiteral("1,5"), false, 2, {595, 842}},
                        {QStringLiteral("2-3,7"), true, 3, {595, 420}},
                        {QString(), false, report_.Prepared().pages.size(), {595, 842}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ranges.toStdString());
    const QString path = dir_.filePath(QStringLiteral("tisk.pdf"));
    QFile::remove(path);
    Interaction().ChoosePrinter = [&](QPrinter& printer, int pageCount) {
      EXPECT_EQ(pageCount, static_cast<int>(report_.Prepared().pages.size()));
      printer.setOutputFileName(path);
      if (!c.ranges.isEmpty()) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(c.ranges));
      }
      if (c.a5Landscape)
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF()));
      return true;
    };
    ASSERT_TRUE(report_.PrintPrepared());
    const std::vector<QSizeF> sizes = PdfPageSizes(path);
    ASSERT_EQ(sizes.size(), c.pages);
    for (const QSizeF& s : sizes) {
      EXPECT_NEAR(s.width(), c.points.width(), 1);
      EXPECT_NEAR(s.height(), c.points.height(), 1);
    }
  }
}

}  // namespace
}  // namespace rpt
