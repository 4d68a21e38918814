#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ReportTestSupport.h"
#include "render.h"

namespace rpt {
namespace {

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(Pdf, TextReadsBackInOrderAndTheMetadataIsComplete) {
  const ReportDef def = test::CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films = test::Films(100);
  PreparedReport r;
  QString error;
  ASSERT_TRUE(PrepareReport(def, films, r, &error)) << error.toStdString();
  QTemporaryDir dir;
  const QString path = qEnvironmentVariable("KEEP_PDF", dir.filePath(QStringLiteral("seznam.pdf")));
  ASSERT_TRUE(ExportPdf(r, path, PdfInfo{r.name, QStringLiteral("Jan Novák")}, &error)) << error.toStdString();

  const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  qsizetype at = -1;
  for (int i = 1; i <= 100; ++i) {
    const qsizetype next = text.indexOf(test::FilmTitle(i));
    ASSERT_GT(next, at) << "title " << i;
    at = next;
  }
  EXPECT_TRUE(text.contains(QStringLiteral("Strana 1 z %1").arg(r.pages.size())));
  EXPECT_TRUE(text.contains(QStringLiteral("Celkem filmů: 100"))) << text.right(400).toStdString();

  const QString info = RunTool(QStringLiteral("pdfinfo"), {path});
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Seznam filmů\\n")))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Author:\\s+Jan Novák\\n")))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+Kalmetra\\n")))) << info.toStdString();
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(r.pages.size()))));
  EXPECT_TRUE(info.contains(QStringLiteral("pts (A4)"))) << info.toStdString();
}

TEST(Pdf, AFailedExportLeavesTheOlderFile) {
  const ReportDef def = test::CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films = test::Films(200);
  PreparedReport r;
  QString error;
  ASSERT_TRUE(PrepareReport(def, films, r, &error));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("stary.pdf"));
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("starý obsah");
  }
  EXPECT_FALSE(ExportPdf(r, path, PdfInfo{}, &error, [](int page) { return page < 2; }));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(test::ReadBytes(path), QByteArray("starý obsah"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("stary.pdf")});
  EXPECT_FALSE(ExportPdf(r, dir.filePath(QStringLiteral("chybi/x.pdf")), PdfInfo{}, &error));
}

TEST(Render, PagePaintsInkInsideTheMarginsAndMarksHits) {
  const ReportDef def = test::CompileShipped(QStringLiteral("SeznamFilmu.ksr"));
  MemorySource films = test::Films(10);
  PreparedReport r;
  QString error;
  ASSERT_TRUE(PrepareReport(def, films, r, &error));
  auto paint = [&](const std::vector<TextHit>& hits) {
    QImage img(210 * 4, 297 * 4, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    Renderer(r).Paint(p, 0, 4.0, hits);
    return img;
  };
  const QImage plain = paint({});
  // Ink on the title line, none in the left margin.
  int inkTitle = 0, inkMargin = 0;
  for (int y = 40; y < 80; ++y)
    for (int x = 0; x < 840; ++x)
      if (plain.pixel(x, y) != qRgb(255, 255, 255)) (x < 40 ? inkMargin : inkTitle)++;
  EXPECT_GT(inkTitle, 200);
  EXPECT_EQ(inkMargin, 0);
  // A hit on the fifth title is painted in the marker colour at its place.
  size_t item = 0;
  for (; item < r.pages[0].items.size(); ++item)
    if (r.pages[0].items[item].text == test::FilmTitle(5)) break;
  ASSERT_LT(item, r.pages[0].items.size());
  const TextHit hit{0, item, 8, 3};
  const QImage marked = paint({hit});
  const QRectF box = Renderer(r).HitRect(hit);
  const QPoint centre(static_cast<int>(box.center().x() * 4), static_cast<int>((box.top() + 0.3) * 4));
  EXPECT_EQ(plain.pixel(centre), qRgb(255, 255, 255));
  EXPECT_EQ(marked.pixel(centre), qRgb(255, 230, 0));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(Render, TurnedTextRunsAlongTheObjectsHeight) {
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"100\" Height=\"100\" LeftMargin=\"0\" TopMargin=\"0\" RightMargin=\"0\" BottomMargin=\"0\">"
      "<Band Type=\"ReportTitle\" Height=\"80\">"
      "<Text Name=\"Nahoru\" Left=\"10\" Top=\"10\" Width=\"10\" Height=\"60\" Size=\"14\" Rotation=\"90\">Otočený text</Text>"
      "<Text Name=\"Dolu\" Left=\"60\" Top=\"10\" Width=\"10\" Height=\"60\" Size=\"14\" Rotation=\"270\">Otočený text</Text>"
      "</Band></Page></Report>");
  MemorySource none = test::Films(0);
  PreparedReport r;
  QString error;
  ASSERT_TRUE(PrepareReport(def, none, r, &error)) << error.toStdString();
  std::vector<const PreparedItem*> runs;
  for (const PreparedItem& it : r.pages[0].items)
    if (it.kind == ItemKind::Text) runs.push_back(&it);
  ASSERT_EQ(runs.size(), 2u);
  for (const PreparedItem* it : runs) {
    EXPECT_NE(it->turn, 0);
    EXPECT_GT(it->h, 5 * it->w);  // tall and narrow
    EXPECT_NEAR(it->y, 10.5, 0.01);
  }
  EXPECT_GE(runs[0]->x, 10 - 0.01);
  EXPECT_LE(runs[1]->x + runs[1]->w, 70 + 0.01);
  // The ink stays inside each object's box and runs up and down, not across.
  QImage img(400, 400, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    Renderer(r).Paint(p, 0, 4.0);
  }
  auto inkBox = [&](int x0, int x1) {
    QRect box;
    for (int y = 0; y < 400; ++y)
      for (int x = x0; x < x1; ++x)
        if (img.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    return box;
  };
  for (int left : {10, 60}) {
    const QRect ink = inkBox(0 + (left == 60 ? 200 : 0), left == 60 ? 400 : 200);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(left * 4, 40, 40, 240).contains(ink)) << left;
    EXPECT_GT(ink.height(), 3 * ink.width()) << left;
  }
}

}  // namespace
}  // namespace rpt
