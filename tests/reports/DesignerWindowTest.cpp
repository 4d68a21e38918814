// The designer window driven by mouse and key events, as a user would: fields by double
// click and by drop, selection by click and rubber band, moving and resizing by mouse
// and keys, the palette, undo and redo, preview and closing with changes.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>

#include "ReportTestSupport.h"
#include "designer.h"
#include "designer_fields.h"
#include "engine.h"
#include "preview.h"
#include "render.h"

namespace rpt {
namespace {

using test::ReadBytes;

// Puts the engine's interaction back after a test that scripts it.
struct ScriptedInteraction {
  EngineInteraction saved = Interaction();
  std::vector<QString> asked;
  std::vector<QString> errors;
  // Answers of the questions with Cancel, in turn; No when none is left.
  std::vector<EngineInteraction::Answer> answers;
  ScriptedInteraction() {
    Interaction().Ask = [this](const QString& text) {
      asked.push_back(text);
      return false;
    };
    Interaction().AskCancel = [this](const QString& text) {
      asked.push_back(text);
      if (answers.empty()) return EngineInteraction::Answer::No;
      const EngineInteraction::Answer a = answers.front();
      answers.erase(answers.begin());
      return a;
    };
    Interaction().ShowError = [this](const QString& text) { errors.push_back(text); };
  }
  ~ScriptedInteraction() { Interaction() = saved; }
};

void MouseMove(QWidget* w, QPointF pos, Qt::KeyboardModifiers mods = {}) {
  QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, mods);
  QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPointF from, QPointF to, Qt::KeyboardModifiers mods = {}) {
  QTest::mousePress(w, Qt::LeftButton, mods, from.toPoint());
  MouseMove(w, (from + to) / 2, mods);
  MouseMove(w, to, mods);
  QTest::mouseRelease(w, Qt::LeftButton, mods, to.toPoint());
}

void DropField(DesignCanvas* c, const QString& field, QPointF at) {
  QMimeData data;
  data.setData(QLatin1String(FieldList::kMime), field.toUtf8());
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(c, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(c, &move);
  ASSERT_TRUE(move.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(c, &drop);
}

class DesignerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QDir().mkpath(Ses());
    ASSERT_TRUE(QFile::copy(test::ShippedTemplatePath(QStringLiteral("SeznamFilmu.ksr")), Ses() + QStringLiteral("SeznamFilmu.ksr")));
    report_.DataSet = &films_;
    report_.IniFile = dir_.filePath(QStringLiteral("Sestavy.ini"));
    ASSERT_TRUE(report_.LoadFromFile(Ses() + QStringLiteral("SeznamFilmu.ksr"), false));
  }
  QString Ses() const { return dir_.filePath(QStringLiteral("Ses")) + u'/'; }
  int DataBand(DesignerDoc& d) const {
    for (int b = 0; b < d.BandCount(); ++b)
      if (d.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) return b;
    return -1;
  }

  QTemporaryDir dir_;
  MemorySource films_ = test::Films(30);
  TRptReport report_;
};

TEST_F(DesignerWindowTest, AUserEditsAReportWithMouseAndKeys) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  const int data = DataBand(doc);
  ASSERT_GE(data, 0);
  const int before = static_cast<int>(doc.Band(data).children.size());
  std::vector<QByteArray> states{doc.Bytes()};
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Návrhář sestav – Seznam filmů"));

  // A double click on "Režie" (the field Rezie) in the field list puts it on the data band.
  auto* fields = w.findChild<QListWidget*>(QStringLiteral("SeznamPoli"));
  ASSERT_TRUE(fields);
  QListWidgetItem* rezie = fields->findItems(QStringLiteral("Režie"), Qt::MatchExactly).value(0);
  ASSERT_TRUE(rezie);
  const QPoint at = fields->visualItemRect(rezie).center();
  QTest::mouseClick(fields->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(fields->viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(doc.Band(data).children.size(), static_cast<size_t>(before + 1));
  const ObjRef added{data, before};
  EXPECT_EQ(doc.Object(added).text, QStringLiteral("[RptDataset1.\"Rezie\"]"));
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{added});
  EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral(" *")));
  states.push_back(doc.Bytes());

  // Dropped onto the data band at a point: a text bound to the field, on the grid.
  const QRectF body = canvas->BandBody(data);
  DropField(canvas, QStringLiteral("Zanr"), body.topLeft() + QPointF(20.4 * canvas->Scale(), 0.2 * canvas->Scale()));
  const ObjRef dropped{data, before + 1};
  EXPECT_EQ(doc.Object(dropped).text, QStringLiteral("[RptDataset1.\"Zanr\"]"));
  EXPECT_EQ(doc.ObjectRect(dropped).topLeft(), QPointF(20, 0));
  states.push_back(doc.Bytes());

  // A click selects the first one again; a mouse drag moves it, snapped to whole mm.
  const QRectF first = canvas->ObjectPx(added);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, (first.center()).toPoint());
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{added});
  const QRectF startMm = doc.ObjectRect(added);
  Drag(canvas, first.center(), first.center() + QPointF(4.3 * canvas->Scale(), 0));
  EXPECT_EQ(doc.ObjectRect(added).left(), std::round(startMm.left() + 4.3));
  EXPECT_EQ(doc.ObjectRect(added).top(), startMm.top());
  states.push_back(doc.Bytes());

  // Dragging the corner handle widens it.
  const QPointF corner = canvas->ObjectPx(added).bottomRight();
  Drag(canvas, corner, corner + QPointF(10.2 * canvas->Scale(), 0));
  EXPECT_EQ(doc.ObjectRect(added).width(), startMm.width() + 10);
  states.push_back(doc.Bytes());

  // Arrow keys: a grid step; Shift changes the size; Ctrl a tenth of a millimetre.
  const QRectF r0 = doc.ObjectRect(added);
  canvas->setFocus();
  QTest::keyClick(canvas, Qt::Key_Right);
  QTest::keyClick(canvas, Qt::Key_Down);
  QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(canvas, Qt::Key_Left, Qt::ControlModifier);
  const QRectF r1 = doc.ObjectRect(added);
  EXPECT_DOUBLE_EQ(r1.left(), r0.left() + 1 - 0.1);
  EXPECT_DOUBLE_EQ(r1.top(), r0.top() + 1);
  EXPECT_DOUBLE_EQ(r1.width(), r0.width() + 1);

  // The property panel shows the selected object's position.
  auto* props = w.findChild<QTableWidget*>(QStringLiteral("Vlastnosti"));
  ASSERT_TRUE(props);
  QCoreApplication::processEvents();  // the panel follows the selection
  QString shownLeft;
  for (int row = 0; row < props->rowCount(); ++row)
    if (props->item(row, 0)->text() == QStringLiteral("Vlevo (mm)")) shownLeft = props->item(row, 1)->text();
  EXPECT_EQ(shownLeft, DesignerDoc::FormatMm(r1.left()));
  // Typing a value there changes the object; a Czech decimal comma is understood and a
  // value the engine cannot read is refused with a message.
  auto setProperty = [&](const QString& label, const QString& value) {
    for (int row = 0; row < props->rowCount(); ++row)
      if (props->item(row, 0)->text() == label) props->item(row, 1)->setText(value);
    QCoreApplication::processEvents();
  };
  setProperty(QStringLiteral("Šířka (mm)"), QStringLiteral("31,5"));
  EXPECT_DOUBLE_EQ(doc.ObjectRect(added).width(), 31.5);
  setProperty(QStringLiteral("Barva"), QStringLiteral("modrá"));
  ASSERT_EQ(script.errors.size(), 1u);
  EXPECT_TRUE(script.errors[0].contains(QStringLiteral("modrá"))) << script.errors[0].toStdString();
  EXPECT_FALSE(doc.Object(added).Has(QStringLiteral("Color")));
  script.errors.clear();
  for (int row = 0; row < props->rowCount(); ++row)
    if (props->item(row, 0)->text() == QStringLiteral("Tučné")) props->item(row, 1)->setCheckState(Qt::Checked);
  EXPECT_EQ(doc.Object(added).Attr(QStringLiteral("Bold")), QStringLiteral("1"));
  QCoreApplication::processEvents();
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(doc.Object(added).Has(QStringLiteral("Bold")));
  EXPECT_DOUBLE_EQ(doc.ObjectRect(added).width(), r1.width());

  // Ctrl+Z undoes the four key steps and the resize, back to the moved state.
  for (int i = 0; i < 5; ++i) QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), states[3]);
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), states[4]);

  // A rubber band over the data band selects every object in it; Shift+click drops one.
  const QRectF band = canvas->BandBody(data);
  Drag(canvas, QPointF(band.left() - 8, band.top() + 1), QPointF(band.right() + 8, band.bottom() + 1));
  EXPECT_EQ(doc.Selection().size(), doc.Band(data).children.size());
  // Several objects share their properties in the panel, but not a name.
  QCoreApplication::processEvents();
  ASSERT_GT(props->rowCount(), 0);
  EXPECT_EQ(props->item(0, 0)->text(), QStringLiteral("Vlevo (mm)"));
  QTest::mouseClick(canvas, Qt::LeftButton, Qt::ShiftModifier, canvas->ObjectPx(dropped).center().toPoint());
  EXPECT_EQ(doc.Selection().size(), doc.Band(data).children.size() - 1);
  EXPECT_FALSE(doc.IsSelected(dropped));

  // The palette: a rectangle drawn where the band is clicked, then back to selecting.
  w.findChild<QAction*>(QStringLiteral("Paleta_Rectangle"))->trigger();
  QTest::mouseClick(canvas, Qt::LeftButton, {}, (band.topLeft() + QPointF(100 * canvas->Scale(), 1)).toPoint());
  const XmlNode& rect = doc.Object(doc.Selection().front());
  EXPECT_EQ(rect.name, QStringLiteral("Rectangle"));
  EXPECT_EQ(rect.Attr(QStringLiteral("Left")), QStringLiteral("100"));
  EXPECT_TRUE(canvas->Tool().isEmpty());
  // Delete removes it.
  QTest::keyClick(&w, Qt::Key_Delete);
  EXPECT_EQ(doc.Bytes(), states[4]);

  // Dragged over the next band, the genre field moves into it; one undo brings it back.
  const QPointF from = canvas->ObjectPx(dropped).center();
  const QPointF to = from + QPointF(0, canvas->BandBody(data + 1).top() + 2 * canvas->Scale() - canvas->ObjectPx(dropped).top());
  Drag(canvas, from, to);
  ASSERT_EQ(doc.Band(data).children.size(), static_cast<size_t>(before + 1));
  const XmlNode& moved = doc.Band(data + 1).children.back();
  EXPECT_EQ(moved.text, QStringLiteral("[RptDataset1.\"Zanr\"]"));
  EXPECT_EQ(moved.Attr(QStringLiteral("Left")), QStringLiteral("20"));
  EXPECT_EQ(moved.Attr(QStringLiteral("Top")), QStringLiteral("2"));
  EXPECT_EQ(doc.Selection().front().band, data + 1);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), states[4]);

  // Preview with the real rows shows the added fields.
  int previewed = 0;
  Interaction().RunPreview = [&](TRptPreview& p) {
    ++previewed;
    EXPECT_GE(p.PageCount(), 1);
  };
  QTest::keyClick(&w, Qt::Key_F9);
  EXPECT_EQ(previewed, 1);

  // Closing with changes asks; No closes and keeps the file as it was.
  const QByteArray onDisk = ReadBytes(Ses() + QStringLiteral("SeznamFilmu.ksr"));
  w.reject();
  ASSERT_EQ(script.asked.size(), 1u);
  EXPECT_EQ(script.asked[0], QStringLiteral("Sestava „Seznam filmů“ byla změněna. Chcete změny uložit?"));
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(ReadBytes(Ses() + QStringLiteral("SeznamFilmu.ksr")), onDisk);
  EXPECT_TRUE(script.errors.empty());
  QSettings ini(report_.IniFile, QSettings::IniFormat);
  EXPECT_EQ(ini.value(QStringLiteral("Navrhar/KrokMrizky")).toDouble(), 1.0);
  EXPECT_FALSE(ini.value(QStringLiteral("Navrhar/Geometrie")).toByteArray().isEmpty());
}

