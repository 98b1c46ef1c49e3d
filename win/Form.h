#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/MainView.h"
#include "screens/config/ConfigView.h"

namespace qz::win {

// A place in a window, in pixels at 96 dots an inch; the form scales it to the screen's.
struct Box {
    int x, y, w, h;
};

enum class Look {
    Plain,
    Wrap,    // a label over several lines
    Centre,  // a label centred in its box
    Right,   // a label set to the right of its box
    Large,   // a label in a larger face
    Link,    // a label underlined, acting on a click
    Logo,    // the product's logo, acting on a click
    Warning, // the system's warning icon
};

// The controls of one window, their fonts, tooltips and colours. Every control shows one part of
// the window's view; the colours it was last shown in answer the window's WM_CTLCOLOR* messages.
class Form {
  public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    ~Form();

    // The window the controls go into; sizes follow its screen's dots per inch.
    void Attach(HWND window);
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    HWND Add(Look look, const wchar_t* kind, DWORD style, Box at, int id);
    // The window has moved to a screen of other dots per inch (WM_DPICHANGED): sizes and faces follow.
    void Rescale(int dpi);
    // The hand shows over the control: it acts on a click.
    void MarkClickable(HWND control) { clickable_.push_back(control); }

    void Show(HWND control, const LabelView& view, Look look);
    void Show(HWND control, const ButtonView& view);
    void Show(HWND control, const TextFieldView& view);
    void Show(HWND control, const CheckBoxView& view);
    void Show(HWND control, const ListView& view);

    // The answer to WM_CTLCOLORSTATIC or WM_CTLCOLOREDIT for a control of this form.
    std::optional<LRESULT> Colour(HWND control, HDC dc);
    // Paints an owner-drawn picture (WM_DRAWITEM).
    void Draw(const DRAWITEMSTRUCT& item);
    // Shows the hand over a control that acts on a click (WM_SETCURSOR); false for any other.
    bool SetCursorFor(HWND control) const;
    HWND Tooltip() const { return tooltip_; }
    // True while the form writes its controls: the notifications that causes are not the user's.
    bool Rendering() const { return rendering_ > 0; }
    HWND Window() const { return window_; }

  protected:
    struct Guard {
        explicit Guard(Form& form) : form_(form) { ++form_.rendering_; }
        ~Guard() { --form_.rendering_; }
        Form& form_;
    };

