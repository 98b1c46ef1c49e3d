#pragma once
#include <string>

namespace qz {

// Opens a page of the product's web site ("index.htm", "software/misc/update.htm?ID=15&Ver=1.6")
// in the user's browser, reporting a failure itself.
class PageOpener {
  public:
    virtual ~PageOpener() = default;
    virtual void OpenWebPage(const std::string& page) = 0;
};

// What only a real main window can do. The Qt front end implements it; quenzeld and the tests
// supply their own.
class WindowHost : public PageOpener {
  public:
    // Show the About or the configuration screen, not modal. The screen sets screenOpen (and its
    // close count) when it loads; when it unloads it runs MainWindowModel::EnableMainControls and
    // clears screenOpen.
    virtual void ShowAbout() = 0;
    virtual void ShowConfig() = 0;
    // Unload the screen if it is open; nothing otherwise.
    virtual void UnloadAbout() = 0;
    virtual void UnloadConfig() = 0;
};

} // namespace qz