TEST_F(DesignerWindowTest, PreviewRunsTheUnsavedTemplateOverTheRowsAndLeavesTheLoadedOneAlone) {
  ScriptedInteraction script;
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  const QByteArray onDisk = ReadBytes(path);
  const QByteArray loaded = WriteTemplateXml(report_.Template());
  TRptDesignerWindow w(options.Host(report_));
  DesignerDoc& doc = w.Doc();
  const int data = DataBand(doc);
  int titul = -1;
  for (int i = 0; i < static_cast<int>(doc.Band(data).children.size()); ++i)
    if (doc.Band(data).children[i].Attr(QStringLiteral("Name")) == QLatin1String("Titul1")) titul = i;
  ASSERT_GE(titul, 0);
  ASSERT_TRUE(doc.SetObjectText({data, titul}, QStringLiteral("Název filmu: [RptDataset1.\"Titul\"]")));

  // The edited text, once for every one of the thirty rows.
  int previewed = 0;
  Interaction().RunPreview = [&](TRptPreview& p) {
    ++previewed;
    EXPECT_TRUE(p.Find(QStringLiteral("Název filmu:")));
    EXPECT_EQ(p.Hits().size(), 30u);
  };
  w.findChild<QAction*>(QStringLiteral("Akce_Nahled"))->trigger();
  EXPECT_EQ(previewed, 1);
  EXPECT_TRUE(script.errors.empty()) << script.errors.front().toStdString();
  // Nothing is saved, and the report the list loaded is neither replaced nor prepared.
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(ReadBytes(path), onDisk);
  EXPECT_EQ(WriteTemplateXml(report_.Template()), loaded);
  EXPECT_TRUE(report_.Prepared().pages.empty());

  // A fault of the edited template is reported under the template's file name.
  ASSERT_TRUE(doc.SetObjectText({data, titul}, QStringLiteral("[RptDataset1.\"Titl\"]")));
  w.findChild<QAction*>(QStringLiteral("Akce_Nahled"))->trigger();
  EXPECT_EQ(previewed, 1);
  ASSERT_EQ(script.errors.size(), 1u);
  EXPECT_TRUE(script.errors[0].startsWith(QStringLiteral("Sestavu „SeznamFilmu.ksr“ nelze použít"))) << script.errors[0].toStdString();
  EXPECT_TRUE(script.errors[0].contains(QStringLiteral("„Titl“"))) << script.errors[0].toStdString();
}

TEST_F(DesignerWindowTest, SaveAsAsksBeforeOverwritingAndSettingsComeBack) {
  ScriptedInteraction script;
  ASSERT_TRUE(QFile::copy(test::ShippedTemplatePath(QStringLiteral("KartaFilmu.ksr")), Ses() + QStringLiteral("KartaFilmu.ksr")));
  TRptDesigner options;
  QString chosen;
  QString offeredFolder, offeredName;
  Interaction().ChooseTemplateFile = [&](const QString& folder, const QString& name) {
    offeredFolder = folder;
    offeredName = name;
    return chosen;
  };
  {
    TRptDesignerWindow w(options.Host(report_));
    for (QAction* a : w.findChildren<QAction*>())
      if (a->text() == QStringLiteral("2,5 mm") || a->text() == QStringLiteral("150 %")) a->trigger();
    EXPECT_DOUBLE_EQ(w.Canvas()->Scale(), 1.5 * 96 / 25.4);
    EXPECT_EQ(w.Doc().GridStep(), 2.5);
    w.findChild<QAction*>(QStringLiteral("Akce_Prichytavat"))->trigger();  // off
    // Report options through the panel: name in the table, description lines below it.
    w.findChild<QAction*>(QStringLiteral("Akce_VlastnostiSestavy"))->trigger();
    QCoreApplication::processEvents();
    auto* props = w.findChild<QTableWidget*>(QStringLiteral("Vlastnosti"));
    for (int row = 0; row < props->rowCount(); ++row)
      if (props->item(row, 0)->text() == QStringLiteral("Název sestavy")) props->item(row, 1)->setText(QStringLiteral("Kopie seznamu"));
    QCoreApplication::processEvents();
    w.findChild<QPlainTextEdit*>(QStringLiteral("Ed_Text"))->setPlainText(QStringLiteral("První řádek\nDruhý řádek"));
    QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Tl_PouzitText")), Qt::LeftButton);
    EXPECT_EQ(w.Doc().ReportName(), QStringLiteral("Kopie seznamu"));
    EXPECT_EQ(w.Doc().ReportAuthor(), QStringLiteral("Kalmetra"));
    EXPECT_EQ(w.Doc().ReportDescription(), (QStringList{"První řádek", "Druhý řádek"}));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Návrhář sestav – Kopie seznamu *"));
    // An existing other file: the answer No leaves it alone and nothing is saved.
    chosen = Ses() + QStringLiteral("KartaFilmu");
    EXPECT_FALSE(w.SaveAs());
    EXPECT_EQ(offeredFolder, QDir(Ses()).absolutePath());
    EXPECT_EQ(offeredName, QStringLiteral("SeznamFilmu.ksr"));
    ASSERT_EQ(script.asked.size(), 1u);
    EXPECT_EQ(script.asked[0], QStringLiteral("Soubor „KartaFilmu.ksr“ již existuje. Chcete jej přepsat?"));
    EXPECT_TRUE(w.Doc().Modified());
    // A file that cannot be written is reported and the document stays unsaved.
    chosen = dir_.filePath(QStringLiteral("chybi/Kopie"));
    EXPECT_FALSE(w.SaveAs());
    ASSERT_EQ(script.errors.size(), 1u);
    EXPECT_TRUE(script.errors[0].startsWith(QStringLiteral("Sestavu „Kopie.ksr“ se nepodařilo uložit"))) << script.errors[0].toStdString();
    EXPECT_EQ(w.Doc().FileName(), Ses() + QStringLiteral("SeznamFilmu.ksr"));
    EXPECT_TRUE(w.Doc().Modified());
    chosen = Ses() + QStringLiteral("Kopie.KSR");
    ASSERT_TRUE(w.SaveAs());
    EXPECT_FALSE(w.Doc().Modified());
    EXPECT_FALSE(w.SavedOver());
    w.reject();
    EXPECT_EQ(script.asked.size(), 1u);  // nothing unsaved, no question
  }
  for (const char* file : {"SeznamFilmu.ksr", "KartaFilmu.ksr"})
    EXPECT_EQ(ReadBytes(Ses() + QLatin1String(file)), ReadBytes(test::ShippedTemplatePath(QLatin1String(file)))) << file;
  EXPECT_TRUE(ReadBytes(Ses() + QStringLiteral("Kopie.KSR")).contains("ReportOptions.Name=\"Kopie seznamu\""));
  // The grid and switch come back in the next designer; a new template starts empty.
  TRptDesignerWindow again(options.Host(report_));
  EXPECT_EQ(again.Doc().GridStep(), 2.5);
  EXPECT_DOUBLE_EQ(again.Canvas()->Zoom(), 1.5);
  EXPECT_FALSE(again.Doc().Snap());
  again.findChild<QAction*>(QStringLiteral("Akce_Nova"))->trigger();
  EXPECT_EQ(again.Doc().BandCount(), 0);
  EXPECT_TRUE(again.Doc().FileName().isEmpty());
  // A new report's save as offers "Ses" beside the settings, where the last save went.
  chosen.clear();
  EXPECT_FALSE(again.SaveAs());
  EXPECT_EQ(offeredFolder, QDir(Ses()).absolutePath());
  EXPECT_EQ(offeredName, QStringLiteral("Nová sestava.ksr"));

  // Without a loaded template the designer starts a new report from its defaults,
  // unchanged until the user changes it.
  TRptReport none;
  TRptDesigner landscape;
  landscape.DefaultLandscape = true;
  landscape.DefaultMargins = 15;
  landscape.DefaultFont = QStringLiteral("Liberation Serif");
  landscape.DefaultFontSize = 12;
  TRptDesignerWindow fresh(landscape.Host(none));
  const XmlNode& page = fresh.Doc().Page();
  EXPECT_EQ(page.Attr(QStringLiteral("Width")), QStringLiteral("297"));
  EXPECT_EQ(page.Attr(QStringLiteral("Orientation")), QStringLiteral("Landscape"));
  EXPECT_EQ(page.Attr(QStringLiteral("TopMargin")), QStringLiteral("15"));
  EXPECT_FALSE(fresh.Doc().Modified());
  fresh.findChild<QAction*>(QStringLiteral("Akce_PridatMasterData"))->trigger();
  const ObjRef t = fresh.Doc().AddObject(0, QStringLiteral("Text"), 0, 0);
  EXPECT_EQ(fresh.Doc().Object(t).Attr(QStringLiteral("Font")), QStringLiteral("Liberation Serif"));
  EXPECT_EQ(fresh.Doc().Object(t).Attr(QStringLiteral("Size")), QStringLiteral("12"));
  EXPECT_TRUE(fresh.Doc().Modified());
  fresh.findChild<QAction*>(QStringLiteral("Akce_Zpet"))->trigger();
  fresh.findChild<QAction*>(QStringLiteral("Akce_Zpet"))->trigger();
  EXPECT_FALSE(fresh.Doc().Modified());
}

