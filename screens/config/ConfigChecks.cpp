#include <exception>
#include <string_view>

#include "config/Numbers.h"
#include "config/Validation.h"
#include "screens/config/ListItems.h"
#include "screens/config/ConfigScreen.h"

namespace qz {
namespace {

constexpr std::string_view kDelTimeHint = "sec (min 60, max 10800)";

void Mark(LabelView& hint) {
    hint.fore = kOrange;
    hint.bold = true;
}

void Unmark(LabelView& hint) {
    hint.fore = kDarkGreen;
    hint.bold = false;
}

bool Outside(double value, double min, double max) {
    return value < min || value > max;
}

bool Outside(size_t length, size_t min, size_t max) {
    return length < min || length > max;
}

bool Outside(const TextFieldView& field, double min, double max) {
    return Outside(LeadingNumber(field.text), min, max);
}

// Switched off: button face and disabled; live: window background and enabled.
void SetLive(TextFieldView& field, bool live) {
    field.back = live ? kWindowBackground : kButtonFace;
    field.enabled = live;
}

// A field a failed check switches on, so the user can correct it whatever the mode.
void MakeEditable(TextFieldView& field) {
    SetLive(field, true);
    field.readOnly = false;
}

// Whether the fourth character from the end is "." (for a shorter name, the first character).
bool DotBeforeExtension(std::string_view name) {
    if (TextLength(name) < 4) return !name.empty() && name.front() == '.';
    for (size_t dot = name.find('.'); dot != std::string_view::npos; dot = name.find('.', dot + 1)) {
        if (TextLength(name.substr(dot + 1)) == 3) return true;
    }
    return false;
}

bool FolderExists(const FileSys& files, const std::string& path) {
    try {
        return files.FolderExists(path);
    } catch (const std::exception&) {
        return false; // a path the file layer cannot handle is no folder
    }
}

// Field texts may hold the separator, so it is escaped to keep different fields from giving one snapshot.
void AppendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        if (c == ',' || c == '\\') out += '\\';
        out += c;
    }
}

} // namespace

void ConfigScreen::ClearHighlights() {
    ConfigView& v = view;
    for (LabelView* hint : {&v.IPAddM, &v.ComDelayM, &v.LogLevelM, &v.LogNameM, &v.LogPathM, &v.Port1M,
                            &v.Port2M, &v.Proc1M, &v.Proc2M, &v.Proc3M, &v.ProcDelayM, &v.ShutTimeM,
                            &v.ShutTypeM, &v.StartDelayM, &v.DelTimeM, &v.StopTimeM}) {
        Unmark(*hint);
    }
    v.DelTimeM.text = kDelTimeHint;
    v.Status.text.clear();
}

void ConfigScreen::EnableFields() {
    ConfigView& v = view;
    if (SlaveMode()) {
        for (TextFieldView* field : {&v.DelTimeT, &v.StopTimeT}) {
            SetLive(*field, false);
            field->readOnly = true;
        }
        v.Del_OnT.enabled = false;
        v.Stop_OnT.enabled = false;
        MakeEditable(v.ComDelayT);
    } else {
        v.Del_OnT.enabled = true;
        v.Stop_OnT.enabled = true;
        SetLive(v.DelTimeT, v.Del_OnT.checked);
        v.DelTimeT.readOnly = false;
        SetLive(v.StopTimeT, v.Stop_OnT.checked);
        v.StopTimeT.readOnly = false;
        SetLive(v.ComDelayT, false);
        v.ComDelayT.readOnly = true;
    }
    v.ForceT.enabled = workingShutType < 4 || workingShutType > 6;
}

void ConfigScreen::ReadShutType() {
    auto code = CodeOf(kShutNameItems, view.ShutNameT.text);
    if (!code) return;
    workingShutType = *code;
    if (*code >= 5) view.ShutTypeM.text.clear();
}

void ConfigScreen::ReadLogLevel() {
    if (auto code = CodeOf(kLogLevelItems, view.LogLevelT.text)) workingLogLevel = *code;
}

