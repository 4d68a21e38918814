#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include "../app/PlnyDisk.h"
#include "ReportTestSupport.h"
#include "designer_doc.h"

namespace rpt {
namespace {

using test::ReadBytes;
using test::ShippedTemplatePath;

int DataBand(const DesignerDoc& doc) {
  for (int b = 0; b < doc.BandCount(); ++b)
    if (doc.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) return b;
  return -1;
}

DesignerDoc& Loaded(DesignerDoc& doc, const char* file) {
  QString error;
  EXPECT_TRUE(doc.Load(ReadBytes(ShippedTemplatePath(QLatin1String(file))), &error)) << error.toStdString();
  return doc;
}

TEST(DesignerDoc, ShippedTemplatesOpenedAndSavedAreByteIdentical) {
  QTemporaryDir dir;
  for (const char* file : {"SeznamFilmu.ksr", "FilmyPodleZanru.ksr", "KartaFilmu.ksr"}) {
    SCOPED_TRACE(file);
    DesignerDoc doc;
    Loaded(doc, file);
    EXPECT_FALSE(doc.Modified());
    const QString out = dir.filePath(QLatin1String(file));
    QString error;
    ASSERT_TRUE(doc.SaveTo(out, &error)) << error.toStdString();
    EXPECT_EQ(ReadBytes(out), ReadBytes(ShippedTemplatePath(QLatin1String(file))));
  }
}

// A template saved onto a full disk: the user's file stays whole and the reason is named.
TEST(DesignerDoc, SavingOntoAFullDiskKeepsTheEarlierTemplate) {
  QTemporaryDir dir;
  kalmetra::test::PlnyDisk disk(dir.filePath(QStringLiteral("disk")));
  if (!disk.Pripojeno()) GTEST_SKIP() << disk.Duvod().toStdString();
  const QString target = disk.Cesta(QStringLiteral("Seznam.ksr"));
  const QByteArray earlier = ReadBytes(ShippedTemplatePath(QStringLiteral("KartaFilmu.ksr")));
  {
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(earlier);
  }
  disk.Naplnit();
  DesignerDoc doc;
  Loaded(doc, "SeznamFilmu.ksr");
  QString error;
  EXPECT_FALSE(doc.SaveTo(target, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("není volné místo"))) << error.toStdString();
  EXPECT_EQ(ReadBytes(target), earlier);
  EXPECT_EQ(QDir(disk.Cesta(QString())).entryList(QDir::Files), QStringList({"Seznam.ksr", "vypln"}));
}

TEST(DesignerDoc, FieldDroppedOnDataBandBecomesABoundTextOnTheGrid) {
  DesignerDoc doc;
  Loaded(doc, "SeznamFilmu.ksr");
  const int band = DataBand(doc);
  ASSERT_GE(band, 0);
  const ObjRef ref = doc.AddField(band, QStringLiteral("Rezie"), 120.4, 0.3);
  ASSERT_EQ(ref.band, band);
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{ref});
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.ObjectRect(ref).topLeft(), QPointF(120, 0));
  // The engine reads it as a field reference of the data set.
  ReportDef def;
  QString error;
  ASSERT_TRUE(CompileTemplate(doc.Root(), def, &error)) << error.toStdString();
  const ObjDef& o = def.pages[0].bands[band].objects.back();
  EXPECT_EQ(o.kind, ObjKind::Text);
  ASSERT_EQ(o.text.segments.size(), 1u);
  EXPECT_EQ(o.text.segments[0].kind, SegKind::Field);
  EXPECT_EQ(o.text.segments[0].field, QStringLiteral("Rezie"));
  // A second drop of the same field gets a name of its own.
  const ObjRef again = doc.AddField(band, QStringLiteral("Rezie"), 0, 0);
  EXPECT_NE(doc.Object(again).Attr(QStringLiteral("Name")), doc.Object(ref).Attr(QStringLiteral("Name")));
  // Nothing is added outside the bands.
  EXPECT_EQ(doc.AddField(99, QStringLiteral("Rezie"), 0, 0).band, -1);
}

