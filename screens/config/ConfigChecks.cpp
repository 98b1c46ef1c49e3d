#include "screens/config/ConfigChecks.h"

#include <exception>
#include <string_view>

#include "config/Numbers.h"
#include "config/Validation.h"

namespace qz {
namespace {

void Mark(LabelView& hint) {
    hint.fore = kOrange;
    hint.bold = true;
}

bool Outside(double value, double min, double max) {
    return value < min || value > max;
}

bool Outside(size_t length, size_t min, size_t max) {
    return length < min || length > max;
}

bool Outside(const FieldRow& row, double min, double max) {
    return Outside(LeadingNumber(row.field.text), min, max);
}

// A field a failed check switches on, so the user can correct it whatever the mode.
void MakeEditable(TextFieldView& field) {
    field.back = kWindowBackground;
    field.enabled = true;
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

} // namespace

void ClearHighlights(ConfigView& v) {
    auto unmark = [](LabelView& hint) {
        hint.fore = kDarkGreen;
        hint.bold = false;
    };
    VisitRows(v, Overloaded{[&](std::string_view, FieldRow& row) { unmark(row.hint); },
                            [&](std::string_view, ListRow& row) { unmark(row.hint); },
                            [](std::string_view, auto&) {}});
    v.shutdownAfter.hint.text = kShutdownAfterHint;
    v.status.text.clear();
}

int16_t MarkFailedFields(ConfigView& v, const CheckContext& c) {
    const std::string& address = v.address.field.text;
    const bool domain = v.domainName.box.checked;
    const bool validIP = IsValidIP(address);
    const bool monitor = c.shutType == ShutdownType::Monitor;
    int16_t count = 0;
    auto check = [&count](bool fails, LabelView& hint) {
        if (!fails) return false;
        ++count;
        Mark(hint);
        return true;
    };
    const std::string& name1 = v.processNames[0].field.text;
    const std::string& name2 = v.processNames[1].field.text;
    const std::string& name3 = v.processNames[2].field.text;
    const std::string& logName = v.logName.field.text;
    const std::string& logPath = v.logPath.field.text;
    const std::string& activation = v.activation.field.text;
    const bool atTime = v.activateAtTime.box.checked;

    check(!domain && !address.empty() && !validIP, v.address.hint);
    check(domain && (TextLength(address) > 100 || validIP), v.address.hint);
    if (check(Outside(v.lostLinkDelay, 5, 600), v.lostLinkDelay.hint)) MakeEditable(v.lostLinkDelay.field);
    check(Outside(v.shutdownAfter, 60, 10800), v.shutdownAfter.hint);
    check(!DotBeforeExtension(logName), v.logName.hint);
    check(Outside(TextLength(logName), 8, 20), v.logName.hint);
    check(Outside(TextLength(logPath), 2, 100), v.logPath.hint);
    check(!FolderExists(c.files, logPath), v.logPath.hint);
    check(!EndsWithFolderSeparator(logPath), v.logPath.hint);
    check(Outside(v.txPort, 1024, 65535), v.txPort.hint);
    check(Outside(v.rxPort, 1024, 65535), v.rxPort.hint);
    for (FieldRow& row : v.processNames)
        check(TextLength(row.field.text) > 30, row.hint);
    if (check(Outside(v.processDelay, 5, 3600), v.processDelay.hint)) MakeEditable(v.processDelay.field);
    check(Outside(v.countdown, 2, 600), v.countdown.hint);
    check(!atTime && Outside(v.activation, 1, 3600), v.activation.hint);
    check(atTime && !IsValidTime(activation), v.activation.hint);
    if (check(!IsValidTime(v.shutdownAt.field.text), v.shutdownAt.hint)) MakeEditable(v.shutdownAt.field);
    check(name1.empty() && !name2.empty(), v.processNames[0].hint);
    check(name2.empty() && !name3.empty(), v.processNames[1].hint);
    check(c.mainStation && name1.empty(), v.processNames[0].hint);
    check(c.slave && !domain && !validIP, v.address.hint);
    check(c.slave && domain && address.empty(), v.address.hint);
    const bool monitorWithoutIP = c.mainStation && monitor && !domain && !validIP;
    check(monitorWithoutIP, v.shutdownType.hint);
    check(monitorWithoutIP, v.address.hint);
    const bool monitorWithoutName = c.mainStation && monitor && domain && (address.empty() || validIP);
    check(monitorWithoutName, v.shutdownType.hint);
    check(monitorWithoutName, v.address.hint);
    if (check(c.slave && monitor, v.shutdownType.hint))
        v.shutdownType.hint.text = "Invalid Option In Slave Mode";
    check(c.slave && c.setupFault, v.txPort.hint);
    if (check(v.fixedDelay.box.checked &&
                  LeadingNumber(v.processDelay.field.text) >= LeadingNumber(v.shutdownAfter.field.text),
              v.shutdownAfter.hint)) {
        v.shutdownAfter.hint.text = "< Process Delay";
    }
    return count;
}

} // namespace qz