TEST_F(DesignerWindowTest, PaletteImageIsEmbeddedAndAFileThatIsNoImageIsRefused) {
  ScriptedInteraction script;
  QImage picture(40, 20, QImage::Format_RGB32);
  picture.fill(Qt::red);
  const QString png = dir_.filePath(QStringLiteral("obrazek.png"));
  ASSERT_TRUE(picture.save(png));
  const QString text = dir_.filePath(QStringLiteral("text.png"));
  {
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("toto není obrázek");
  }
  QString offered = png;
  Interaction().ChooseImageFile = [&](const QString&) { return offered; };
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignCanvas* canvas = w.Canvas();
  const int data = DataBand(w.Doc());
  const size_t before = w.Doc().Band(data).children.size();
  const QPoint at = (canvas->BandBody(data).topLeft() + QPointF(150 * canvas->Scale(), 2)).toPoint();

  w.findChild<QAction*>(QStringLiteral("Paleta_Image"))->trigger();
  QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
  ASSERT_EQ(w.Doc().Band(data).children.size(), before + 1);
  ReportDef def;
  QString error;
  ASSERT_TRUE(CompileTemplate(w.Doc().Root(), def, &error)) << error.toStdString();
  const ObjDef& image = def.pages[0].bands[data].objects.back();
  EXPECT_EQ(image.kind, ObjKind::Image);
  EXPECT_EQ(image.image.size(), QSize(40, 20));

  offered = text;
  w.findChild<QAction*>(QStringLiteral("Paleta_Image"))->trigger();
  QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
  EXPECT_EQ(w.Doc().Band(data).children.size(), before + 1);
  ASSERT_EQ(script.errors.size(), 1u);
  EXPECT_EQ(script.errors[0], QStringLiteral("Soubor „text.png“ není obrázek PNG ani JPEG."));
}

TEST_F(DesignerWindowTest, AnUnknownFieldIsShownWhileEditingAndAskedAboutBeforeSaving) {
  ScriptedInteraction script;
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  const QByteArray shipped = ReadBytes(path);
  TRptDesignerWindow w(options.Host(report_));
  DesignerDoc& doc = w.Doc();
  auto* warning = w.findChild<QLabel*>(QStringLiteral("La_Upozorneni"));
  ASSERT_TRUE(warning);
  EXPECT_TRUE(warning->text().isEmpty());
  const int data = DataBand(doc);
  int titul = -1;
  for (int i = 0; i < static_cast<int>(doc.Band(data).children.size()); ++i)
    if (doc.Band(data).children[i].Attr(QStringLiteral("Name")) == QLatin1String("Titul1")) titul = i;
  ASSERT_GE(titul, 0);
  ASSERT_TRUE(doc.SetObjectText({data, titul}, QStringLiteral("[RptDataset1.\"Titl\"]")));
  EXPECT_TRUE(warning->text().contains(QStringLiteral("Titul1"))) << warning->text().toStdString();
  EXPECT_TRUE(warning->text().contains(QStringLiteral("„Titl“")));

  // No: nothing is written.
  EXPECT_FALSE(w.Save());
  ASSERT_EQ(script.asked.size(), 1u);
  EXPECT_TRUE(script.asked[0].startsWith(QStringLiteral("Sestavu „SeznamFilmu.ksr“ nepůjde spustit"))) << script.asked[0].toStdString();
  EXPECT_TRUE(script.asked[0].contains(QStringLiteral("Titul1")));
  EXPECT_TRUE(script.asked[0].contains(QStringLiteral("„Titl“")));
  EXPECT_EQ(ReadBytes(path), shipped);
  EXPECT_TRUE(doc.Modified());

  // Yes: saved as it is; the engine refuses to run it but the designer opens it again.
  Interaction().Ask = [&](const QString& text) {
    script.asked.push_back(text);
    return true;
  };
  ASSERT_TRUE(w.Save());
  EXPECT_TRUE(ReadBytes(path).contains("[RptDataset1.\"Titl\"]"));
  EXPECT_FALSE(report_.LoadFromFile(path, false));
  EXPECT_FALSE(report_.Loaded());
  EXPECT_TRUE(report_.Designable());
  TRptDesignerWindow again(options.Host(report_));
  EXPECT_EQ(again.Doc().FileName(), path);
  EXPECT_EQ(again.Doc().Object({data, titul}).text, QStringLiteral("[RptDataset1.\"Titl\"]"));
  EXPECT_FALSE(again.findChild<QLabel*>(QStringLiteral("La_Upozorneni"))->text().isEmpty());
  // Mended, it runs again.
  ASSERT_TRUE(again.Doc().SetObjectText({data, titul}, QStringLiteral("[RptDataset1.\"Titul\"]")));
  EXPECT_TRUE(again.findChild<QLabel*>(QStringLiteral("La_Upozorneni"))->text().isEmpty());
  const size_t asked = script.asked.size();
  ASSERT_TRUE(again.Save());
  EXPECT_EQ(script.asked.size(), asked);
  EXPECT_TRUE(report_.LoadFromFile(path, false));
}

TEST_F(DesignerWindowTest, TypedTextIsKeptWhenTheBoxLosesFocusAndEscAsksWithStorno) {
  ScriptedInteraction script;
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  const QByteArray shipped = ReadBytes(path);
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  auto* box = w.findChild<QPlainTextEdit*>(QStringLiteral("Ed_Text"));
  const int data = DataBand(doc);
  int titul = -1;
  for (int i = 0; i < static_cast<int>(doc.Band(data).children.size()); ++i)
    if (doc.Band(data).children[i].Attr(QStringLiteral("Name")) == QLatin1String("Titul1")) titul = i;
  ASSERT_GE(titul, 0);
  const ObjRef ref{data, titul};
  const QString original = doc.Object(ref).text;

  // Typed into the box, then a click elsewhere on the canvas: the text is taken.
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(ref).center().toPoint());
  QCoreApplication::processEvents();
  ASSERT_EQ(doc.Selection(), std::vector<ObjRef>{ref});
  ASSERT_EQ(box->toPlainText(), original);
  QTest::mouseClick(box->viewport(), Qt::LeftButton);
  ASSERT_TRUE(box->hasFocus());
  QTest::keyClick(box, Qt::Key_End);
  QTest::keyClicks(box, QStringLiteral(" X"));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
  QCoreApplication::processEvents();
  EXPECT_TRUE(canvas->hasFocus());
  EXPECT_EQ(doc.Object(ref).text, original + QStringLiteral(" X"));
  EXPECT_TRUE(doc.Modified());

  // Esc, Esc: each question answered Storno keeps the designer open with the work.
  script.answers = {EngineInteraction::Answer::Cancel, EngineInteraction::Answer::Cancel};
  QTest::keyClick(canvas, Qt::Key_Escape);
  QTest::keyClick(canvas, Qt::Key_Escape);
  ASSERT_EQ(script.asked.size(), 2u);
  EXPECT_EQ(script.asked[1], QStringLiteral("Sestava „Seznam filmů“ byla změněna. Chcete změny uložit?"));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.Object(ref).text, original + QStringLiteral(" X"));
  EXPECT_EQ(ReadBytes(path), shipped);

  // Typed again and Esc straight from the box, answered Ano: all of it is saved.
  doc.Select({ref});
  QCoreApplication::processEvents();
  QTest::mouseClick(box->viewport(), Qt::LeftButton);
  QTest::keyClick(box, Qt::Key_End);
  QTest::keyClicks(box, QStringLiteral("Y"));
  script.answers = {EngineInteraction::Answer::Yes};
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.result(), QDialog::Rejected);
  EXPECT_TRUE(ReadBytes(path).contains((original + QStringLiteral(" XY")).toLatin1())) << ReadBytes(path).toStdString();
}