TEST(DesignerDoc, MoveAndResizeSnapToTheGridUnlessFineOrSwitchedOff) {
  DesignerDoc doc;
  doc.AddBand(BandType::MasterData);
  const ObjRef a = doc.AddObject(0, QStringLiteral("Text"), 10, 2);
  doc.SetObjectAttr(a, QStringLiteral("Left"), QStringLiteral("10.3"));
  doc.Select({a});
  doc.SetGridStep(2);
  doc.MoveSelection(3.2, 0);
  EXPECT_EQ(doc.ObjectRect(a), QRectF(14, 2, 30, 5));
  doc.ResizeSelection(0.7, 2.6);  // right edge 44.7 -> 44, bottom 9.6 -> 10
  EXPECT_EQ(doc.ObjectRect(a), QRectF(14, 2, 30, 8));
  doc.MoveSelection(0.1, 0, true);
  EXPECT_DOUBLE_EQ(doc.ObjectRect(a).left(), 14.1);
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("14.1"));
  doc.SetSnap(false);
  doc.MoveSelection(-0.75, 0.25);
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("13.35"));
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Top")), QStringLiteral("2.25"));
  // Never off the band's left or top edge.
  doc.MoveSelection(-100, -100);
  EXPECT_EQ(doc.ObjectRect(a).topLeft(), QPointF(0, 0));
}

TEST(DesignerDoc, AlignAndSameSizeFollowTheFirstSelected) {
  DesignerDoc doc;
  doc.AddBand(BandType::MasterData);
  doc.SetSnap(false);
  const ObjRef a = doc.AddObject(0, QStringLiteral("Text"), 20, 4);
  const ObjRef b = doc.AddObject(0, QStringLiteral("Rectangle"), 50, 10);
  const ObjRef c = doc.AddObject(0, QStringLiteral("Text"), 5, 1);
  doc.SetObjectAttr(a, QStringLiteral("Width"), QStringLiteral("40"));
  doc.SetObjectAttr(a, QStringLiteral("Height"), QStringLiteral("8"));
  doc.SetObjectAttr(c, QStringLiteral("Width"), QStringLiteral("10"));
  doc.Select({a, b, c});
  doc.Align(AlignKind::Left);
  EXPECT_EQ(doc.ObjectRect(b).left(), 20);
  EXPECT_EQ(doc.ObjectRect(c).left(), 20);
  doc.Align(AlignKind::Right);
  EXPECT_EQ(doc.ObjectRect(b).right(), 60);
  EXPECT_EQ(doc.ObjectRect(c).right(), 60);
  doc.Align(AlignKind::Bottom);
  EXPECT_EQ(doc.ObjectRect(b).bottom(), 12);
  EXPECT_EQ(doc.ObjectRect(c).bottom(), 12);
  doc.Align(AlignKind::HCenter);
  EXPECT_EQ(doc.ObjectRect(c).center().x(), 40);
  doc.Align(AlignKind::VCenter);
  EXPECT_EQ(doc.ObjectRect(b).center().y(), 8);
  doc.SameWidth();
  doc.SameHeight();
  EXPECT_EQ(doc.ObjectRect(b).size(), QSizeF(40, 8));
  EXPECT_EQ(doc.ObjectRect(c).size(), QSizeF(40, 8));
  doc.Align(AlignKind::Top);
  EXPECT_EQ(doc.ObjectRect(c).top(), 4);
  EXPECT_EQ(doc.ObjectRect(a), QRectF(20, 4, 40, 8));  // the anchor stays
}