  private:
    struct Paint {
        qz::Colour fore, back;
    };
    HFONT Font(bool bold, Look look);
    HBRUSH Brush(COLORREF colour);
    void SetTip(HWND control, const std::string& tip);
    void SetEnabled(HWND control, bool enabled);

    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    struct Placed {
        HWND window;
        Box at;
        Look look;
    };
    int dpi_ = 96;
    int systemDpi_ = 96;
    std::vector<Placed> placed_;
    std::map<int, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<HWND, Paint> paints_;
    std::map<HWND, std::wstring> tips_;
    std::map<HWND, std::vector<std::string>> items_;
    std::vector<HWND> clickable_;
    int rendering_ = 0;
};

// COLORREF of a colour number of the program; a system colour is asked of the system.
COLORREF ToColorRef(Colour colour);
// A control's own window text, as UTF-8.
std::string TextOf(HWND control);
// Sets a window's text when it differs, so a field keeps its caret and nothing flickers.
void SetText(HWND window, const std::wstring& text);

// One row of a window's control table: the control's name, the part of the view it shows, where
// it sits, how it looks, and the handler its user action runs (if any).
template <class View, class Logic> struct Control {
    // The part as a function of the view, so a part inside a row of the view can be named too.
    template <class T> using Of = T& (*)(View&);
    using Part = std::variant<std::monostate, Of<std::string>, Of<LabelView>, Of<ButtonView>,
                              Of<TextFieldView>, Of<CheckBoxView>, Of<ListView>>;
    const char* name;
    Part part;
    Box at;
    Look look = Look::Plain;
    void (Logic::*click)() = nullptr;                    // buttons, links and pictures
    void (Logic::*tick)(bool) = nullptr;                 // check boxes; none = the box only ticks
    void (Logic::*choose)(const std::string&) = nullptr; // lists
};

// A window's controls made from its table: built once, shown from the view after every event, and
// the user's actions turned into the logic's handlers.
template <class View, class Logic> class ViewForm : public Form {
  public:
    using Row = Control<View, Logic>;
    static constexpr int kFirstId = 1000;

    void Build(HWND window, std::vector<Row> rows) {
        Attach(window);
        rows_ = std::move(rows);
        for (size_t i = 0; i < rows_.size(); ++i) {
            const Row& row = rows_[i];
            const int id = kFirstId + static_cast<int>(i);
            handles_.push_back(std::visit(
                [&](auto part) {
                    using P = decltype(part);
                    if constexpr (std::is_same_v<P, typename Row::template Of<ButtonView>>)
                        return Add(row.look, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, row.at, id);
                    else if constexpr (std::is_same_v<P, typename Row::template Of<TextFieldView>>)
                        return Add(row.look, L"EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, row.at, id);
                    else if constexpr (std::is_same_v<P, typename Row::template Of<CheckBoxView>>)
                        return Add(row.look, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, row.at, id);
                    else if constexpr (std::is_same_v<P, typename Row::template Of<ListView>>)
                        return Add(row.look, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   {row.at.x, row.at.y, row.at.w, 200}, id);
                    else
                        return Add(row.look, L"STATIC", SS_NOPREFIX, row.at, id);
                },
                row.part));
            if (row.click) MarkClickable(handles_.back());
        }
    }

    void Render(const View& view) {
        Guard guard(*this);
        for (size_t i = 0; i < rows_.size(); ++i) {
            std::visit(
                [&](auto part) {
                    if constexpr (std::is_same_v<decltype(part), typename Row::template Of<LabelView>>)
                        Show(handles_[i], part(const_cast<View&>(view)), rows_[i].look);
                    else if constexpr (std::is_same_v<decltype(part), typename Row::template Of<std::string>>)
                        Show(handles_[i], LabelView{part(const_cast<View&>(view))},
                             rows_[i].look); // a plain text
                    else if constexpr (!std::is_same_v<decltype(part), std::monostate>)
                        Show(handles_[i], part(const_cast<View&>(view)));
                },
                rows_[i].part);
        }
    }

    // The handler a WM_COMMAND of a control asks for; nothing for any other notification.
    std::function<void()> Action(Logic& logic, View& view, WPARAM wParam, LPARAM lParam) {
        const int index = LOWORD(wParam) - kFirstId;
        if (Rendering() || index < 0 || index >= static_cast<int>(rows_.size())) return {};
        const Row& row = rows_[static_cast<size_t>(index)];
        const HWND control = reinterpret_cast<HWND>(lParam);
        const WORD code = HIWORD(wParam);
        return std::visit(
            [&](auto part) -> std::function<void()> {
                using P = decltype(part);
                if constexpr (std::is_same_v<P, typename Row::template Of<TextFieldView>>) {
                    if (code != EN_CHANGE) return {};
                    // Typing only changes the field's text; the screen checks it when it is saved.
                    return [&view, part, text = TextOf(control)] { part(view).text = text; };
                } else if constexpr (std::is_same_v<P, typename Row::template Of<CheckBoxView>>) {
                    if (code != BN_CLICKED) return {};
                    const bool ticked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
                    if (row.tick) return [&logic, tick = row.tick, ticked] { (logic.*tick)(ticked); };
                    return [&view, part, ticked] { part(view).checked = ticked; };
                } else if constexpr (std::is_same_v<P, typename Row::template Of<ListView>>) {
                    if (code != CBN_SELCHANGE || !row.choose) return {};
                    const LRESULT chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
                    const auto& items = part(view).items;
                    if (chosen < 0 || static_cast<size_t>(chosen) >= items.size()) return {};
                    return [&logic, choose = row.choose, item = items[static_cast<size_t>(chosen)]] {
                        (logic.*choose)(item);
                    };
                } else {
                    if ((code != BN_CLICKED && code != STN_CLICKED) || !row.click) return {};
                    return [&logic, click = row.click] { (logic.*click)(); };
                }
            },
            row.part);
    }

    // A control by its name in the table; null when there is none.
    HWND Find(const std::string& name) const {
        for (size_t i = 0; i < rows_.size(); ++i)
            if (name == rows_[i].name) return handles_[i];
        return nullptr;
    }

  private:
    std::vector<Row> rows_;
    std::vector<HWND> handles_;
};

} // namespace qz::win