TEST_F(DesignerWindowTest, AnEmbeddedPhotoIsSharedByEveryUndoStepAndDecodedOnce) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  // A photo of several megabytes: noise does not compress.
  QImage photo(1200, 1100, QImage::Format_RGB888);
  QRandomGenerator random(7);
  for (int y = 0; y < photo.height(); ++y) {
    uchar* line = photo.scanLine(y);
    for (int x = 0; x < photo.width() * 3; ++x) line[x] = static_cast<uchar>(random.bounded(256));
  }
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  ASSERT_TRUE(photo.save(&buffer, "PNG"));
  ASSERT_GT(png.size(), 3'500'000);
  const ObjRef ref = doc.AddImage(DataBand(doc), png, 0, 0);
  ASSERT_GE(ref.index, 0);
  const size_t photoBytes = static_cast<size_t>(doc.Object(ref).text.size()) * sizeof(QChar);
  const size_t before = doc.HistoryTextBytes();
  const size_t stepsBefore = doc.UndoSteps();
  canvas->setFocus();
  for (int i = 0; i < 100; ++i) {
    QTest::keyClick(canvas, Qt::Key_Right);
    canvas->repaint();
  }
  ASSERT_EQ(doc.UndoSteps(), stepsBefore + 100);
  EXPECT_EQ(doc.ObjectRect(ref).left(), 100 * doc.GridStep());
  // A hundred steps hold the photo once, not a hundred times.
  EXPECT_LT(doc.HistoryTextBytes(), before + photoBytes / 10) << photoBytes;
  EXPECT_EQ(canvas->ImageDecodes(), 1);
  for (int i = 0; i < 100; ++i) {
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    canvas->repaint();
  }
  EXPECT_EQ(doc.ObjectRect(ref).left(), 0);
  EXPECT_EQ(canvas->ImageDecodes(), 1);
  // The history is bounded; the newest steps are the ones kept.
  for (int i = 0; i < 250; ++i) doc.MoveSelection(i % 2 ? -1 : 1, 0);
  EXPECT_EQ(doc.UndoSteps(), DesignerDoc::kMaxUndoSteps);
  EXPECT_LT(doc.HistoryTextBytes(), before + photoBytes / 10);
  doc.Undo();
  EXPECT_EQ(doc.ObjectRect(ref).left(), 1);
}


// A template of known geometry for the canvas: two texts in the title band, the second
// with edges off the grid.
QByteArray CanvasTemplate(const QString& titleObjects) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<Report ReportOptions.Name=\"Zkouška\" Version=\"1\">\n"
             "  <Page PaperSize=\"9\" Width=\"210\" Height=\"297\" Orientation=\"Portrait\" LeftMargin=\"10\" TopMargin=\"10\""
             " RightMargin=\"10\" BottomMargin=\"10\">\n"
             "    <Band Type=\"ReportTitle\" Name=\"ReportTitle1\" Height=\"40\">%1</Band>\n"
             "    <Band Type=\"MasterData\" Name=\"MasterData1\" DataSet=\"RptDataset1\" Height=\"6\"/>\n"
             "  </Page>\n"
             "</Report>\n")
      .arg(titleObjects)
      .toUtf8();
}

const QString kTwoTexts = QStringLiteral(
    "<Text Name=\"A\" Left=\"10\" Top=\"5\" Width=\"40\" Height=\"8\">Vlevo</Text>"
    "<Text Name=\"B\" Left=\"100.5\" Top=\"20\" Width=\"30\" Height=\"6.5\">Cíl</Text>");

double MmAttr(const XmlNode& n, const char* key) { return n.Attr(QLatin1String(key)).toDouble(); }

TEST_F(DesignerWindowTest, EveryHandleResizesFromItsSideAndABandsLowerEdgeSetsItsHeight) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  QString error;
  ASSERT_TRUE(doc.Load(CanvasTemplate(kTwoTexts), &error)) << error.toStdString();
  canvas->SetZoom(2);
  const double s = canvas->Scale();
  const ObjRef a{0, 0};
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(a).center().toPoint());
  ASSERT_EQ(doc.Selection(), std::vector<ObjRef>{a});

  // The bottom-right corner: width and height, each moved side on the grid.
  QRectF r = canvas->ObjectPx(a);
  Drag(canvas, r.bottomRight(), r.bottomRight() + QPointF(5.2 * s, 2.3 * s));
  const XmlNode* n = &doc.Object(a);
  EXPECT_EQ(MmAttr(*n, "Left"), 10);
  EXPECT_EQ(MmAttr(*n, "Top"), 5);
  EXPECT_EQ(MmAttr(*n, "Width"), 45);
  EXPECT_EQ(MmAttr(*n, "Height"), 10);
  // The left side's middle: the origin moves, the right side stays.
  r = canvas->ObjectPx(a);
  Drag(canvas, QPointF(r.left(), r.center().y()), QPointF(r.left() - 3.4 * s, r.center().y()));
  n = &doc.Object(a);
  EXPECT_EQ(MmAttr(*n, "Left"), 7);
  EXPECT_EQ(MmAttr(*n, "Width"), 48);
  EXPECT_EQ(MmAttr(*n, "Top"), 5);
  EXPECT_EQ(MmAttr(*n, "Height"), 10);
  // The top-left corner: both origins; the bottom stays.
  r = canvas->ObjectPx(a);
  Drag(canvas, r.topLeft(), r.topLeft() + QPointF(2.2 * s, 1.2 * s));
  n = &doc.Object(a);
  EXPECT_EQ(MmAttr(*n, "Left"), 9);
  EXPECT_EQ(MmAttr(*n, "Width"), 46);
  EXPECT_EQ(MmAttr(*n, "Top"), 6);
  EXPECT_EQ(MmAttr(*n, "Height"), 9);
  // Each drag was one step.
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(MmAttr(doc.Object(a), "Left"), 7);
  EXPECT_EQ(MmAttr(doc.Object(a), "Top"), 5);

  // The title band's lower edge dragged down: its height on the grid, one undo step.
  const QRectF body = canvas->BandBody(0);
  const QPointF edge(body.left() + body.width() * 0.7, body.bottom());
  Drag(canvas, edge, edge + QPointF(0, 4.4 * s));
  EXPECT_EQ(doc.Band(0).Attr(QStringLiteral("Height")), QStringLiteral("44"));
  EXPECT_EQ(doc.Band(1).Attr(QStringLiteral("Height")), QStringLiteral("6"));
  EXPECT_EQ(MmAttr(doc.Object(a), "Left"), 7);  // no object moved
  EXPECT_NEAR(canvas->BandBody(0).height(), 44 * s, 1e-6);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Band(0).Attr(QStringLiteral("Height")), QStringLiteral("40"));
  EXPECT_EQ(MmAttr(doc.Object(a), "Left"), 7);
}

TEST_F(DesignerWindowTest, MovingAndResizingSnapToTheEdgesOfOtherObjectsUnlessAltIsHeld) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  QString error;
  ASSERT_TRUE(doc.Load(CanvasTemplate(kTwoTexts), &error)) << error.toStdString();
  canvas->SetZoom(2);
  const double s = canvas->Scale();
  const ObjRef a{0, 0};
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(a).center().toPoint());
  ASSERT_EQ(doc.Selection(), std::vector<ObjRef>{a});

  // Moved so that its right side comes near B's right (130.5) and its top near B's
  // bottom (26.5): both are caught there, where the grid alone gives 90 and 26.
  const QPointF from = canvas->ObjectPx(a).center();
  Drag(canvas, from, from + QPointF(80.3 * s, 21.3 * s));
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("90.5"));
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Top")), QStringLiteral("26.5"));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(MmAttr(doc.Object(a), "Left"), 10);

  // Far from any edge, the grid holds.
  Drag(canvas, from, from + QPointF(30.3 * s, 0));
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("40"));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);

  // The right side resized near B's left side (100.5) is caught by it.
  const QRectF r = canvas->ObjectPx(a);
  Drag(canvas, QPointF(r.right(), r.center().y()), QPointF(r.right() + 50.3 * s, r.center().y()));
  EXPECT_EQ(doc.Object(a).Attr(QStringLiteral("Width")), QStringLiteral("90.5"));
  EXPECT_EQ(MmAttr(doc.Object(a), "Left"), 10);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);

  // With Alt held, neither edges nor the grid catch it: the mouse's own way.
  const int dx = static_cast<int>(std::lround(80.3 * s));
  Drag(canvas, from, from + QPointF(dx, 0), Qt::AltModifier);
  EXPECT_NEAR(MmAttr(doc.Object(a), "Left"), 10 + dx / s, 0.01);
  EXPECT_NE(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("90.5"));
  EXPECT_NE(doc.Object(a).Attr(QStringLiteral("Left")), QStringLiteral("90"));
}

