// The new report wizard of the designer: a list, a grouped list or a card per film laid
// out from chosen fields, and the dialog that asks for them.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "designer_fields.h"
#include "template.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace rpt {


enum class WizardLayout { List, GroupedList, Card };

struct WizardChoice {
  WizardLayout layout = WizardLayout::List;
  QStringList fields;  // field names, in the order of the columns
  QString groupField;  // the grouped list's
  QString title = QStringLiteral("Seznam filmů");
  bool landscape = false;
};

// The template of the choice on the page of `blank` (a new report: paper, margins; turned
// to the chosen orientation), texts in the given font family.
XmlNode BuildWizardTemplate(const WizardChoice& choice, const XmlNode& blank, const QString& font);

// "Průvodce novou sestavou": layout, fields and their order, title and orientation.
class TRptWizard : public QDialog {
  Q_OBJECT

 public:
  // fields: the data set's fields; the catalogue's when empty.
  TRptWizard(const QStringList& fields, bool landscape, QWidget* parent = nullptr);

  int Step() const;
  WizardChoice Choice() const;

  void accept() override;

 private:
  void GoTo(int step);
  void MoveChosen(int delta);
  void AddField();
  void RemoveField();
  void LayoutChanged();
  void Refresh();

  QStackedWidget* steps_ = nullptr;
  QListWidget* layouts_ = nullptr;
  QListWidget* available_ = nullptr;
  QListWidget* chosen_ = nullptr;
  QLabel* groupLabel_ = nullptr;
  QComboBox* group_ = nullptr;
  QLineEdit* title_ = nullptr;
  QRadioButton* portrait_ = nullptr;
  QRadioButton* landscape_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* finish_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QString defaultTitle_;
};

// Shows the wizard until it is closed; true when it was finished. Tests put their own in.
std::function<bool(TRptWizard&)>& WizardRunner();

// What "Nová sestava" starts from: the user is asked whether to use the wizard; without
// it the blank template, with it the wizard's, and none when the wizard is cancelled.
std::optional<XmlNode> OfferNewReportWizard(const XmlNode& blank, const QStringList& fields, const QString& font,
                                            QWidget* parent);

}  // namespace rpt
