#pragma once
#include <QColor>
#include <QPalette>
#include <QString>
#include <string>

#include "core/MainView.h"
#include "screens/config/ConfigView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qz {

// A colour number of the program as Qt paints it; system colours are taken from the palette.
QColor ToQColor(Colour colour, const QPalette& palette);

// Setting texts are UTF-8 where they are valid UTF-8 and single-byte text otherwise (a file written
// by another editor); both are shown as the characters they stand for. What the user types is UTF-8.
QString FromViewText(const std::string& text);
std::string ToViewText(const QString& text);

// Each widget shows its part of a view: text, colours, look, tooltip, enabled state.
void Show(QLabel& label, const LabelView& view);
void Show(QLineEdit& field, const TextFieldView& view);
void Show(QCheckBox& box, const CheckBoxView& view);
void Show(QComboBox& list, const ListView& view);
void Show(QPushButton& button, const ButtonView& view);

} // namespace qz