TEST_F(DesignerWindowTest, CtrlWheelStepsTheZoomAndPageWidthFitsTheView) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignCanvas* canvas = w.Canvas();
  ASSERT_DOUBLE_EQ(canvas->Zoom(), 1.0);
  auto wheel = [&](int steps, Qt::KeyboardModifiers mods) {
    const QPointF at = canvas->BandBody(0).center();
    QWheelEvent e(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &e);
  };
  wheel(1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(canvas->Zoom(), 1.5);
  const int wide = canvas->width();
  wheel(1, Qt::ControlModifier);
  wheel(1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(canvas->Zoom(), 3.0);
  wheel(-1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(canvas->Zoom(), 2.0);
  EXPECT_GT(canvas->width(), wide);
  for (int i = 0; i < 10; ++i) wheel(-1, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.5);
  wheel(1, {});  // without Ctrl the wheel scrolls
  EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.5);

  // Page width: the whole sheet just fits the view.
  auto* fit = w.findChild<QAction*>(QStringLiteral("Akce_NaSirkuStranky"));
  ASSERT_TRUE(fit);
  EXPECT_EQ(fit->text(), QStringLiteral("Na šířku stránky"));
  fit->trigger();
  auto* scroll = w.findChild<QScrollArea*>();
  ASSERT_TRUE(scroll);
  const int view = scroll->viewport()->width();
  EXPECT_LE(canvas->width(), view);
  EXPECT_GE(canvas->width(), view - 3);
  const double fitted = canvas->Zoom();
  EXPECT_NE(fitted, 0.5);
  w.reject();
  QSettings ini(report_.IniFile, QSettings::IniFormat);
  EXPECT_DOUBLE_EQ(ini.value(QStringLiteral("Navrhar/Zvetseni")).toDouble(), fitted);
}

// The box of the dark pixels of an image within a rectangle, relative to it.
QRect InkBox(const QImage& image, const QRect& area) {
  QRect box;
  for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
    for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
      if (qGray(image.pixel(x, y)) < 110) box |= QRect(x - area.left(), y - area.top(), 1, 1);
  return box;
}

TEST_F(DesignerWindowTest, TheCanvasPaintsTextsWhereTheOutputPrintsThem) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  // Alignments, padding, a turned text and a justified wrapped one.
  const QString objects = QStringLiteral(
      "<Text Name=\"Vpravo\" Left=\"5\" Top=\"2\" Width=\"80\" Height=\"6\" Font=\"Arial\" Size=\"10\" HAlign=\"Right\">Vpravo</Text>"
      "<Text Name=\"Vlevo\" Left=\"5\" Top=\"10\" Width=\"80\" Height=\"6\" Font=\"Arial\" Size=\"10\">Vlevo</Text>"
      "<Text Name=\"Stred\" Left=\"5\" Top=\"18\" Width=\"80\" Height=\"8\" Font=\"Arial\" Size=\"10\" HAlign=\"Center\""
      " VAlign=\"Bottom\">Na střed</Text>"
      "<Text Name=\"Otoceny\" Left=\"100\" Top=\"2\" Width=\"8\" Height=\"30\" Font=\"Arial\" Size=\"10\" Rotation=\"90\">Otočený</Text>"
      "<Text Name=\"DoBloku\" Left=\"120\" Top=\"2\" Width=\"45\" Height=\"30\" Font=\"Arial\" Size=\"10\" HAlign=\"Justify\""
      " WordWrap=\"1\">Text do bloku, zalomený na několik řádků tak, jak jej tiskne sestava.</Text>");
  const QByteArray bytes = CanvasTemplate(objects);
  QString error;
  ASSERT_TRUE(doc.Load(bytes, &error)) << error.toStdString();
  doc.Select({});
  canvas->SetZoom(2);
  const double s = canvas->Scale();
  const QImage shown = canvas->grab().toImage();

  // The output of the same band: prepared by the engine and painted by its renderer.
  XmlNode root;
  ASSERT_TRUE(ReadTemplateXml(bytes, root, &error));
  ReportDef def;
  ASSERT_TRUE(CompileTemplate(root, def, &error)) << error.toStdString();
  MemorySource none(QStringLiteral("RptDataset1"), {QStringLiteral("Titul")});
  PreparedReport out;
  ASSERT_TRUE(PrepareReport(def, none, out, &error)) << error.toStdString();
  ASSERT_FALSE(out.pages.empty());
  QImage printed(static_cast<int>(210 * s) + 1, static_cast<int>(297 * s) + 1, QImage::Format_RGB32);
  printed.fill(Qt::white);
  {
    QPainter p(&printed);
    Renderer(out).Paint(p, 0, s);
  }
  const int count = static_cast<int>(doc.Band(0).children.size());
  ASSERT_EQ(count, 5);
  for (int i = 0; i < count; ++i) {
    const QRectF mm = doc.ObjectRect({0, i});
    const QRect onCanvas = canvas->ObjectPx({0, i}).toRect();
    const QRect onPage = QRectF((10 + mm.left()) * s, (10 + mm.top()) * s, mm.width() * s, mm.height() * s).toRect();
    const QRect a = InkBox(shown, onCanvas), b = InkBox(printed, onPage);
    const QString name = doc.Object({0, i}).Attr(QStringLiteral("Name"));
    ASSERT_FALSE(b.isEmpty()) << name.toStdString();
    EXPECT_LE(std::abs(a.left() - b.left()), 2) << name.toStdString();
    EXPECT_LE(std::abs(a.right() - b.right()), 2) << name.toStdString();
    EXPECT_LE(std::abs(a.top() - b.top()), 2) << name.toStdString();
    EXPECT_LE(std::abs(a.bottom() - b.bottom()), 2) << name.toStdString();
  }
  // And a right-aligned text ends at its box's right side less the padding, where a
  // left-aligned one starts at its left side plus it.
  const QRect right = InkBox(shown, canvas->ObjectPx({0, 0}).toRect());
  const QRect left = InkBox(shown, canvas->ObjectPx({0, 1}).toRect());
  EXPECT_NEAR(right.right(), (80 - 0.5) * s, 3);
  EXPECT_NEAR(left.left(), 0.5 * s, 3);
}

// The panel's row for a label: its editor widget, or null for a row typed in the cell.
int PropRow(QTableWidget* props, const QString& label) {
  for (int row = 0; row < props->rowCount(); ++row)
    if (props->item(row, 0)->text() == label) return row;
  return -1;
}

template <class W>
W* PropEditor(QTableWidget* props, const QString& label) {
  QCoreApplication::processEvents();  // the panel is rebuilt after every change
  const int row = PropRow(props, label);
  EXPECT_GE(row, 0) << label.toStdString();
  if (row < 0) return nullptr;
  QWidget* w = props->cellWidget(row, 1);
  W* typed = qobject_cast<W*>(w);
  if (!typed && w) typed = w->findChild<W*>();
  EXPECT_TRUE(typed) << label.toStdString();
  return typed;
}

// Every text the panel shows: labels, drop-down entries, buttons, boxes, typed cells.
QStringList ShownInPanel(QTableWidget* props) {
  QCoreApplication::processEvents();
  QStringList shown;
  for (int row = 0; row < props->rowCount(); ++row) {
    shown << props->item(row, 0)->text();
    QWidget* w = props->cellWidget(row, 1);
    if (!w) {
      shown << props->item(row, 1)->text();
      continue;
    }
    std::vector<QWidget*> all{w};
    for (QWidget* c : w->findChildren<QWidget*>()) all.push_back(c);
    for (QWidget* c : all) {
      if (auto* combo = qobject_cast<QComboBox*>(c))
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      if (auto* button = qobject_cast<QAbstractButton*>(c)) shown << button->text() << button->toolTip();
      if (auto* spin = qobject_cast<QAbstractSpinBox*>(c)) shown << spin->text();
    }
  }
  return shown;
}

void ChooseInCombo(QTableWidget* props, const QString& label, const QString& entry) {
  // As with the keyboard: down the list until the entry shows.
  for (int i = 0; i < 8; ++i) {
    auto* combo = PropEditor<QComboBox>(props, label);
    ASSERT_TRUE(combo);
    if (combo->currentText() == entry) return;
    combo->setFocus();
    QTest::keyClick(combo, combo->findText(entry) < combo->currentIndex() ? Qt::Key_Up : Qt::Key_Down);
  }
  FAIL() << "no entry " << entry.toStdString();
}

// The list opened with F4, the entry found in it and taken with Enter: one change.
void PickInCombo(QTableWidget* props, const QString& label, const QString& entry) {
  auto* combo = PropEditor<QComboBox>(props, label);
  ASSERT_TRUE(combo);
  const int i = combo->findText(entry);
  ASSERT_GE(i, 0) << entry.toStdString();
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_F4);
  QAbstractItemView* list = combo->view();
  ASSERT_TRUE(list->isVisible());
  for (int step = 0; step < combo->count() && list->currentIndex().row() != i; ++step)
    QTest::keyClick(list, list->currentIndex().row() < i ? Qt::Key_Down : Qt::Key_Up);
  QTest::keyClick(list, Qt::Key_Return);
  QCoreApplication::processEvents();
}