TEST(DesignerDoc, UndoAndRedoOfFiveChangesReturnEachStateByteForByte) {
  DesignerDoc doc;
  Loaded(doc, "FilmyPodleZanru.ksr");
  const int band = DataBand(doc);
  std::vector<QByteArray> states{doc.Bytes()};
  doc.AddField(band, QStringLiteral("Rezie"), 100, 0);
  states.push_back(doc.Bytes());
  doc.MoveSelection(5, 1);
  states.push_back(doc.Bytes());
  doc.ResizeSelection(10, 0);
  states.push_back(doc.Bytes());
  doc.SetReportOptions(QStringLiteral("Filmy podle režiséra"), QStringLiteral("Já"), {QStringLiteral("a"), QStringLiteral("b")});
  states.push_back(doc.Bytes());
  doc.RemoveBand(0);
  states.push_back(doc.Bytes());
  for (size_t i = 1; i < states.size(); ++i) ASSERT_NE(states[i], states[i - 1]) << i;

  for (int i = 4; i >= 0; --i) {
    doc.Undo();
    EXPECT_EQ(doc.Bytes(), states[i]) << "undo to " << i;
  }
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.Modified());
  for (int i = 1; i <= 5; ++i) {
    doc.Redo();
    EXPECT_EQ(doc.Bytes(), states[i]) << "redo to " << i;
  }
  EXPECT_FALSE(doc.CanRedo());
  // A new change after undo drops the redo branch.
  doc.Undo();
  doc.MoveBand(0, 1);
  EXPECT_FALSE(doc.CanRedo());
  // A change that changes nothing is no undo step.
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), states[4]);
  doc.SetPageAttr(QStringLiteral("Width"), doc.Page().Attr(QStringLiteral("Width")));
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), states[3]);
}

TEST(DesignerDoc, ClipboardAndBandCommands) {
  DesignerDoc doc;
  doc.AddBand(BandType::MasterData);
  doc.AddBand(BandType::PageFooter);
  doc.AddBand(BandType::ReportTitle);
  doc.AddBand(BandType::GroupHeader);
  doc.AddBand(BandType::GroupFooter);
  QStringList types;
  for (int b = 0; b < doc.BandCount(); ++b) types << doc.Band(b).Attr(QStringLiteral("Type"));
  EXPECT_EQ(types, (QStringList{"ReportTitle", "GroupHeader", "MasterData", "GroupFooter", "PageFooter"}));
  EXPECT_EQ(doc.Band(1).Attr(QStringLiteral("Condition")), QStringLiteral("[RptDataset1.\"Zanr\"]"));

  const ObjRef t = doc.AddField(2, QStringLiteral("Titul"), 0, 0);
  const ObjRef r = doc.AddObject(2, QStringLiteral("Line"), 0, 5);
  doc.Select({t, r});
  doc.Copy();
  doc.Paste(0);
  ASSERT_EQ(doc.Band(0).children.size(), 2u);
  EXPECT_EQ(doc.Band(0).children[0].text, QStringLiteral("[RptDataset1.\"Titul\"]"));
  EXPECT_EQ(doc.Selection().size(), 2u);
  doc.Select({{2, 0}});
  doc.Cut();
  EXPECT_EQ(doc.Band(2).children.size(), 1u);
  EXPECT_EQ(doc.Band(2).children[0].name, QStringLiteral("Line"));
  doc.Paste(4);
  QStringList names;
  for (int b = 0; b < doc.BandCount(); ++b)
    for (const XmlNode& n : doc.Band(b).children) names << n.Attr(QStringLiteral("Name"));
  names.removeDuplicates();
  EXPECT_EQ(names.size(), 4);  // every pasted object got a name of its own
  doc.SelectAll();
  doc.DeleteSelection();
  for (int b = 0; b < doc.BandCount(); ++b) EXPECT_TRUE(doc.Band(b).children.empty());

  doc.MoveBand(4, -1);
  EXPECT_EQ(doc.Band(3).Attr(QStringLiteral("Type")), QStringLiteral("PageFooter"));
  doc.RemoveBand(0);
  EXPECT_EQ(doc.BandCount(), 4);
  // What the designer made is a template the engine reads.
  ReportDef def;
  QString error;
  EXPECT_TRUE(CompileTemplate(doc.Root(), def, &error)) << error.toStdString();
}

