// Typed editors of the designer's property panel: millimetre spin boxes in the Czech
// locale, drop-downs and check boxes with Czech names, colour and font buttons. Each
// hands the attribute value the template file holds to a commit function, once per
// finished edit; the user never sees nor types the file's keywords.
#pragma once

#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace rpt {

using CommitValue = std::function<void(const QString& value)>;

// A number with a suffix (" mm", " pt", or none), in the Czech locale (decimal comma),
// within [low, high]; committed on Enter, on leaving the box or on a step.
QWidget* MakeNumberEditor(QWidget* parent, const QString& current, double fallback, double low, double high,
                          int decimals, const QString& suffix, CommitValue commit);

// A drop-down of (Czech label, file value) pairs. A current value the list lacks selects
// fallbackIndex, or is added as it stands when fallbackIndex is -1.
QWidget* MakeChoiceEditor(QWidget* parent, const std::vector<std::pair<QString, QString>>& choices,
                          const QString& current, int fallbackIndex, CommitValue commit);

// Check boxes for the four sides of a frame; commits "All", the sides joined by commas,
// or an empty text (no frame).
QWidget* MakeFrameEditor(QWidget* parent, const QString& current, CommitValue commit);

// A swatch that opens the colour dialog (Interaction().ChooseColor), and a button that
// takes the colour away when clearable; commits "#RRGGBB" or an empty text.
QWidget* MakeColorEditor(QWidget* parent, const QString& current, const QString& defaultColor, bool clearable,
                         CommitValue commit);

// A button naming the font that opens the font dialog (Interaction().ChooseFont) and
// commits the Font, Size, Bold, Italic and Underline attributes together.
struct FontAttrs {
  QString family;
  double size = 10;
  bool bold = false, italic = false, underline = false;
};
QWidget* MakeFontEditor(QWidget* parent, const FontAttrs& current,
                        std::function<void(const std::vector<std::pair<QString, QString>>& attrs)> commit);

}  // namespace rpt