TEST_F(DesignerWindowTest, TypedPropertyEditorsWriteTheTemplatesOwnValues) {
  ScriptedInteraction script;
  QFont offered;
  int fontDialogs = 0;
  Interaction().ChooseFont = [&](QFont& font) {
    ++fontDialogs;
    offered = font;
    font = QFont(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(14.5);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    return true;
  };
  QColor offeredColor;
  Interaction().ChooseColor = [&](QColor& color) {
    offeredColor = color;
    color = QColor(0x1E, 0x90, 0xFF);
    return true;
  };
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  auto* props = w.findChild<QTableWidget*>(QStringLiteral("Vlastnosti"));
  ASSERT_TRUE(props);
  const int data = DataBand(doc);
  const ObjRef rok{data, 1};
  ASSERT_EQ(doc.Object(rok).Attr(QStringLiteral("Name")), QStringLiteral("Rok1"));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(rok).center().toPoint());
  ASSERT_EQ(doc.Selection(), std::vector<ObjRef>{rok});

  // No keyword of the file shows anywhere in the panel of a text, a band or the page.
  static const QRegularExpression english(
      QStringLiteral("\\b(Left|Center|Right|Justify|Top|Bottom|All|Portrait|Landscape|MasterData|ReportTitle|"
                     "PageHeader|ColumnHeader|GroupHeader|GroupFooter|PageFooter|ReportSummary|true)\\b"));
  auto noEnglish = [&] {
    const QStringList shown = ShownInPanel(props);
    EXPECT_GT(shown.size(), 10);
    for (const QString& s : shown) EXPECT_FALSE(english.match(s).hasMatch()) << s.toStdString();
  };
  noEnglish();

  // The wheel over a box not entered scrolls past it, the value left alone.
  auto wheel = [](QWidget* target) {
    ASSERT_TRUE(target);
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(target, &e);
  };
  const QByteArray unchanged = doc.Bytes();
  wheel(PropEditor<QDoubleSpinBox>(props, QStringLiteral("Nahoře (mm)")));
  wheel(PropEditor<QComboBox>(props, QStringLiteral("Svisle")));
  QCoreApplication::processEvents();
  EXPECT_EQ(doc.Bytes(), unchanged);

  // The font dialog starts from the object's font and sets all five attributes as one step.
  auto* font = PropEditor<QPushButton>(props, QStringLiteral("Písmo"));
  ASSERT_TRUE(font);
  EXPECT_EQ(font->text(), QStringLiteral("Arial, 9 pt"));
  QTest::mouseClick(font, Qt::LeftButton);
  EXPECT_EQ(fontDialogs, 1);
  EXPECT_EQ(offered.family(), QStringLiteral("Arial"));
  EXPECT_EQ(offered.pointSizeF(), 9);
  EXPECT_FALSE(offered.bold());
  EXPECT_EQ(doc.UndoName(), QStringLiteral("Změnit písmo"));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(doc.Object(rok).Has(QStringLiteral("Bold")));
  EXPECT_EQ(doc.Object(rok).Attr(QStringLiteral("Font")), QStringLiteral("Arial"));
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(PropEditor<QPushButton>(props, QStringLiteral("Písmo"))->text(),
            QStringLiteral("DejaVu Serif, 14,5 pt, tučné, kurzíva, podtržené"));

  // Alignment from a drop-down of Czech names.
  auto* halign = PropEditor<QComboBox>(props, QStringLiteral("Vodorovně"));
  ASSERT_TRUE(halign);
  EXPECT_EQ(halign->currentText(), QStringLiteral("Vlevo"));
  ChooseInCombo(props, QStringLiteral("Vodorovně"), QStringLiteral("Vpravo"));
  EXPECT_EQ(doc.Object(rok).Attr(QStringLiteral("HAlign")), QStringLiteral("Right"));

  // A millimetre typed with a decimal comma and Enter.
  auto* left = PropEditor<QDoubleSpinBox>(props, QStringLiteral("Vlevo (mm)"));
  ASSERT_TRUE(left);
  EXPECT_EQ(left->text(), QStringLiteral("72,00 mm"));
  QLineEdit* leftEdit = left->findChild<QLineEdit*>();
  QTest::mouseClick(leftEdit, Qt::LeftButton);
  QTest::keyClick(leftEdit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(leftEdit, QStringLiteral("12,5"));
  EXPECT_EQ(doc.Object(rok).Attr(QStringLiteral("Left")), QStringLiteral("72"));  // not while typing
  QTest::keyClick(leftEdit, Qt::Key_Return);
  EXPECT_EQ(doc.Object(rok).Attr(QStringLiteral("Left")), QStringLiteral("12.5"));
  EXPECT_EQ(PropEditor<QDoubleSpinBox>(props, QStringLiteral("Vlevo (mm)"))->text(), QStringLiteral("12,50 mm"));

  // Frame sides as check boxes.
  auto frameBox = [&](const QString& side) -> QCheckBox* {
    auto* any = PropEditor<QCheckBox>(props, QStringLiteral("Rámeček"));
    if (!any) return nullptr;
    for (QCheckBox* box : any->parentWidget()->findChildren<QCheckBox*>())
      if (box->text() == side) return box;
    return nullptr;
  };
  ASSERT_TRUE(frameBox(QStringLiteral("Vlevo")));
  QTest::mouseClick(frameBox(QStringLiteral("Vlevo")), Qt::LeftButton);
  QTest::mouseClick(frameBox(QStringLiteral("Dole")), Qt::LeftButton);
  EXPECT_EQ(doc.Object(rok).Attr(QStringLiteral("Frame")), QStringLiteral("Left,Bottom"));

  // A colour through the dialog, starting from black, the colour of a text without one.
  QTest::mouseClick(PropEditor<QToolButton>(props, QStringLiteral("Barva")), Qt::LeftButton);
  EXPECT_EQ(offeredColor, QColor(Qt::black));
  noEnglish();

  // Saved, the element carries exactly the values the template format knows.
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  const QByteArray saved = ReadBytes(path);
  EXPECT_TRUE(saved.contains("<Text Name=\"Rok1\" Left=\"12.5\" Top=\"0.6\" Width=\"13\" Height=\"4.2\" Font=\"DejaVu Serif\" "
                             "Size=\"14.5\" Bold=\"1\" Italic=\"1\" Underline=\"1\" HAlign=\"Right\" Frame=\"Left,Bottom\" "
                             "Color=\"#1E90FF\">[RptDataset1.\"Rok\"]</Text>"))
      << saved.toStdString();
  EXPECT_TRUE(report_.LoadFromFile(path, false));

  // A new rectangle is framed all round, as the engine draws it; a side taken off leaves three.
  const ObjRef rect = doc.AddObject(data, QStringLiteral("Rectangle"), 150, 0);
  ASSERT_FALSE(doc.Object(rect).Has(QStringLiteral("Frame")));
  for (const QString& side : {QStringLiteral("Vlevo"), QStringLiteral("Nahoře"), QStringLiteral("Vpravo"), QStringLiteral("Dole")})
    EXPECT_TRUE(frameBox(side)->isChecked()) << side.toStdString();
  QTest::mouseClick(frameBox(QStringLiteral("Vlevo")), Qt::LeftButton);
  EXPECT_EQ(doc.Object(rect).Attr(QStringLiteral("Frame")), QStringLiteral("Top,Right,Bottom"));
  // A missing width shows the engine's own, not nought.
  ASSERT_FALSE(doc.Object(rect).Has(QStringLiteral("FrameWidth")));
  EXPECT_EQ(PropEditor<QDoubleSpinBox>(props, QStringLiteral("Šířka rámečku (mm)"))->text(), QStringLiteral("0,20 mm"));

  // The band: its type among Czech names.
  doc.Select({});
  doc.SetCurrentBand(data);
  EXPECT_EQ(PropEditor<QComboBox>(props, QStringLiteral("Druh pásu"))->currentText(), QStringLiteral("Data"));
  noEnglish();

  // The page: orientation and paper from drop-downs, the sides following them.
  w.findChild<QAction*>(QStringLiteral("Akce_VlastnostiSestavy"))->trigger();
  EXPECT_EQ(PropEditor<QComboBox>(props, QStringLiteral("Papír"))->currentText(), QStringLiteral("A4"));
  noEnglish();
  ChooseInCombo(props, QStringLiteral("Orientace"), QStringLiteral("Na šířku"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Orientation")), QStringLiteral("Landscape"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("297"));
  PickInCombo(props, QStringLiteral("Papír"), QStringLiteral("A5"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("PaperSize")), QStringLiteral("11"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("210"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Height")), QStringLiteral("148"));
  EXPECT_EQ(doc.UndoName(), QStringLiteral("Změnit papír"));
  EXPECT_EQ(PropEditor<QDoubleSpinBox>(props, QStringLiteral("Šířka papíru (mm)"))->text(), QStringLiteral("210,00 mm"));
  // A custom paper keeps its sides and stays custom, though they are those of A5.
  PickInCombo(props, QStringLiteral("Papír"), QStringLiteral("Vlastní"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("PaperSize")), QStringLiteral("256"));
  EXPECT_EQ(doc.Page().Attr(QStringLiteral("Width")), QStringLiteral("210"));
  EXPECT_EQ(PropEditor<QComboBox>(props, QStringLiteral("Papír"))->currentText(), QStringLiteral("Vlastní"));
  EXPECT_TRUE(script.errors.empty()) << script.errors.front().toStdString();
}

TEST_F(DesignerWindowTest, TheUndoMenuNamesItsStepAndCtrlShiftZRedoes) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  auto* undo = w.findChild<QAction*>(QStringLiteral("Akce_Zpet"));
  auto* redo = w.findChild<QAction*>(QStringLiteral("Akce_Znovu"));
  ASSERT_TRUE(undo && redo);
  auto shown = [](QAction* a) { return a->text().remove(u'&'); };
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět"));
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(shown(redo), QStringLiteral("Znovu"));
  EXPECT_FALSE(redo->isEnabled());

  const ObjRef rok{DataBand(doc), 1};
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(rok).center().toPoint());
  canvas->setFocus();
  QTest::keyClick(canvas, Qt::Key_Right);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět: Přesunout"));
  EXPECT_TRUE(undo->isEnabled());
  QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět: Změnit velikost"));
  const QByteArray resized = doc.Bytes();

  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět: Přesunout"));
  EXPECT_EQ(shown(redo), QStringLiteral("Znovu: Změnit velikost"));
  EXPECT_TRUE(redo->isEnabled());
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(doc.Bytes(), resized);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět: Změnit velikost"));
  EXPECT_EQ(shown(redo), QStringLiteral("Znovu"));
  EXPECT_FALSE(redo->isEnabled());
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět"));
  EXPECT_FALSE(undo->isEnabled());
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(shown(undo), QStringLiteral("Zpět: Přesunout"));
}

TEST_F(DesignerWindowTest, ObjectsCopiedInOneDesignerPasteInAnother) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow first(options.Host(report_));
  first.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
  QApplication::setActiveWindow(&first);
  const ObjRef heading{0, 0};
  ASSERT_EQ(first.Doc().Object(heading).text, QStringLiteral("Seznam filmů"));
  QTest::mouseClick(first.Canvas(), Qt::LeftButton, {}, first.Canvas()->ObjectPx(heading).center().toPoint());
  ASSERT_EQ(first.Doc().Selection(), std::vector<ObjRef>{heading});
  QTest::keyClick(&first, Qt::Key_C, Qt::ControlModifier);
  first.hide();

  // A second window on a new report: a band, then Ctrl+V.
  DesignerHost host;
  host.DataSet = &films_;
  TRptDesignerWindow second(host);
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
  QApplication::setActiveWindow(&second);
  ASSERT_EQ(second.Doc().BandCount(), 0);
  second.findChild<QAction*>(QStringLiteral("Akce_PridatReportTitle"))->trigger();
  ASSERT_EQ(second.Doc().BandCount(), 1);
  EXPECT_TRUE(second.findChild<QAction*>(QStringLiteral("Akce_Vlozit"))->isEnabled());
  QTest::keyClick(&second, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(second.Doc().Band(0).children.size(), 1u);
  const XmlNode& pasted = second.Doc().Band(0).children[0];
  EXPECT_EQ(pasted.text, QStringLiteral("Seznam filmů"));
  EXPECT_EQ(pasted.Attr(QStringLiteral("Size")), QStringLiteral("18"));
  EXPECT_EQ(pasted.Attr(QStringLiteral("Bold")), QStringLiteral("1"));
  EXPECT_EQ(second.findChild<QAction*>(QStringLiteral("Akce_Zpet"))->text().remove(u'&'), QStringLiteral("Zpět: Vložit"));
}

// The object of a band by its name; -1 when it has none.
int ObjectNamed(const DesignerDoc& doc, int band, const QString& name) {
  for (int i = 0; i < static_cast<int>(doc.Band(band).children.size()); ++i)
    if (doc.Band(band).children[i].Attr(QStringLiteral("Name")) == name) return i;
  return -1;
}

// The helper's list, open, and a click on its item with this caption.
void ChooseInHelper(QWidget& w, const QString& caption) {
  QListWidget* list = nullptr;
  for (QListWidget* l : w.findChildren<QListWidget*>(QStringLiteral("NapovedaVyrazu")))
    if (l->isVisible()) list = l;
  ASSERT_TRUE(list);
  QListWidgetItem* item = list->findItems(caption, Qt::MatchExactly).value(0);
  ASSERT_TRUE(item) << caption.toStdString();
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The open context menu and a click on its entry.
void ChooseInMenu(QWidget& w, const QString& text) {
  QMenu* menu = nullptr;
  for (QMenu* m : w.findChildren<QMenu*>(QStringLiteral("KontextovaNabidka")))
    if (m->isVisible()) menu = m;
  ASSERT_TRUE(menu);
  QAction* action = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == text) action = a;
  ASSERT_TRUE(action) << text.toStdString();
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Whether some characters of the box's first line carry the red wavy underline.
bool WavyUnderlined(QPlainTextEdit* box, int from, int length) {
  for (const QTextLayout::FormatRange& f : box->document()->firstBlock().layout()->formats())
    if (f.format.underlineStyle() == QTextCharFormat::WaveUnderline && f.start <= from && f.start + f.length >= from + length)
      return true;
  return false;
}

TEST_F(DesignerWindowTest, ATextIsEditedOnTheCanvasAndFieldsAreInsertedByTheirCaptions) {
  ScriptedInteraction script;
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  const int data = DataBand(doc);
  const ObjRef titul{data, ObjectNamed(doc, data, QStringLiteral("Titul1"))};
  ASSERT_GE(titul.index, 0);
  const size_t steps = doc.UndoSteps();

  // A double click opens the editor over the object; Home, Ctrl+Space, "Stopáž" puts the
  // field in at the cursor, typed text follows it, and Ctrl+Enter applies it all.
  QTest::mouseDClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(titul).center().toPoint());
  auto* editor = canvas->findChild<QPlainTextEdit*>(QStringLiteral("Ed_TextNaPlose"));
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->isVisible());
  QCoreApplication::processEvents();  // as the event loop runs before anyone types
  EXPECT_TRUE(editor->hasFocus());
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("[RptDataset1.\"Titul\"]"));
  QTest::keyClick(editor, Qt::Key_Home);
  QTest::keyClick(editor, Qt::Key_Space, Qt::ControlModifier);
  ChooseInHelper(w, QStringLiteral("Stopáž"));
  EXPECT_TRUE(editor->hasFocus());
  QTest::keyClicks(editor, QStringLiteral(" min, "));
  EXPECT_EQ(editor->toPlainText(), QStringLiteral("[RptDataset1.\"Stopaz\"] min, [RptDataset1.\"Titul\"]"));
  // A field the data set lacks is underlined while typing; a known one is not.
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral(" [RptDataset1.\"Titl\"]"));
  const int unknownAt = static_cast<int>(editor->toPlainText().indexOf(QStringLiteral("[RptDataset1.\"Titl\"]")));
  EXPECT_TRUE(WavyUnderlined(editor, unknownAt, 20));
  EXPECT_FALSE(WavyUnderlined(editor, 0, 22));
  for (int i = 0; i < 21; ++i) QTest::keyClick(editor, Qt::Key_Backspace);
  EXPECT_FALSE(WavyUnderlined(editor, unknownAt, 1));
  QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(canvas->findChild<QPlainTextEdit*>(QStringLiteral("Ed_TextNaPlose")));
  EXPECT_TRUE(canvas->hasFocus());
  const QString edited = QStringLiteral("[RptDataset1.\"Stopaz\"] min, [RptDataset1.\"Titul\"]");
  EXPECT_EQ(doc.Object(titul).text, edited);
  EXPECT_EQ(doc.UndoSteps(), steps + 1);

  // Esc drops what was typed; leaving the editor for the canvas applies it.
  QTest::mouseDClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(titul).center().toPoint());
  editor = canvas->findChild<QPlainTextEdit*>(QStringLiteral("Ed_TextNaPlose"));
  ASSERT_TRUE(editor);
  QTest::keyClicks(editor, QStringLiteral("zahozeno"));
  QTest::keyClick(editor, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(doc.Object(titul).text, edited);
  EXPECT_EQ(doc.UndoSteps(), steps + 1);
  QTest::mouseDClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(titul).center().toPoint());
  editor = canvas->findChild<QPlainTextEdit*>(QStringLiteral("Ed_TextNaPlose"));
  ASSERT_TRUE(editor);
  QTest::keyClicks(editor, QStringLiteral("!"));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(doc.Object(titul).text, edited + u'!');
  EXPECT_EQ(doc.UndoSteps(), steps + 2);

  // The panel's text box has the same helper: its button, an aggregate and the page number.
  doc.Select({titul});
  QCoreApplication::processEvents();
  auto* box = w.findChild<QPlainTextEdit*>(QStringLiteral("Ed_Text"));
  ASSERT_TRUE(box);
  box->setFocus();
  QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
  QTest::mouseClick(w.findChild<QToolButton*>(QStringLiteral("Tl_VlozitVyraz")), Qt::LeftButton);
  ChooseInHelper(w, QStringLiteral("Součet Stopáž"));
  QTest::keyClick(box, Qt::Key_Space, Qt::ControlModifier);
  ChooseInHelper(w, QStringLiteral("Číslo stránky"));
  QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Tl_PouzitText")), Qt::LeftButton);
  const QString total = edited + QStringLiteral("![SUM(RptDataset1.\"Stopaz\")][Page#]");
  EXPECT_EQ(doc.Object(titul).text, total);

  // Saved as typed; the engine runs it.
  ASSERT_TRUE(w.Save());
  EXPECT_TRUE(script.errors.empty()) << script.errors.front().toStdString();
  EXPECT_TRUE(ReadBytes(path).contains(total.toUtf8().replace("\"", "&quot;")) || ReadBytes(path).contains(total.toUtf8()))
      << ReadBytes(path).toStdString();
  EXPECT_TRUE(report_.LoadFromFile(path, false));
}