TEST(DesignerDoc, ReportOptionsAndABrokenTemplate) {
  DesignerDoc doc;
  doc.SetReportOptions(QStringLiteral("Přehled režií"), QStringLiteral("Kalmetra"), {QStringLiteral("řádek 1"), QStringLiteral("řádek 2")});
  const QByteArray bytes = doc.Bytes();
  EXPECT_TRUE(bytes.contains("ReportOptions.Name=\"P\xF8" "ehled re\x9Ei\xED\" ReportOptions.Author=\"Kalmetra\" "
                             "ReportOptions.Description=\"\xF8\xE1" "dek 1&#13;&#10;\xF8\xE1" "dek 2\""));
  EXPECT_EQ(doc.ReportDescription(), (QStringList{"řádek 1", "řádek 2"}));
  QString error;
  EXPECT_FALSE(doc.Load("<Report><Page><Band Type=\"Fancy\"/></Page></Report>", &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Fancy")));
  EXPECT_EQ(doc.Bytes(), bytes);
  // A property value the engine could not read is refused without an undo step.
  doc.AddBand(BandType::MasterData);
  const ObjRef t = doc.AddObject(0, QStringLiteral("Text"), 0, 0);
  const QByteArray good = doc.Bytes();
  EXPECT_FALSE(doc.SetObjectAttr(t, QStringLiteral("Left"), QStringLiteral("vlevo"), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("Left"))) << error.toStdString();
  EXPECT_FALSE(doc.SetBandAttr(0, QStringLiteral("EvenFill"), QStringLiteral("zelená"), &error));
  EXPECT_EQ(doc.Bytes(), good);
  EXPECT_TRUE(doc.SetSelectionAttr(QStringLiteral("Bold"), QStringLiteral("1"), &error));
  EXPECT_TRUE(doc.SetSelectionAttr(QStringLiteral("Bold"), QString(), &error));
  EXPECT_EQ(doc.Bytes(), good);  // an empty value removes the attribute
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), good);
  doc.Undo();
  EXPECT_FALSE(doc.Bytes().contains("<Text"));
  // Orientation keeps width and height in agreement.
  EXPECT_TRUE(doc.SetOrientation(QStringLiteral("Landscape"), &error));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("297"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Height")), QStringLiteral("210"));
  EXPECT_TRUE(doc.SetOrientation(QStringLiteral("Landscape"), &error));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("297"));
  EXPECT_FALSE(doc.SetOrientation(QStringLiteral("na šířku"), &error));
  EXPECT_TRUE(error.contains(QStringLiteral("na šířku")));
  doc.Undo();
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Orientation")), QStringLiteral("Portrait"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("210"));
}

TEST(DesignerDoc, EveryControlCharacterIsRefusedAtInputOrSavedSoTheTemplateLoads) {
  QTemporaryDir dir;
  for (char16_t c = 0; c < 0x20; ++c) {
    SCOPED_TRACE(static_cast<int>(c));
    const QString value = QStringLiteral("a") + QChar(c) + QStringLiteral("b");
    DesignerDoc doc;
    Loaded(doc, "SeznamFilmu.ksr");
    const int data = DataBand(doc);
    const ObjRef text = doc.AddObject(data, QStringLiteral("Text"), 0, 0);
    const ObjRef line = doc.AddObject(data, QStringLiteral("Line"), 0, 0);
    ASSERT_GE(text.index, 0);
    const bool allowed = c == u'\t' || c == u'\n' || c == u'\r';
    std::vector<std::pair<bool, QString>> results;
    auto take = [&](bool ok, const QString& error) {
      results.emplace_back(ok, error);
      if (ok) EXPECT_TRUE(error.isEmpty());
      else EXPECT_TRUE(error.contains(QStringLiteral("řídicí"))) << error.toStdString();
    };
    QString error;
    take(doc.SetObjectText(text, value, &error), error);
    error.clear();
    take(doc.SetObjectAttr(text, QStringLiteral("Font"), value, &error), error);
    error.clear();
    doc.Select({line});
    take(doc.SetSelectionAttr(QStringLiteral("Tag"), value, &error), error);
    error.clear();
    take(doc.SetBandAttr(data, QStringLiteral("Tag"), value, &error), error);
    error.clear();
    take(doc.SetPageAttr(QStringLiteral("Tag"), value, &error), error);
    error.clear();
    take(doc.SetReportOptions(value, value, {value}, &error), error);
    for (const auto& [ok, why] : results) EXPECT_EQ(ok, allowed) << why.toStdString();

    // What was taken is saved so that it loads, and comes back as it was typed.
    const QString out = dir.filePath(QStringLiteral("t.ksr"));
    ASSERT_TRUE(doc.SaveTo(out, &error)) << error.toStdString();
    DesignerDoc again;
    ASSERT_TRUE(again.Load(ReadBytes(out), &error)) << error.toStdString();
    if (allowed) {
      EXPECT_EQ(again.Object(text).text, value);
      EXPECT_EQ(again.Object(text).Attr(QStringLiteral("Font")), value);
      EXPECT_EQ(again.Band(data).Attr(QStringLiteral("Tag")), value);
      EXPECT_EQ(again.ReportAuthor(), value);
    }
    // Undo goes back through every state.
    while (doc.CanUndo()) doc.Undo();
    EXPECT_EQ(doc.Bytes(), ReadBytes(ShippedTemplatePath(QStringLiteral("SeznamFilmu.ksr"))));
  }
  // The writer itself never writes what cannot be read: a tree built by other means.
  XmlNode root = NewTemplate();
  QString all;
  for (char16_t c = 0; c < 0x20; ++c) all += QChar(c);
  all += QChar(0xFFFE);
  all += QChar(0xD800);
  root.SetAttr(QStringLiteral("ReportOptions.Author"), all);
  XmlNode note;
  note.name = QStringLiteral("Poznamka");
  note.text = all;
  root.children.push_back(note);
  XmlNode back;
  QString error;
  ASSERT_TRUE(ReadTemplateXml(WriteTemplateXml(root), back, &error)) << error.toStdString();
  EXPECT_EQ(back.Attr(QStringLiteral("ReportOptions.Author")), QStringLiteral("\t\n\r"));
}

}  // namespace
}  // namespace rpt

