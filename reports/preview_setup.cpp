// The preview's page setup, which prepares the report again, and its settings kept in
// the report settings file.
#include "preview.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>

#include <algorithm>
#include <cmath>

#include "expression.h"
#include "interaction.h"

namespace rpt {

bool TRptPreview::ApplyPageSetup(double width, double height, double left, double top, double right, double bottom) {
  if (!host_.Prepare) return false;
  QString why;
  if (!CheckPageGeometry(width, height, left, top, right, bottom, &why)) {
    Interaction().ShowError(QStringLiteral("Vzhled stránky nelze použít: %1.").arg(why));
    return false;
  }
  PageDef pg = pageDef_;
  pg.width = width;
  pg.height = height;
  pg.landscape = width > height;
  pg.leftMargin = left;
  pg.topMargin = top;
  pg.rightMargin = right;
  pg.bottomMargin = bottom;
  // The host replaces the pages only once they are complete; the hits, the status and
  // the renderer follow here at once, before any event can paint or find.
  if (!host_.Prepare(pg)) return false;
  pageDef_ = pg;
  renderer_ = std::make_unique<Renderer>(Prepared());
  view_->SetRenderer(renderer_.get());
  hits_.clear();
  hit_ = -1;
  view_->SetHits(&hits_, hit_);
  searched_.clear();
  status_->clear();
  page_ = std::min(page_, std::max(0, PageCount() - 1));
  RebuildThumbnails();
  Refresh();
  UpdateZoom();
  return true;
}

void TRptPreview::PageSetup() {
  if (!host_.Prepare) return;
  const PageDef& pg = pageDef_;
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Vzhled stránky"));
  auto* form = new QFormLayout(&dialog);
  auto* paper = new QComboBox(&dialog);
  struct Paper {
    const char16_t* name;
    double w, h;
  };
  static const Paper papers[] = {{u"A4 (210 × 297 mm)", 210, 297}, {u"A5 (148 × 210 mm)", 148, 210},
                                 {u"A3 (297 × 420 mm)", 297, 420}, {u"Letter (216 × 279 mm)", 215.9, 279.4}};
  const double shortSide = std::min(pg.width, pg.height), longSide = std::max(pg.width, pg.height);
  for (const Paper& p : papers) paper->addItem(QString::fromUtf16(p.name));
  // A size of no listed paper is offered as it is, so that OK alone never changes it.
  paper->addItem(QStringLiteral("Vlastní (%1 × %2 mm)").arg(FormatNumber(shortSide), FormatNumber(longSide)));
  paper->setCurrentIndex(4);
  for (int i = 0; i < 4; ++i)
    if (std::abs(papers[i].w - shortSide) < 0.5 && std::abs(papers[i].h - longSide) < 0.5) paper->setCurrentIndex(i);
  auto* orientation = new QComboBox(&dialog);
  orientation->addItems({QStringLiteral("Na výšku"), QStringLiteral("Na šířku")});
  orientation->setCurrentIndex(pg.width > pg.height ? 1 : 0);
  form->addRow(QStringLiteral("Papír:"), paper);
  form->addRow(QStringLiteral("Orientace:"), orientation);
  auto margin = [&](const QString& label, double value) {
    auto* spin = new QDoubleSpinBox(&dialog);
    spin->setRange(0, 100);
    spin->setDecimals(1);
    spin->setSuffix(QStringLiteral(" mm"));
    spin->setValue(value);
    form->addRow(label, spin);
    return spin;
  };
  QDoubleSpinBox* left = margin(QStringLiteral("Levý okraj:"), pg.leftMargin);
  QDoubleSpinBox* top = margin(QStringLiteral("Horní okraj:"), pg.topMargin);
  QDoubleSpinBox* right = margin(QStringLiteral("Pravý okraj:"), pg.rightMargin);
  QDoubleSpinBox* bottom = margin(QStringLiteral("Dolní okraj:"), pg.bottomMargin);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ok"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  const int chosen = paper->currentIndex();
  const Paper p = chosen < 4 ? papers[chosen] : Paper{nullptr, shortSide, longSide};
  const bool landscape = orientation->currentIndex() == 1;
  ApplyPageSetup(landscape ? p.h : p.w, landscape ? p.w : p.h, left->value(), top->value(), right->value(),
                 bottom->value());
}

void TRptPreview::LoadSettings() {
  if (host_.iniFile.isEmpty()) {
    SetThumbnailsVisible(true);
    return;
  }
  QSettings ini(host_.iniFile, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Nahled"));
  const QString zoom = ini.value(QStringLiteral("Zvetseni")).toString();
  if (zoom == QLatin1String("stranka")) mode_ = ZoomMode::WholePage;
  else if (zoom == QLatin1String("sirka")) mode_ = ZoomMode::PageWidth;
  else if (const int z = zoom.toInt(); z >= 25 && z <= 400) zoom_ = z / 100.0;
  const QString columns = ini.value(QStringLiteral("Rozlozeni")).toString();
  columns_ = columns == QLatin1String("dve")    ? PageColumns::Two
             : columns == QLatin1String("vice") ? PageColumns::Many
                                                : PageColumns::One;
  columnsBox_->setCurrentIndex(columnsBox_->findData(static_cast<int>(columns_)));
  const QByteArray geometry = ini.value(QStringLiteral("Geometrie")).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  SetThumbnailsVisible(ini.value(QStringLiteral("Miniatury"), true).toBool());
}

void TRptPreview::SaveSettings() {
  if (host_.iniFile.isEmpty()) return;
  QSettings ini(host_.iniFile, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Nahled"));
  ini.setValue(QStringLiteral("Zvetseni"), mode_ == ZoomMode::WholePage   ? QStringLiteral("stranka")
                                           : mode_ == ZoomMode::PageWidth ? QStringLiteral("sirka")
                                                                          : QString::number(static_cast<int>(zoom_ * 100 + 0.5)));
  ini.setValue(QStringLiteral("Rozlozeni"), columns_ == PageColumns::Two    ? QStringLiteral("dve")
                                            : columns_ == PageColumns::Many ? QStringLiteral("vice")
                                                                            : QStringLiteral("jedna"));
  ini.setValue(QStringLiteral("Geometrie"), saveGeometry());
  ini.setValue(QStringLiteral("Miniatury"), ThumbnailsVisible());
}

}  // namespace rpt