TEST(DesignerFields, TheCanvasShowsReferencesByTheirCaptions) {
  const QStringList fields = test::FilmFields();
  EXPECT_EQ(CanvasText(QStringLiteral("[RptDataset1.\"Stopaz\"] min, [RptDataset1.\"Titul\"]"), fields),
            QStringLiteral("[Stopáž] min, [Titul]"));
  EXPECT_EQ(CanvasText(QStringLiteral("Celkem [SUM(RptDataset1.\"Stopaz\")], nejstarší [MIN([RptDataset1.\"Rok\"])]"), fields),
            QStringLiteral("Celkem [Součet Stopáž], nejstarší [Nejmenší Rok]"));
  EXPECT_EQ(CanvasText(QStringLiteral("Strana [Page#] z [TotalPages#], [Date] [Time], [Line#]. z [COUNT]"), fields),
            QStringLiteral("Strana [Číslo stránky] z [Počet stránek], [Datum] [Čas], [Číslo řádku]. z [Počet]"));
  // What is not a reference to a known field stays as written: an unknown field, another
  // data set, a mistyped reference, plain brackets, an escaped and an unclosed bracket.
  for (const char* same : {"[RptDataset1.\"Titl\"]", "[Jiny.\"Titul\"]", "[RptDataset1.Ti tul]", "[poznámka]",
                           "[[RptDataset1.\"Titul\"]", "Rok [RptDataset1.\"Rok\"", ""})
    EXPECT_EQ(CanvasText(QString::fromUtf8(same), fields), QString::fromUtf8(same)) << same;
  // Without a data set there is nothing to check against: captions all the same.
  EXPECT_EQ(CanvasText(QStringLiteral("[RptDataset1.\"Rezie\"]/[RptDataset1.\"Vlastni\"]"), {}),
            QStringLiteral("[Režie]/[Vlastni]"));
}