int16_t ConfigScreen::ValidateFields() {
    ClearHighlights();
    EnableFields();
    ReadShutType();
    ReadLogLevel();

    ConfigView& v = view;
    const std::string& address = v.IPAddT.text;
    const bool domain = v.DNameT.checked;
    const bool validIP = IsValidIP(address);
    const bool monitor = workingShutType == 4;
    int16_t count = 0;
    auto check = [&count](bool fails, LabelView& hint) {
        if (!fails) return false;
        ++count;
        Mark(hint);
        return true;
    };

    check(!domain && !address.empty() && !validIP, v.IPAddM);
    check(domain && (TextLength(address) > 100 || validIP), v.IPAddM);
    if (check(Outside(v.ComDelayT, 5, 600), v.ComDelayM)) MakeEditable(v.ComDelayT);
    check(Outside(v.DelTimeT, 60, 10800), v.DelTimeM);
    check(workingLogLevel < 1 || workingLogLevel > 3, v.LogLevelM);
    check(!DotBeforeExtension(v.LogNameT.text), v.LogNameM);
    check(Outside(TextLength(v.LogNameT.text), 8, 20), v.LogNameM);
    check(Outside(TextLength(v.LogPathT.text), 2, 100), v.LogPathM);
    check(!FolderExists(p_.svc.files, v.LogPathT.text), v.LogPathM);
    check(!EndsWithFolderSeparator(v.LogPathT.text), v.LogPathM);
    check(Outside(v.Port1T, 1024, 65535), v.Port1M);
    check(Outside(v.Port2T, 1024, 65535), v.Port2M);
    check(TextLength(v.Proc1T.text) > 30, v.Proc1M);
    check(TextLength(v.Proc2T.text) > 30, v.Proc2M);
    check(TextLength(v.Proc3T.text) > 30, v.Proc3M);
    if (check(Outside(v.ProcDelayT, 5, 3600), v.ProcDelayM)) MakeEditable(v.ProcDelayT);
    check(Outside(v.ShutTimeT, 2, 600), v.ShutTimeM);
    check(workingShutType < 1 || workingShutType > 6, v.ShutTypeM);
    check(!v.StartTimeT.checked && Outside(v.StartDelayT, 1, 3600), v.StartDelayM);
    check(v.StartTimeT.checked && !IsValidTime(v.StartDelayT.text), v.StartDelayM);
    if (check(!IsValidTime(v.StopTimeT.text), v.StopTimeM)) MakeEditable(v.StopTimeT);
    check(v.Proc1T.text.empty() && !v.Proc2T.text.empty(), v.Proc1M);
    check(v.Proc2T.text.empty() && !v.Proc3T.text.empty(), v.Proc2M);
    check(MainMode() && v.Proc1T.text.empty(), v.Proc1M);
    check(SlaveMode() && !domain && !validIP, v.IPAddM);
    check(SlaveMode() && domain && address.empty(), v.IPAddM);
    const bool monitorWithoutIP = MainMode() && monitor && !domain && !validIP;
    check(monitorWithoutIP, v.ShutTypeM);
    check(monitorWithoutIP, v.IPAddM);
    const bool monitorWithoutName = MainMode() && monitor && domain && (address.empty() || validIP);
    check(monitorWithoutName, v.ShutTypeM);
    check(monitorWithoutName, v.IPAddM);
    if (check(SlaveMode() && monitor, v.ShutTypeM)) v.ShutTypeM.text = "Invalid Option In Slave Mode";
    check(SlaveMode() && reportSetupFault_ && p_.rt.SetupFault, v.Port1M);
    if (check(v.Del_OnT.checked && LeadingNumber(v.ProcDelayT.text) >= LeadingNumber(v.DelTimeT.text),
              v.DelTimeM)) {
        v.DelTimeM.text = "< Process Delay";
    }

    if (p_.rt.CmdLineMode == 2 && count != 0) {
        p_.svc.host.ShowMessage(MsgIcon::None, MsgButtons::Ok, p_.rt.AppTitle + " Data Error",
                                "Invalid Data");
    }
    closeCountdownEnabled = true;
    return count;
}

std::string ConfigScreen::FieldSnapshot() const {
    const ConfigView& v = view;
    std::string out;
    bool first = true;
    auto text = [&](const std::string& value) {
        if (!first) out += ',';
        first = false;
        AppendEscaped(out, value);
    };
    auto tick = [&](const CheckBoxView& box) { text(box.checked ? "1" : "0"); };
    text(v.ComDelayT.text);
    tick(v.DNameT);
    for (const TextFieldView* field : {&v.IPAddT, &v.ProcDelayT, &v.Proc1T, &v.Proc2T, &v.Proc3T, &v.LogNameT,
                                       &v.LogPathT, &v.Port1T, &v.Port2T}) {
        text(field->text);
    }
    tick(v.RunOnTopT);
    tick(v.StartMinT);
    text(v.ShutTimeT.text);
    text(v.StartDelayT.text);
    tick(v.StartTimeT);
    text(std::to_string(workingLogLevel));
    text(std::to_string(workingShutType));
    text(v.StopTimeT.text);
    for (const CheckBoxView* box : {&v.Stop_OnT, &v.ForceT, &v.UExitT, &v.Del_OnT})
        tick(*box);
    text(v.DelTimeT.text);
    return out;
}

} // namespace qz
