#include "config/Validation.h"
#include "screens/config/ConfigScreen.h"
#include "screens/config/ListItems.h"

namespace qz {
namespace {

// Field texts may hold the separator, so it is escaped to keep different fields from giving one snapshot.
void AppendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        if (c == ',' || c == '\\') out += '\\';
        out += c;
    }
}

} // namespace

void ConfigScreen::LoadFields() {
    const Settings& s = p_.set;
    ConfigView& v = view;
    const bool atTimeOfDay = s.activation == ActivationMode::AtTimeOfDay;
    v.lostLinkDelay.field.text = std::to_string(s.linkDelay);
    v.domainName.box.checked = s.peerByName;
    v.address.field.text = s.peerAddress;
    v.txPort.field.text = std::to_string(s.slavePort);
    v.rxPort.field.text = std::to_string(s.mainPort);
    v.fixedDelay.box.checked = s.fixedDelayOn;
    v.shutdownAfter.field.text = std::to_string(s.fixedDelay);
    v.logName.field.text = s.logName;
    v.logPath.field.text = s.logFolder;
    for (size_t i = 0; i < s.processNames.size(); ++i)
        v.processNames[i].field.text = s.processNames[i];
    v.processDelay.field.text = std::to_string(s.processDelay);
    SetRunOnTopTick(s.runOnTop);
    v.activation.field.text = atTimeOfDay ? TimeText(s.activationDelay) : std::to_string(s.activationDelay);
    v.runInTray.box.checked = s.startMinimised;
    v.activateAtTime.box.checked = atTimeOfDay;
    v.shutdownAt.field.text = TimeText(s.stopTime);
    v.fixedTime.box.checked = s.stopTimeOn;
    v.force.box.checked = s.force;
    v.countdown.field.text = std::to_string(s.shutdownDelay);
    v.userExit.box.checked = s.exitAdminOnly;

    workingLogLevel_ = s.logLevel;
    v.logLevel.list.text = TextOf(kLogLevelItems, s.logLevel);
    workingShutType_ = s.shutdownType;
    v.shutdownType.list.text = TextOf(kShutdownTypeItems, s.shutdownType);
    if (s.shutdownType > ShutdownType::Monitor) v.shutdownType.hint.text.clear();
    referenceSnapshot_ = FieldSnapshot();
}

ConfigInput ConfigScreen::Input() const {
    const ConfigView& v = view;
    ConfigInput in;
    in.ComDelay = v.lostLinkDelay.field.text;
    in.IPAdd = v.address.field.text;
    in.Port1 = v.txPort.field.text;
    in.Port2 = v.rxPort.field.text;
    in.DelTime = v.shutdownAfter.field.text;
    in.LogName = v.logName.field.text;
    in.LogPath = v.logPath.field.text;
    in.Proc1 = v.processNames[0].field.text;
    in.Proc2 = v.processNames[1].field.text;
    in.Proc3 = v.processNames[2].field.text;
    in.ProcDelay = v.processDelay.field.text;
    in.StartDelay = v.activation.field.text;
    in.StopTime = v.shutdownAt.field.text;
    in.ShutTime = v.countdown.field.text;
    in.DName = v.domainName.box.checked;
    in.Del_On = v.fixedDelay.box.checked;
    in.RunOnTop = v.runOnTop.box.checked;
    in.StartMin = v.runInTray.box.checked;
    in.StartTime = v.activateAtTime.box.checked;
    in.Stop_On = v.fixedTime.box.checked;
    in.Force = v.force.box.checked;
    in.UserExit = v.userExit.box.checked;
    in.LogLevel = CodeOf(workingLogLevel_);
    in.ShutType = CodeOf(workingShutType_);
    return in;
}

std::string ConfigScreen::FieldSnapshot() const {
    std::string out;
    auto add = [&](const std::string& value) {
        AppendEscaped(out, value);
        out += ',';
    };
    VisitRows(view,
              Overloaded{[&](std::string_view, const FieldRow& row) { add(row.field.text); },
                         [&](std::string_view, const CheckRow& row) { add(row.box.checked ? "1" : "0"); },
                         [](std::string_view, const auto&) {}});
    // The lists count by the values they stand for.
    add(std::to_string(CodeOf(workingLogLevel_)));
    add(std::to_string(CodeOf(workingShutType_)));
    return out;
}

void ConfigScreen::ReadShutType() {
    auto type = ValueOf(kShutdownTypeItems, view.shutdownType.list.text);
    if (!type) return;
    workingShutType_ = *type;
    if (*type > ShutdownType::Monitor) view.shutdownType.hint.text.clear();
}

void ConfigScreen::ReadLogLevel() {
    if (auto level = ValueOf(kLogLevelItems, view.logLevel.list.text)) workingLogLevel_ = *level;
}

} // namespace qz