TEST_F(DesignerWindowTest, TheTreeSelectsAHiddenObjectAndTheMenuReordersIt) {
  ScriptedInteraction script;
  TRptDesigner options;
  const QString path = Ses() + QStringLiteral("SeznamFilmu.ksr");
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QApplication::setActiveWindow(&w);
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  auto* tree = w.findChild<QTreeWidget*>(QStringLiteral("StromSestavy"));
  ASSERT_TRUE(tree);
  const int data = DataBand(doc);
  const ObjRef titul{data, ObjectNamed(doc, data, QStringLiteral("Titul1"))};
  ASSERT_EQ(titul.index, 0);
  // A rectangle laid exactly over the title hides it from the mouse.
  const QRectF r = doc.ObjectRect(titul);
  const ObjRef cover = doc.AddObject(data, QStringLiteral("Rectangle"), r.left(), r.top());
  ASSERT_GE(cover.index, 0);
  ASSERT_TRUE(doc.SetObjectAttr(cover, QStringLiteral("Width"), DesignerDoc::FormatMm(r.width())));
  ASSERT_TRUE(doc.SetObjectAttr(cover, QStringLiteral("Height"), DesignerDoc::FormatMm(r.height())));
  ASSERT_TRUE(doc.SetObjectAttr(cover, QStringLiteral("Top"), DesignerDoc::FormatMm(r.top())));
  const QString coverName = doc.Object(cover).Attr(QStringLiteral("Name"));

  // Bands by their Czech names, objects by theirs; a click on the canvas shows in the tree.
  QTreeWidgetItem* band = tree->topLevelItem(data);
  ASSERT_TRUE(band);
  EXPECT_EQ(band->text(0), QStringLiteral("Data: MasterData1"));
  EXPECT_EQ(tree->topLevelItem(data - 1)->text(0), QStringLiteral("Záhlaví sloupců: ColumnHeader1"));
  ASSERT_EQ(band->childCount(), static_cast<int>(doc.Band(data).children.size()));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->ObjectPx(titul).center().toPoint());
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{cover});
  ASSERT_TRUE(tree->currentItem());
  EXPECT_EQ(tree->currentItem()->text(0), coverName);
  // A click on the hidden title's row selects it.
  QTreeWidgetItem* titulRow = band->child(titul.index);
  ASSERT_EQ(titulRow->text(0), QStringLiteral("Titul1"));
  tree->scrollToItem(titulRow);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(titulRow).center());
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{titul});

  // The tree's menu brings it to the front: last in its band, one undo step.
  const QByteArray before = doc.Bytes();
  QContextMenuEvent onRow(QContextMenuEvent::Mouse, tree->visualItemRect(titulRow).center(),
                          tree->viewport()->mapToGlobal(tree->visualItemRect(titulRow).center()));
  QApplication::sendEvent(tree->viewport(), &onRow);
  ChooseInMenu(w, QStringLiteral("Do popředí"));
  ASSERT_EQ(ObjectNamed(doc, data, QStringLiteral("Titul1")), static_cast<int>(doc.Band(data).children.size()) - 1);
  EXPECT_EQ(doc.Object(doc.Selection().front()).Attr(QStringLiteral("Name")), QStringLiteral("Titul1"));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), before);
  QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);

  // On the canvas the title is now the one under the mouse; "Do pozadí" sends it back to
  // the start of the band and the file says so.
  const ObjRef front{data, ObjectNamed(doc, data, QStringLiteral("Titul1"))};
  const QPoint at = canvas->ObjectPx(front).center().toPoint();
  QContextMenuEvent onCanvas(QContextMenuEvent::Mouse, at, canvas->mapToGlobal(at));
  QApplication::sendEvent(canvas, &onCanvas);
  EXPECT_EQ(doc.Object(doc.Selection().front()).Attr(QStringLiteral("Name")), QStringLiteral("Titul1"));
  const size_t steps = doc.UndoSteps();
  ChooseInMenu(w, QStringLiteral("Do pozadí"));
  EXPECT_EQ(doc.UndoSteps(), steps + 1);
  EXPECT_EQ(ObjectNamed(doc, data, QStringLiteral("Titul1")), 0);
  EXPECT_EQ(doc.Selection(), std::vector<ObjRef>{titul});
  ASSERT_TRUE(w.Save());
  const QByteArray saved = ReadBytes(path);
  const qsizetype titulAt = saved.indexOf("Name=\"Titul1\""), coverAt = saved.indexOf("Name=\"" + coverName.toUtf8() + "\"");
  ASSERT_GE(titulAt, 0);
  ASSERT_GE(coverAt, 0);
  EXPECT_LT(titulAt, coverAt);
  EXPECT_LT(titulAt, saved.indexOf("Name=\"Rok1\""));

  // "Smazat" from the menu deletes the selection; "Vlastnosti" takes to the panel.
  QApplication::sendEvent(canvas, &onCanvas);
  const QString top = doc.Object(doc.Selection().front()).Attr(QStringLiteral("Name"));
  EXPECT_EQ(top, coverName);
  ChooseInMenu(w, QStringLiteral("Smazat"));
  EXPECT_EQ(ObjectNamed(doc, data, coverName), -1);
  QApplication::sendEvent(canvas, &onCanvas);
  ChooseInMenu(w, QStringLiteral("Vlastnosti"));
  EXPECT_TRUE(w.findChild<QTableWidget*>(QStringLiteral("Vlastnosti"))->hasFocus());
}

TEST_F(DesignerWindowTest, AFieldDroppedOnTheDataBandGetsItsCaptionInTheColumnHeader) {
  ScriptedInteraction script;
  TRptDesigner options;
  TRptDesignerWindow w(options.Host(report_));
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  DesignerDoc& doc = w.Doc();
  DesignCanvas* canvas = w.Canvas();
  auto* fields = w.findChild<QListWidget*>(QStringLiteral("SeznamPoli"));
  ASSERT_TRUE(fields);
  // The list shows captions; what it drags out is the field.
  QListWidgetItem* stopaz = fields->findItems(QStringLiteral("Stopáž"), Qt::MatchExactly).value(0);
  ASSERT_TRUE(stopaz);
  EXPECT_TRUE(fields->findItems(QStringLiteral("Stopaz"), Qt::MatchExactly).isEmpty());
  std::unique_ptr<QMimeData> mime(fields->model()->mimeData({fields->indexFromItem(stopaz)}));
  ASSERT_TRUE(mime);
  auto drop = [&](int band, QPointF mm) {
    const QPointF at = canvas->BandBody(band).topLeft() + mm * canvas->Scale();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &move);
    QDropEvent dropped(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(canvas, &dropped);
  };
  auto columnHeader = [&] {
    for (int b = 0; b < doc.BandCount(); ++b)
      if (doc.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("ColumnHeader")) return b;
    return -1;
  };

  // Onto the list's data band: the bound text there, the caption above it in the header.
  int data = DataBand(doc);
  int header = columnHeader();
  ASSERT_EQ(header, data - 1);
  const size_t headerBefore = doc.Band(header).children.size(), dataBefore = doc.Band(data).children.size();
  const QByteArray before = doc.Bytes();
  drop(data, QPointF(150.3, 0.2));
  ASSERT_EQ(doc.Band(data).children.size(), dataBefore + 1);
  ASSERT_EQ(doc.Band(header).children.size(), headerBefore + 1);
  const XmlNode& bound = doc.Band(data).children.back();
  const XmlNode& caption = doc.Band(header).children.back();
  EXPECT_EQ(bound.text, QStringLiteral("[RptDataset1.\"Stopaz\"]"));
  EXPECT_EQ(caption.text, QStringLiteral("Stopáž"));
  EXPECT_EQ(bound.Attr(QStringLiteral("Left")), QStringLiteral("150"));
  EXPECT_EQ(caption.Attr(QStringLiteral("Left")), bound.Attr(QStringLiteral("Left")));
  EXPECT_EQ(caption.Attr(QStringLiteral("Width")), bound.Attr(QStringLiteral("Width")));
  EXPECT_EQ(caption.Attr(QStringLiteral("Bold")), QStringLiteral("1"));
  EXPECT_EQ(doc.Object(doc.Selection().front()).text, bound.text);
  // One undo step takes both back.
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), before);

  // A report without a column header gets one, above the data band.
  doc.RemoveBand(header);
  ASSERT_EQ(columnHeader(), -1);
  data = DataBand(doc);
  const QByteArray withoutHeader = doc.Bytes();
  drop(data, QPointF(40, 1));
  header = columnHeader();
  ASSERT_GE(header, 0);
  EXPECT_EQ(DataBand(doc), header + 1);
  ASSERT_EQ(doc.Band(header).children.size(), 1u);
  const XmlNode& made = doc.Band(header).children.front();
  const XmlNode& field = doc.Band(header + 1).children.back();
  EXPECT_EQ(made.text, QStringLiteral("Stopáž"));
  EXPECT_EQ(field.text, QStringLiteral("[RptDataset1.\"Stopaz\"]"));
  EXPECT_EQ(made.Attr(QStringLiteral("Left")), QStringLiteral("40"));
  EXPECT_EQ(made.Attr(QStringLiteral("Left")), field.Attr(QStringLiteral("Left")));
  EXPECT_EQ(made.Attr(QStringLiteral("Width")), field.Attr(QStringLiteral("Width")));
  // Saved and run: the caption heads the column on the page.
  ASSERT_TRUE(w.Save());
  ASSERT_TRUE(report_.LoadFromFile(Ses() + QStringLiteral("SeznamFilmu.ksr"), false));
  QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc.Bytes(), withoutHeader);
  // Dropped on another band it is the field alone.
  const int title = 0;
  const size_t bands = static_cast<size_t>(doc.BandCount());
  drop(title, QPointF(10, 1));
  EXPECT_EQ(static_cast<size_t>(doc.BandCount()), bands);
  EXPECT_EQ(doc.Band(title).children.back().text, QStringLiteral("[RptDataset1.\"Stopaz\"]"));
  EXPECT_EQ(columnHeader(), -1);
  EXPECT_TRUE(script.errors.empty());
}

}  // namespace
}  // namespace rpt