namespace rpt {
namespace {

TEST(DesignerDoc, AGroupFooterAddedToTwoGroupsClosesTheInnerOneInTheEngine) {
  DesignerDoc doc;
  doc.New();
  const int data = doc.AddBand(BandType::MasterData);
  doc.AddField(data, QStringLiteral("Titul"), 0, 0);
  const int outer = doc.AddBand(BandType::GroupHeader);
  ASSERT_TRUE(doc.SetBandAttr(outer, QStringLiteral("Condition"), QStringLiteral("[RptDataset1.\"Puvod\"]")));
  doc.AddBand(BandType::GroupHeader);  // groups by genre, inside the first
  const int footer = doc.AddBand(BandType::GroupFooter);
  ASSERT_GE(footer, 0);
  doc.AddObject(footer, QStringLiteral("Text"), 0, 0);
  ASSERT_TRUE(doc.SetObjectText(doc.Selection().front(), QStringLiteral("Konec [RptDataset1.\"Zanr\"]")));

  ReportDef def;
  QString error;
  ASSERT_TRUE(CompileTemplate(doc.Root(), def, &error)) << error.toStdString();
  MemorySource films = test::Films(4, {QStringLiteral("Drama"), QStringLiteral("Komedie")}, true);
  PreparedReport r;
  ASSERT_TRUE(PrepareReport(def, films, r, &error)) << error.toStdString();
  QStringList ends;
  for (const QString& t : test::PageTexts(r, 0))
    if (t.startsWith(QStringLiteral("Konec"))) ends << t;
  // Closed after each genre, not only once the country ends.
  EXPECT_EQ(ends, (QStringList{"Konec Drama", "Konec Komedie"}));
}

TEST(DesignerDoc, EveryCommandNamesItsUndoStepInCzechAndTheHistoryStaysBounded) {
  DesignerDoc doc;
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_TRUE(doc.UndoName().isEmpty());
  std::vector<QString> names;
  auto step = [&](const char* expected) {
    names.push_back(doc.UndoName());
    EXPECT_EQ(doc.UndoName(), QString::fromUtf8(expected));
  };
  const int data = doc.AddBand(BandType::MasterData);
  step("Přidat pás");
  doc.AddBand(BandType::PageFooter);
  step("Přidat pás");
  const ObjRef field = doc.AddField(data, QStringLiteral("Titul"), 0, 0);
  step("Vložit pole");
  const ObjRef line = doc.AddObject(data, QStringLiteral("Line"), 7, 10);
  step("Vložit objekt");
  doc.Select({field, line});
  doc.MoveSelection(2, 0);
  step("Přesunout");
  doc.ResizeSelection(3, 0);
  step("Změnit velikost");
  doc.Align(AlignKind::Left);
  step("Zarovnat");
  ASSERT_TRUE(doc.SetSelectionAttr(QStringLiteral("Color"), QStringLiteral("#FF0000")));
  step("Změnit vlastnost");
  ASSERT_TRUE(doc.SetSelectionAttrs({{QStringLiteral("Font"), QStringLiteral("Courier")}, {QStringLiteral("Size"), QStringLiteral("12")}},
                                    QStringLiteral("Změnit písmo")));
  step("Změnit písmo");
  EXPECT_EQ(doc.Object(field).Attr(QStringLiteral("Size")), QStringLiteral("12"));
  doc.Copy();
  doc.Paste(data);
  step("Vložit");
  doc.DeleteSelection();
  step("Smazat");
  doc.Select({field});
  doc.Cut();
  step("Vyjmout");
  ASSERT_TRUE(doc.SetOrientation(QStringLiteral("Landscape")));
  step("Změnit orientaci");
  doc.MoveBand(1, -1);
  step("Posunout pás");
  doc.RemoveBand(0);
  step("Odstranit pás");

  // Undo hands the name to redo and back, one step at a time.
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    ASSERT_EQ(doc.UndoName(), *it);
    doc.Undo();
    EXPECT_EQ(doc.RedoName(), *it);
  }
  EXPECT_FALSE(doc.CanUndo());
  doc.Redo();
  EXPECT_EQ(doc.UndoName(), names.front());
  EXPECT_EQ(doc.RedoName(), names[1]);

