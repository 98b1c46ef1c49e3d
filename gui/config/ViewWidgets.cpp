#include "gui/config/ViewWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <array>
#include <utility>

namespace qz {
namespace {

constexpr Colour kSystemColour = 0x80000000;

// The system colours the program names, by index, and the palette roles that stand for them.
constexpr std::array<std::pair<Colour, QPalette::ColorRole>, 4> kSystemRoles{{
    {5, QPalette::Base},        // window background: the inside of a text field
    {8, QPalette::Text},        // window text
    {15, QPalette::Button},     // button face
    {18, QPalette::ButtonText}, // button text
}};

QColor Paint(Colour colour) {
    return ToQColor(colour, QApplication::palette());
}

void SetBold(QWidget& widget, bool bold) {
    QFont font = widget.font();
    if (font.bold() == bold) return;
    font.setBold(bold);
    widget.setFont(font);
}

void SetColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    if (widget.palette().color(role) == colour) return;
    QPalette palette = widget.palette();
    palette.setColor(role, colour); // in every colour group, so a disabled widget keeps it
    widget.setPalette(palette);
}

} // namespace

QColor ToQColor(Colour colour, const QPalette& palette) {
    if (colour & kSystemColour) {
        const Colour index = colour & ~kSystemColour;
        for (const auto& [systemIndex, role] : kSystemRoles) {
            if (systemIndex == index) return palette.color(role);
        }
        return palette.color(QPalette::Window);
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QString FromViewText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToViewText(const QString& text) {
    return text.toStdString();
}

void Show(QLabel& label, const LabelView& view) {
    label.setTextFormat(Qt::PlainText);
    label.setText(FromViewText(view.text));
    SetColour(label, QPalette::WindowText, Paint(view.fore));
    SetColour(label, QPalette::Window, Paint(view.back));
    // A label on the button face is see-through, like the dialog around it.
    label.setAutoFillBackground(view.back != kButtonFace);
    SetBold(label, view.bold);
}

void Show(QLineEdit& field, const TextFieldView& view) {
    const QString text = FromViewText(view.text);
    // Only a change from outside is written back, so the cursor stays where the user types.
    if (field.text() != text) field.setText(text);
    field.setToolTip(FromViewText(view.tooltip));
    field.setEnabled(view.enabled);
    field.setReadOnly(view.readOnly);
    SetColour(field, QPalette::Base, Paint(view.back));
}

void Show(QCheckBox& box, const CheckBoxView& view) {
    box.setChecked(view.checked);
    box.setToolTip(FromViewText(view.tooltip));
    box.setEnabled(view.enabled);
}

void Show(QComboBox& list, const ListView& view) {
    QStringList items;
    for (const std::string& item : view.items)
        items.append(FromViewText(item));
    bool same = list.count() == items.size();
    for (int i = 0; same && i < list.count(); ++i)
        same = list.itemText(i) == items[i];
    if (!same) {
        list.clear();
        list.addItems(items);
    }
    // The lists compare their texts exactly; an unknown text shows no item.
    list.setCurrentIndex(static_cast<int>(items.indexOf(FromViewText(view.text))));
    list.setToolTip(FromViewText(view.tooltip));
}

void Show(QPushButton& button, const ButtonView& view) {
    button.setText(FromViewText(view.caption));
    button.setToolTip(FromViewText(view.tooltip));
    button.setEnabled(view.enabled);
}

} // namespace qz
