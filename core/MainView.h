#pragma once
#include <cstdint>
#include <string>

namespace qz {

// Colours are the platform's colour numbers: blue-green-red from the high to the low byte; a value
// with the top bit set names a system colour (0x80000000 + index).
using Colour = uint32_t;
inline constexpr Colour kOrange = 33023;    // 0x0080FF
inline constexpr Colour kDarkGreen = 26112; // 0x006600
inline constexpr Colour kWhite = 16777215;  // 0xFFFFFF
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kButtonFace = 0x8000000F;
inline constexpr Colour kButtonText = 0x80000012;
inline constexpr Colour kWindowBackground = 0x80000005;

struct LabelView {
    std::string text;
    Colour fore = kButtonText;
    Colour back = kButtonFace;
    bool bold = false;
};

struct ButtonView {
    std::string caption;
    std::string tooltip;
    bool enabled = true;
};

struct MenuItemView {
    std::string caption;
    bool visible = true;
    bool enabled = true;
};

enum class WindowState { Normal, Minimised };

// Everything the main window shows. The program writes it; a front end renders it after every event.
struct MainView {
    std::string caption = "Quenzel";
    LabelView title;      // the status sentence: what happens when
    LabelView counter;    // the activation, idle or countdown seconds
    LabelView statusLine; // which watched processes run, and the link's mark
    ButtonView update{"&Update", "Look on the Quenzel web site for the latest version of Quenzel"};
    ButtonView configure{"&Configure", ""};
    ButtonView reset{"&Reset", ""}; // "&Cancel" during the countdown
    ButtonView about{"&About", ""};
    ButtonView exit{"&Exit", ""};
    ButtonView test{"&Test", ""};

    MenuItemView menuAbout{"About Quenzel", true, true};
    MenuItemView menuCancel{"Cancel", false, true}; // shown only during the countdown
    MenuItemView menuConfigure{"Configure", true, true};
    MenuItemView menuMinimise{"Minimise", true, true};
    MenuItemView menuReset{"Reset", true, true};
    MenuItemView menuRestore{"Restore", true, true};
    MenuItemView menuTest{"Test", true, true};
    MenuItemView menuUpdate{"Update", true, true};
    MenuItemView menuExit{"Close Quenzel", true, true};

    WindowState state = WindowState::Normal;
    bool hidden = false; // minimised into the tray
    bool topMost = false;
    bool closeAllowed = true;   // the window menu's Close command
    int centreRequests = 0;     // raised each time the window is to be centred on the screen
    int foregroundRequests = 0; // raised each time the user calls the window to the front
    int popupRequests = 0;      // raised each time the popup menu is to open at the mouse position

    std::string trayKey; // "Start", "Activate", "Activity", "NoActivity", "Shutdown"; empty = no icon
    std::string trayTip = "Quenzel";
    // Whether the desktop has a tray, as the front end last reported it: without one, minimising
    // does not hide the window, which could not be found again.
    bool trayAvailable = true;

    // Said once as a countdown begins, beside the window: what will happen, when, and how to stop
    // it. A front end shows the text each time the serial goes up.
    std::string notice;
    unsigned noticeSerial = 0;
};

} // namespace qz
