#include <gtest/gtest.h>

#include "ReportTestSupport.h"

namespace rpt {
namespace {

using test::ReadBytes;
using test::ShippedTemplatePath;

TEST(Template, ShippedTemplatesReadAndWriteBackByteForByte) {
  for (const char* file : {"SeznamFilmu.ksr", "FilmyPodleZanru.ksr", "KartaFilmu.ksr"}) {
    SCOPED_TRACE(file);
    const QByteArray bytes = ReadBytes(ShippedTemplatePath(QLatin1String(file)));
    ASSERT_FALSE(bytes.isEmpty());
    XmlNode root;
    QString error;
    ASSERT_TRUE(ReadTemplateXml(bytes, root, &error)) << error.toStdString();
    EXPECT_EQ(WriteTemplateXml(root), bytes);
    ReportDef def;
    ASSERT_TRUE(CompileTemplate(root, def, &error)) << error.toStdString();
    EXPECT_EQ(def.author, QStringLiteral("Kalmetra"));
  }
  // The name sits raw in the file, the description lines are joined by CR LF.
  const QByteArray seznam = ReadBytes(ShippedTemplatePath(QStringLiteral("SeznamFilmu.ksr")));
  EXPECT_TRUE(seznam.contains("ReportOptions.Name=\"Seznam film\xF9\""));
  const ReportDef def = test::Compile(seznam);
  EXPECT_EQ(def.name, QStringLiteral("Seznam filmů"));
  EXPECT_EQ(def.description.size(), 2);
}

TEST(Template, UnknownPartsSurviveAndForeignCharactersBecomeReferences) {
  const QByteArray utf8 =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Report ReportOptions.Name=\"Přehled Ω &amp; spol.\" Future=\"ano\">\n"
      "  <Styles><Style Name=\"Nadpis\" Glow=\"2\"/></Styles>\n"
      "  <Page Width=\"210\" Height=\"297\">\n"
      "    <Band Type=\"MasterData\" Name=\"D\" Height=\"5\" Shadow=\"1\">\n"
      "      <Text Name=\"T\" Width=\"50\" Height=\"5\" Blink=\"0\">a &lt; b \"c\"&#13;\n[RptDataset1.\"Titul\"] ☃</Text>\n"
      "    </Band>\n"
      "  </Page>\n"
      "</Report>\n";
  XmlNode root;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(utf8, root, &error)) << error.toStdString();
  const QByteArray written = WriteTemplateXml(root);
  EXPECT_TRUE(written.startsWith("<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"));
  EXPECT_TRUE(written.contains("ReportOptions.Name=\"P\xF8" "ehled &#937; &amp; spol.\" Future=\"ano\""));
  EXPECT_TRUE(written.contains("<Style Name=\"Nadpis\" Glow=\"2\"/>"));
  EXPECT_TRUE(written.contains("Shadow=\"1\""));
  EXPECT_TRUE(written.contains("Blink=\"0\">a &lt; b \"c\"&#13;\n[RptDataset1.\"Titul\"] &#9731;</Text>"));
  // What the program wrote reads back to the same tree and the same bytes.
  XmlNode again;
  ASSERT_TRUE(ReadTemplateXml(written, again, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(again), written);
  EXPECT_EQ(again.Attr(QStringLiteral("ReportOptions.Name")), QStringLiteral("Přehled Ω & spol."));
  EXPECT_EQ(again.children[1].children[0].children[0].text, QStringLiteral("a < b \"c\"\r\n[RptDataset1.\"Titul\"] ☃"));
  ReportDef def;
  EXPECT_TRUE(CompileTemplate(again, def, &error)) << error.toStdString();
}

TEST(Template, NamesThatCannotBeWrittenBackAreRefused) {
  // A name cannot hold a character reference, so a character the code page lacks, or a
  // NUL, would make the saved template unreadable.
  static const char withNul[] =
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<Report><Page Top\x00x=\"1\" Width=\"210\"/></Report>";
  const QByteArray cases[] = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Report><Page Width=\"210\" Height=\"297\"/><Styl\xD1\x84/></Report>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Report Barva\xD1\x84=\"1\"><Page Width=\"210\" Height=\"297\"/></Report>",
      QByteArray(withNul, sizeof withNul - 1),
  };
  for (const QByteArray& xml : cases) {
    SCOPED_TRACE(xml.toStdString());
    XmlNode root;
    QString error;
    EXPECT_FALSE(ReadTemplateXml(xml, root, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Windows-1250"))) << error.toStdString();
  }
  // Czech letters in names are the code page's own and come back as they were.
  const QByteArray czech = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<Report \x8A\xED\xF8ka=\"1\"/>\n";
  XmlNode root;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(czech, root, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(root), czech);
}

TEST(Template, BrokenTemplatesAreRefusedWithTheReason) {
  struct Case {
    const char* xml;
    const char* reasonPart;
  };
  const Case cases[] = {
      {"toto není XML", "XML"},
      {"<?xml version=\"1.0\"?>\n<Report><Page Width=\"210\" Height=\"297\">", "XML"},
      {"<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"Fancy\" Name=\"B1\"/></Page></Report>", "„Fancy“"},
      {"<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\"><Circle Name=\"K1\"/></Band></Page></Report>",
       "<Circle>"},
      {"<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\"><Text Name=\"T9\" Left=\"x\"/></Band></Page></Report>",
       "T9"},
      {"<Report/>", "stránku"},
      {"<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\"><Text Name=\"Obr\" Size=\"1e12\"/></Band></Page></Report>",
       "písma"},
      {"<Report><Page Width=\"1e9\" Height=\"297\"/></Report>", "rozměry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    QString error;
    const ReportDef def = test::Compile(QByteArray(c.xml), &error);
    EXPECT_TRUE(def.pages.empty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reasonPart))) << error.toStdString();
  }
}

TEST(Expression, SegmentsOfAMemo) {
  const Expression e = ParseExpression(
      QStringLiteral("[[x] Strana [Page#] z [TotalPages#] [neco] [RptDataset1.\"Titul\"][SUM([RptDataset1.\"Stopaz\"])]"
                     "[avg(RptDataset1.\"Rok\")][COUNT][Line#] [nezavreno"));
  std::vector<std::pair<SegKind, QString>> got;
  for (const Segment& s : e.segments) got.emplace_back(s.kind, s.kind == SegKind::Literal ? s.text : s.field);
  const std::vector<std::pair<SegKind, QString>> want{
      {SegKind::Literal, QStringLiteral("[x] Strana ")}, {SegKind::Page, {}},
      {SegKind::Literal, QStringLiteral(" z ")},        {SegKind::TotalPages, {}},
      {SegKind::Literal, QStringLiteral(" [neco] ")},   {SegKind::Field, QStringLiteral("Titul")},
      {SegKind::Sum, QStringLiteral("Stopaz")},         {SegKind::Avg, QStringLiteral("Rok")},
      {SegKind::Count, {}},                             {SegKind::Line, {}},
      {SegKind::Literal, QStringLiteral(" [nezavreno")}};
  EXPECT_EQ(got, want);

  double v = 0;
  EXPECT_TRUE(ReadNumber(QStringLiteral(" 125 min"), v));
  EXPECT_EQ(v, 125);
  EXPECT_TRUE(ReadNumber(QStringLiteral("-1,5"), v));
  EXPECT_EQ(v, -1.5);
  EXPECT_FALSE(ReadNumber(QStringLiteral("neznámá"), v));
  EXPECT_FALSE(ReadNumber(QString(), v));
  EXPECT_EQ(FormatNumber(1234), QStringLiteral("1234"));
  EXPECT_EQ(FormatNumber(2.5), QStringLiteral("2,5"));
}

}  // namespace
}  // namespace rpt