  // The bound holds with the names: the oldest steps go.
  doc.Redo();
  doc.Redo();
  doc.Select({{data, 0}});
  for (size_t i = 0; i < DesignerDoc::kMaxUndoSteps + 5; ++i) doc.MoveSelection(1, 0);
  EXPECT_EQ(doc.UndoSteps(), DesignerDoc::kMaxUndoSteps);
  for (size_t i = 0; i < DesignerDoc::kMaxUndoSteps; ++i) {
    EXPECT_EQ(doc.UndoName(), QStringLiteral("Přesunout"));
    doc.Undo();
  }
  EXPECT_FALSE(doc.CanUndo());
}

TEST(DesignerDoc, CopiedObjectsPasteInAnotherDocumentAndForeignClipboardTextIsIgnored) {
  DesignerDoc from;
  Loaded(from, "SeznamFilmu.ksr");
  const int data = DataBand(from);
  ASSERT_GE(data, 0);
  const ObjRef title = from.AddField(data, QStringLiteral("Titul"), 0, 10);
  ASSERT_TRUE(from.SetObjectText(title, QStringLiteral("Žluťoučký kůň ✓ [RptDataset1.\"Titul\"]")));
  const ObjRef line = from.AddObject(data, QStringLiteral("Line"), 5, 12);
  from.Select({title, line});
  from.Copy();
  QClipboard* clipboard = QGuiApplication::clipboard();
  ASSERT_TRUE(clipboard->mimeData());
  ASSERT_TRUE(clipboard->mimeData()->hasFormat(QLatin1String(DesignerDoc::kClipboardMime)));
  // Readable as text: Czech letters as they are, the rest as character references.
  EXPECT_TRUE(clipboard->text().contains(QStringLiteral("Žluťoučký kůň &#10003;"))) << clipboard->text().toStdString();

  // Another document, as in another window: the objects come with their text.
  DesignerDoc to;
  const int band = to.AddBand(BandType::MasterData);
  ASSERT_TRUE(to.CanPaste());
  to.Paste(band);
  ASSERT_EQ(to.Band(band).children.size(), 2u);
  EXPECT_EQ(to.Band(band).children[0].text, from.Object(title).text);
  EXPECT_EQ(to.Band(band).children[1].name, QStringLiteral("Line"));
  EXPECT_EQ(to.Selection().size(), 2u);
  EXPECT_EQ(to.UndoName(), QStringLiteral("Vložit"));
  // The plain text alone (a clipboard that kept only text) pastes the same objects.
  const QString text = clipboard->text();
  clipboard->setText(text);
  to.Paste(band);
  ASSERT_EQ(to.Band(band).children.size(), 4u);
  EXPECT_EQ(to.Band(band).children[2].text, from.Object(title).text);

  // Foreign or broken clipboard content changes nothing.
  const QByteArray before = to.Bytes();
  const size_t steps = to.UndoSteps();
  const QString foreign[] = {
      QStringLiteral("Jen obyčejný text"),
      QString(),
      QStringLiteral("<KalmetraObjekty><Text Name=\"A\">neukončené"),
      QStringLiteral("<KalmetraObjekty Version=\"1\"></KalmetraObjekty>"),
      QStringLiteral("<KalmetraObjekty><Text Name=\"A\" Left=\"abc\">x</Text></KalmetraObjekty>"),
      QStringLiteral("<KalmetraObjekty><Skript Name=\"A\"/></KalmetraObjekty>"),
      QStringLiteral("<KalmetraObjekty><Text Name=\"A\" Color=\"modrá\">x</Text></KalmetraObjekty>"),
      QString::fromUtf8(to.Bytes()),  // a whole template is no list of objects
  };
  for (const QString& t : foreign) {
    clipboard->setText(t);
    to.Paste(band);
    EXPECT_EQ(to.Bytes(), before) << t.toStdString();
    EXPECT_EQ(to.UndoSteps(), steps) << t.toStdString();
  }
  auto* junk = new QMimeData;
  junk->setData(QLatin1String(DesignerDoc::kClipboardMime), QByteArray("\xff\xfe<<garbage", 11));
  clipboard->setMimeData(junk);
  to.Paste(band);
  EXPECT_EQ(to.Bytes(), before);
  clipboard->clear();
}

// Several objects in several bands go to the front or back of their own bands together,
// in the order they had, and the selection follows them.
TEST(DesignerDoc, FrontAndBackReorderEachBandAndKeepTheSelection) {
  DesignerDoc doc;
  Loaded(doc, "SeznamFilmu.ksr");
  const int data = DataBand(doc), header = data - 1;
  auto names = [&](int band) {
    QStringList out;
    for (const XmlNode& n : doc.Band(band).children) out << n.Attr(QStringLiteral("Name"));
    return out;
  };
  const QStringList dataBefore = names(data), headerBefore = names(header);
  ASSERT_EQ(dataBefore, (QStringList{"Titul1", "Rok1", "Stopaz1", "Zanr1", "Rezie1", "Cara1"}));
  const QString headerPick = headerBefore.at(1);
  const QByteArray before = doc.Bytes();
  doc.Select({{data, 3}, {header, 1}, {data, 1}});
  const size_t steps = doc.UndoSteps();
  doc.BringSelectionToFront();
  EXPECT_EQ(doc.UndoSteps(), steps + 1);
  EXPECT_EQ(names(data), (QStringList{"Titul1", "Stopaz1", "Rezie1", "Cara1", "Rok1", "Zanr1"}));
  EXPECT_EQ(names(header).back(), headerPick);
  ASSERT_EQ(doc.Selection().size(), 3u);
  EXPECT_EQ(doc.Object(doc.Selection()[0]).Attr(QStringLiteral("Name")), QStringLiteral("Zanr1"));
  EXPECT_EQ(doc.Object(doc.Selection()[1]).Attr(QStringLiteral("Name")), headerPick);
  EXPECT_EQ(doc.Object(doc.Selection()[2]).Attr(QStringLiteral("Name")), QStringLiteral("Rok1"));
  // Already in front: nothing changes and no step is recorded.
  doc.BringSelectionToFront();
  EXPECT_EQ(doc.UndoSteps(), steps + 1);
  doc.SendSelectionToBack();
  EXPECT_EQ(names(data), (QStringList{"Rok1", "Zanr1", "Titul1", "Stopaz1", "Rezie1", "Cara1"}));
  EXPECT_EQ(names(header).front(), headerPick);
  EXPECT_EQ(doc.Object(doc.Selection()[0]).Attr(QStringLiteral("Name")), QStringLiteral("Zanr1"));
  doc.Undo();
  doc.Undo();
  EXPECT_EQ(doc.Bytes(), before);
}

}  // namespace
}  // namespace rpt
