#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "designer_doc.h"
#include "engine.h"
#include "interaction.h"

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

TEST(Template, CommentsAndMixedTextSurviveLoadAndSaveInPlace) {
  // In the writer's own form, so every byte must come back.
  const QString text = QString::fromUtf8(
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
      "<!-- Šablona: seznam -->\n"
      "<Report ReportOptions.Name=\"N\">\n"
      "  <!-- stránka A4 -->\n"
      "  <Page Width=\"210\" Height=\"297\">\n"
      "    <!-- před prvním pásem -->\n"
      "    <Band Type=\"MasterData\" Name=\"D\" Height=\"5\">\n"
      "      <Text Name=\"T\" Width=\"50\" Height=\"5\">[RptDataset1.\"Titul\"]<!-- název filmu --> (film)</Text>\n"
      "      <!-- mezi objekty -->\n"
      "      <Line Name=\"L\" Width=\"10\"><!-- čára --></Line>\n"
      "    </Band>\n"
      "  </Page>\n"
      "  <Notes>před <b>tučně</b> za &amp; <!-- x --> konec</Notes>\n"
      "  <Mixed>\n    text na řádku\n    <Item/>\n  </Mixed>\n"
      "</Report>\n"
      "<!-- konec -->\n");
  const std::string ansi = orvek3::Utf16ToAnsi(text.toStdU16String());
  const QByteArray bytes(ansi.data(), static_cast<qsizetype>(ansi.size()));
  XmlNode root;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(bytes, root, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(root).toStdString(), bytes.toStdString());
  XmlNode again;
  ASSERT_TRUE(ReadTemplateXml(WriteTemplateXml(root), again, &error)) << error.toStdString();
  EXPECT_TRUE(DesignerDoc::SameTree(root, again));
  EXPECT_EQ(WriteTemplateXml(again).toStdString(), bytes.toStdString());

  // What looks for elements sees the same as without them.
  ReportDef def;
  ASSERT_TRUE(CompileTemplate(root, def, &error)) << error.toStdString();
  ASSERT_EQ(def.pages.size(), 1u);
  ASSERT_EQ(def.pages[0].bands.size(), 1u);
  ASSERT_EQ(def.pages[0].bands[0].objects.size(), 2u);
  EXPECT_EQ(def.pages[0].bands[0].objects[0].text.segments.size(), 2u);
  EXPECT_EQ(root.children.at(0).children.at(0).children.at(0).text, QStringLiteral("[RptDataset1.\"Titul\"] (film)"));

  // The designer shows the two objects only, and its save keeps the rest in place.
  DesignerDoc doc;
  ASSERT_TRUE(doc.Load(bytes, &error)) << error.toStdString();
  ASSERT_EQ(doc.BandCount(), 1);
  EXPECT_EQ(doc.Band(0).children.size(), 2u);
  doc.Select({{0, 1}});
  doc.MoveSelection(5, 0);
  QByteArray moved = bytes;
  moved.replace("<Line Name=\"L\" Width=\"10\">", "<Line Name=\"L\" Width=\"10\" Left=\"5\" Top=\"0\" Height=\"0\">");
  EXPECT_EQ(doc.Bytes().toStdString(), moved.toStdString());

  // Written in another form, each comment and text still stands where it stood.
  const QByteArray compact =
      "<Report><!--a--><Page Width=\"210\" Height=\"297\"><!--b--><Band Type=\"MasterData\" Height=\"5\">"
      "<Text Name=\"T\">x<!--c-->y</Text></Band></Page><Notes>1<b/>2</Notes></Report>";
  ASSERT_TRUE(ReadTemplateXml(compact, root, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(root).toStdString(),
            "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
            "<Report>\n"
            "  <!--a-->\n"
            "  <Page Width=\"210\" Height=\"297\">\n"
            "    <!--b-->\n"
            "    <Band Type=\"MasterData\" Height=\"5\">\n"
            "      <Text Name=\"T\">x<!--c-->y</Text>\n"
            "    </Band>\n"
            "  </Page>\n"
            "  <Notes>1<b/>2</Notes>\n"
            "</Report>\n");

  // A comment cannot hold a reference: a character the code page lacks stays readable.
  ASSERT_TRUE(ReadTemplateXml("<Report><!-- sněhulák ☃ --><Page/></Report>", root, &error)) << error.toStdString();
  const QByteArray written = WriteTemplateXml(root);
  EXPECT_TRUE(written.contains("<!-- sn\xEChul\xE1k &#9731; -->")) << written.toStdString();
  ASSERT_TRUE(ReadTemplateXml(written, again, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(again), written);
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
  // A control character, which XML names may not hold but the parser lets through in
  // one, would be left out on save: an unknown attribute "Fo\bnt" would come back as the
  // font. Refused like the rest.
  {
    XmlNode root;
    QString error;
    EXPECT_FALSE(ReadTemplateXml("<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\">\n"
                                 "<Text Name=\"T\" Fo\bnt=\"Courier\"/></Band></Page></Report>",
                                 root, &error))
        << WriteTemplateXml(root).toStdString();
    EXPECT_EQ(error, QStringLiteral("název „Fo\bnt“ na řádku 2 obsahuje znak, který nelze uložit v kódování Windows-1250"));
  }
  // Czech letters in names are the code page's own and come back as they were.
  const QByteArray czech = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<Report \x8A\xED\xF8ka=\"1\"/>\n";
  XmlNode root;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(czech, root, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(root), czech);
}

TEST(Template, BytesNotValidInTheirEncodingAreRefusedNamingTheByteAndTheLine) {
  // "Příliš žluťoučký" in Windows-1250.
  const QByteArray cp1250 = "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD";
  auto withText = [](const QByteArray& declaration, const QByteArray& text) {
    return declaration + "<Report ReportOptions.Name=\"N\">\n<Page Width=\"210\" Height=\"297\">\n"
                         "<Band Type=\"MasterData\" Height=\"5\"><Text Name=\"T\">" + text +
           "</Text></Band></Page></Report>\n";
  };
  // Without a declaration, and declared as UTF-8: refused, the engine naming the file once.
  for (const QByteArray& declaration : {QByteArray(), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")}) {
    const QByteArray bytes = withText(declaration, cp1250);
    SCOPED_TRACE(bytes.toStdString());
    XmlNode root;
    QString error;
    EXPECT_FALSE(ReadTemplateXml(bytes, root, &error));
    EXPECT_EQ(error, QStringLiteral("soubor není platný text v kódování UTF-8 (bajt 0xF8 na řádku 3)"));

    const EngineInteraction saved = Interaction();
    QStringList shown;
    Interaction().ShowError = [&](const QString& text) { shown << text; };
    TRptReport report;
    EXPECT_FALSE(report.LoadFromBytes(bytes, QStringLiteral("/sestavy/Cizi.ksr")));
    Interaction() = saved;
    EXPECT_FALSE(report.Designable());
    EXPECT_EQ(shown, QStringList{QStringLiteral(
                         "Sestavu „Cizi.ksr“ nelze použít: soubor není platný text v kódování UTF-8 (bajt 0xF8 na řádku 3).")});

    // The designer keeps what it had: nothing of the refused file reaches a save.
    DesignerDoc doc;
    const QByteArray before = doc.Bytes();
    EXPECT_FALSE(doc.Load(bytes, &error));
    EXPECT_EQ(doc.Bytes(), before);
    EXPECT_FALSE(doc.Bytes().contains("&#65533;"));
  }
  // A sequence cut short, an overlong form and a surrogate are no UTF-8 either.
  const std::pair<QByteArray, const char*> broken[] = {
      {"ok \xC5", "(bajt 0xC5 na řádku 3)"}, {"ok \xC0\xAF", "(bajt 0xC0 na řádku 3)"}, {"ok \xED\xA0\x80", "(bajt 0xED na řádku 3)"}};
  for (const auto& [text, reason] : broken) {
    XmlNode root;
    QString error;
    EXPECT_FALSE(ReadTemplateXml(withText({}, text), root, &error));
    EXPECT_TRUE(error.endsWith(QString::fromUtf8(reason))) << error.toStdString();
  }
  // Declared Windows-1250, the same bytes are the Czech letters.
  const QString czech = QStringLiteral("Příliš žluťoučký");
  XmlNode root;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(withText("<?xml version=\"1.0\" encoding=\"windows-1250\"?>", cp1250), root, &error))
      << error.toStdString();
  EXPECT_EQ(root.children.at(0).children.at(0).children.at(0).text, czech);
  EXPECT_TRUE(WriteTemplateXml(root).contains(cp1250));
  // And as UTF-8 they read the same.
  ASSERT_TRUE(ReadTemplateXml(withText({}, czech.toUtf8()), root, &error)) << error.toStdString();
  EXPECT_EQ(root.children.at(0).children.at(0).children.at(0).text, czech);
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

// A template with the page and a data band around the given objects.
QByteArray WithObjects(const QByteArray& objects, const QByteArray& pageAttrs = "Width=\"210\" Height=\"297\"") {
  return "<Report><Page " + pageAttrs + "><Band Type=\"MasterData\" Name=\"Data1\" Height=\"5\">" + objects +
         "</Band></Page></Report>";
}

TEST(Template, DeepNestingIsRefusedAtLoadWhileTheLimitItselfLoadsAndWritesBack) {
  // A million nested elements: their tree would overflow the stack when freed.
  QByteArray deep = "<Report>";
  for (int i = 0; i < 1000000; ++i) deep += "<X>";
  for (int i = 0; i < 1000000; ++i) deep += "</X>";
  deep += "</Report>";
  XmlNode root;
  QString error;
  EXPECT_FALSE(ReadTemplateXml(deep, root, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("prvek <X> na řádku 1 je vnořen hlouběji než %1 úrovní").arg(kMaxXmlDepth)))
      << error.toStdString();

  // Exactly as deep as allowed: kept and written back as it was.
  QByteArray limit = "<Report><Page Width=\"210\" Height=\"297\"/>";
  for (int i = 1; i < kMaxXmlDepth; ++i) limit += "<X>";
  for (int i = 1; i < kMaxXmlDepth; ++i) limit += "</X>";
  limit += "</Report>";
  XmlNode kept;
  ASSERT_TRUE(ReadTemplateXml(limit, kept, &error)) << error.toStdString();
  XmlNode again;
  ASSERT_TRUE(ReadTemplateXml(WriteTemplateXml(kept), again, &error)) << error.toStdString();
  EXPECT_EQ(WriteTemplateXml(again), WriteTemplateXml(kept));
  ReportDef def;
  EXPECT_TRUE(CompileTemplate(again, def, &error)) << error.toStdString();
}

TEST(Template, AttributesPerElementAreBoundedAndCountedOutsideQuotesAndComments) {
  // Far more than the limit: refused, naming the element and its line.
  QByteArray many = "<Report>\n<Page Width=\"210\" Height=\"297\">\n<Band Type=\"MasterData\"";
  for (int i = 0; i < 100000; ++i) many += " a" + QByteArray::number(i) + "=\"1\"";
  many += "/></Page></Report>";
  XmlNode root;
  QString error;
  EXPECT_FALSE(ReadTemplateXml(many, root, &error));
  EXPECT_EQ(error, QStringLiteral("prvek <Band> na řádku 3 má více než %1 atributů").arg(kMaxAttributes));

  // As many as allowed, values full of '=' and '>', and a comment with more: all kept.
  QByteArray full = "<Report><!-- <Band";
  for (int i = 0; i < 2000; ++i) full += " b=\"1\"";
  full += " --><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\" Name=\"Data1\" Height=\"5\"";
  for (int i = 3; i < kMaxAttributes; ++i) full += " a" + QByteArray::number(i) + "='x=y>z=\"'";
  full += "/></Page></Report>";
  XmlNode kept;
  ASSERT_TRUE(ReadTemplateXml(full, kept, &error)) << error.toStdString();
  const XmlNode& band = kept.children.at(0).children.at(0);
  EXPECT_EQ(band.attrs.size(), static_cast<size_t>(kMaxAttributes));
  EXPECT_EQ(band.Attr(QStringLiteral("a999")), QStringLiteral("x=y>z=\""));
}

TEST(Template, NumbersOutOfRangeAreRefusedNamingTheAttributeAndTheObject) {
  struct Case {
    QByteArray xml;
    const char* reason;
  };
  const Case cases[] = {
      {WithObjects("<Text Name=\"Titul1\" Top=\"1e308\" Width=\"10\" Height=\"5\"/>"),
       "objekt Titul1: hodnota Top=\"1e308\" je mimo povolený rozsah -10000 až 10000 mm"},
      {WithObjects("<Line Name=\"Cara1\" Left=\"inf\" Width=\"10\"/>"), "objekt Cara1: neplatné číslo Left=\"inf\""},
      {WithObjects("<Rectangle Name=\"Ram1\" Width=\"nan\" Height=\"5\"/>"), "objekt Ram1: neplatné číslo Width=\"nan\""},
      {WithObjects("<Text Name=\"Pismo1\" Size=\"nan\"/>"), "objekt Pismo1: neplatné číslo Size=\"nan\""},
      {WithObjects("<Text Name=\"Otoc1\" Rotation=\"1e308\"/>"),
       "objekt Otoc1: hodnota Rotation=\"1e308\" je mimo povolený rozsah -360 až 360"},
      {"<Report><Page Width=\"210\" Height=\"297\"><Band Type=\"MasterData\" Name=\"Data1\" Height=\"1e6\"/></Page></Report>",
       "pás Data1: hodnota Height=\"1e6\" je mimo povolený rozsah 0 až 10000 mm"},
      {WithObjects("", "Width=\"210\" Height=\"297\" Columns=\"1e308\""),
       "stránka: hodnota Columns=\"1e308\" je mimo povolený rozsah 1 až 20"},
      {WithObjects("", "Width=\"210\" Height=\"297\" TopMargin=\"-inf\""), "stránka: neplatné číslo TopMargin=\"-inf\""},
      {WithObjects("", "Width=\"210\" Height=\"5\" TopMargin=\"0\" BottomMargin=\"0\""), "neplatné rozměry stránky 210 × 5 mm"},
      {WithObjects("", "Width=\"210\" Height=\"297\" TopMargin=\"150\" BottomMargin=\"147\""),
       "okraje stránky (vlevo 10, nahoře 150, vpravo 10, dole 147 mm) nenechávají na stránce 210 × 297 mm místo pro obsah"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml.left(200).toStdString());
    QString error;
    const ReportDef def = test::Compile(c.xml, &error);
    EXPECT_TRUE(def.pages.empty());
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
  }
  // The edges of the ranges still load.
  QString error;
  const ReportDef edge = test::Compile(
      WithObjects("<Text Name=\"T\" Left=\"-10000\" Top=\"10000\" Width=\"10000\" Height=\"0\"/>",
                  "Width=\"10\" Height=\"5000\" LeftMargin=\"0\" RightMargin=\"9.9\""),
      &error);
  ASSERT_EQ(edge.pages.size(), 1u) << error.toStdString();
  EXPECT_EQ(edge.pages[0].bands[0].objects[0].top, 10000);
}

TEST(Template, NamedValuesReadTheSameOnPageBandAndObject) {
  QString error;
  const ReportDef def = test::Compile(
      "<Report><Page Width=\"210\" Height=\"297\" Orientation=\"Landscape\" Columns=\"2\" ColumnGap=\"5\">"
      "<Band Type=\"GroupHeader\" Name=\"G\" Height=\"5\" StartNewPage=\"true\" RepeatHeader=\"1\" KeepTogether=\"0\""
      " SortRows=\"TRUE\" Condition=\"[RptDataset1.&quot;Zanr&quot;]\"/>"
      "<Band Type=\"MasterData\" Name=\"D\" Height=\" 5.5 \" Stretch=\"ano\" EvenFill=\"#0000ff\">"
      "<Text Name=\"A\" HAlign=\"Center\" VAlign=\"Bottom\" Frame=\"Left, Bottom\" Bold=\"1\" Italic=\"True\" Underline=\"yes\"/>"
      "<Text Name=\"B\" HAlign=\"center\" VAlign=\"Middle\" Frame=\"All\"/>"
      "<Text Name=\"C\" HAlign=\"Justify\" VAlign=\"Center\" Frame=\"Top,Nowhere,Right\"/>"
      "<Rectangle Name=\"R\"/><Rectangle Name=\"S\" Frame=\"\"/><Line Name=\"L\"/><Image Name=\"I\"/>"
      "</Band></Page></Report>",
      &error);
  ASSERT_EQ(def.pages.size(), 1u) << error.toStdString();
  const PageDef& p = def.pages[0];
  EXPECT_TRUE(p.landscape);
  EXPECT_EQ(p.columns, 2);
  ASSERT_EQ(p.bands.size(), 2u);
  EXPECT_EQ(p.bands[0].type, BandType::GroupHeader);
  EXPECT_TRUE(p.bands[0].startNewPage);
  EXPECT_TRUE(p.bands[0].repeatHeader);
  EXPECT_FALSE(p.bands[0].keepTogether);
  EXPECT_TRUE(p.bands[0].sortRows);
  EXPECT_EQ(p.bands[1].type, BandType::MasterData);
  EXPECT_EQ(p.bands[1].height, 5.5);
  EXPECT_FALSE(p.bands[1].stretch);  // only 1 and true are set
  EXPECT_EQ(p.bands[1].evenFill, QColor(0, 0, 255));
  const auto& o = p.bands[1].objects;
  ASSERT_EQ(o.size(), 7u);
  EXPECT_EQ(o[0].halign, HAlign::Center);
  EXPECT_EQ(o[0].valign, VAlign::Bottom);
  EXPECT_EQ(o[0].frame, kFrameLeft | kFrameBottom);
  EXPECT_TRUE(o[0].font.bold);
  EXPECT_TRUE(o[0].font.italic);
  EXPECT_FALSE(o[0].font.underline);
  // Names are exact; an unknown one is the default.
  EXPECT_EQ(o[1].halign, HAlign::Left);
  EXPECT_EQ(o[1].valign, VAlign::Top);
  EXPECT_EQ(o[1].frame, kFrameLeft | kFrameTop | kFrameRight | kFrameBottom);
  EXPECT_EQ(o[2].halign, HAlign::Justify);
  EXPECT_EQ(o[2].valign, VAlign::Center);
  EXPECT_EQ(o[2].frame, kFrameTop | kFrameRight);
  EXPECT_EQ(o[3].kind, ObjKind::Rectangle);
  EXPECT_EQ(o[3].frame, kFrameLeft | kFrameTop | kFrameRight | kFrameBottom);  // framed unless told
  EXPECT_EQ(o[4].frame, 0u);
  EXPECT_EQ(o[5].kind, ObjKind::Line);
  EXPECT_EQ(o[6].kind, ObjKind::Image);

  EXPECT_FALSE(test::Compile("<Report><Page Orientation=\"landscape\"/></Report>", &error).pages.at(0).landscape);
  EXPECT_TRUE(test::Compile("<Report><Page><Band Type=\"masterdata\"/></Page></Report>", &error).pages.empty());
  EXPECT_EQ(error, QStringLiteral("pás masterdata: neznámý druh pásu „masterdata“"));
  EXPECT_TRUE(test::Compile("<Report><Page><Band Type=\"MasterData\"><text/></Band></Page></Report>", &error).pages.empty());
  EXPECT_EQ(error, QStringLiteral("objekt text: neznámý druh objektu <text>"));
}

TEST(Template, ObjectsPerBandAndInAllAreBounded) {
  auto objects = [](int count) {
    QByteArray xml;
    for (int i = 0; i < count; ++i) xml += "<Line Name=\"L" + QByteArray::number(i) + "\" Width=\"1\"/>";
    return xml;
  };
  QString error;
  EXPECT_EQ(test::Compile(WithObjects(objects(kMaxObjectsPerBand)), &error).pages.size(), 1u) << error.toStdString();
  EXPECT_TRUE(test::Compile(WithObjects(objects(kMaxObjectsPerBand + 1)), &error).pages.empty());
  EXPECT_EQ(error, QStringLiteral("pás Data1: má více než %1 objektů").arg(kMaxObjectsPerBand));

  // Bands each within their limit, too many in all.
  QByteArray xml = "<Report><Page Width=\"210\" Height=\"297\">";
  const QByteArray band = objects(kMaxObjectsPerBand);
  for (int b = 0; b <= kMaxObjects / kMaxObjectsPerBand; ++b)
    xml += "<Band Type=\"GroupHeader\" Height=\"5\">" + band + "</Band>";
  xml += "</Page></Report>";
  EXPECT_TRUE(test::Compile(xml, &error).pages.empty());
  EXPECT_EQ(error, QStringLiteral("šablona má více než %1 objektů").arg(kMaxObjects));
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
  EXPECT_EQ(FormatNumber(1234), QStringLiteral("1 234"));
  EXPECT_EQ(FormatNumber(2.5), QStringLiteral("2,5"));
}

}  // namespace
}  // namespace rpt
