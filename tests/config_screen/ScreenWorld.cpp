#include "tests/config_screen/ScreenWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "config/ConfigFile.h"

namespace qz::test {
namespace {

// The "name=value" items of a list separated by ";"; a bare name has the value "".
std::vector<std::pair<std::string, std::string>> Pairs(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream items{std::string(list)};
    for (std::string item; std::getline(items, item, ';');) {
        const size_t equals = std::min(item.find('='), item.size());
        pairs.emplace_back(item.substr(0, equals), item.substr(std::min(equals + 1, item.size())));
    }
    return pairs;
}

#define QZ_PART(member) std::make_pair(#member, &ConfigView::member)
const std::pair<const char*, TextFieldView ConfigView::*> kTexts[] = {
    QZ_PART(ComDelayT),  QZ_PART(IPAddT),      QZ_PART(Port1T),    QZ_PART(Port2T),   QZ_PART(DelTimeT),
    QZ_PART(LogNameT),   QZ_PART(LogPathT),    QZ_PART(Proc1T),    QZ_PART(Proc2T),   QZ_PART(Proc3T),
    QZ_PART(ProcDelayT), QZ_PART(StartDelayT), QZ_PART(StopTimeT), QZ_PART(ShutTimeT)};
const std::pair<const char*, CheckBoxView ConfigView::*> kBoxes[] = {
    QZ_PART(DNameT),     QZ_PART(Del_OnT),  QZ_PART(RunOnTopT), QZ_PART(StartMinT),
    QZ_PART(StartTimeT), QZ_PART(Stop_OnT), QZ_PART(ForceT),    QZ_PART(UExitT)};
const std::pair<const char*, LabelView ConfigView::*> kHints[] = {
    QZ_PART(IPAddM),    QZ_PART(ComDelayM),   QZ_PART(LogLevelM),  QZ_PART(LogNameM),
    QZ_PART(LogPathM),  QZ_PART(Port1M),      QZ_PART(Port2M),     QZ_PART(Proc1M),
    QZ_PART(Proc2M),    QZ_PART(Proc3M),      QZ_PART(ProcDelayM), QZ_PART(ShutTimeM),
    QZ_PART(ShutTypeM), QZ_PART(StartDelayM), QZ_PART(DelTimeM),   QZ_PART(StopTimeM)};
#undef QZ_PART

template <class Part, size_t N>
Part* Named(ConfigView& v, const std::pair<const char*, Part ConfigView::*> (&parts)[N],
            const std::string& name) {
    for (const auto& [partName, part] : parts) {
        if (name == partName) return &(v.*part);
    }
    return nullptr;
}

} // namespace

IniFile With(IniFile file, std::string_view list) {
    for (const auto& [key, value] : Pairs(list))
        file.Set(key, value);
    return file;
}

IniFile MainFile() {
    return With(IniFile(), "ComDelay=60;DelTime=90;Proc1=editor;ProcDelay=60;Force=2;ShutTime=60;ShutType=1");
}

ScreenWorld::ScreenWorld(const IniFile& file) {
    dir.Write("Data/Quenzel.ini", file.Text());
    std::filesystem::create_directory(dir.path() / "Log");
    p.set = ReadConfigFile(p.svc.files)->settings;
    if (p.set.role == Role::Slave) p.rt.AppTitle = "Quenzel Slave";
}

ConfigScreen& ScreenWorld::Open() {
    screen.emplace(p, host).Load();
    return *screen;
}

Settings ScreenWorld::ReadBack() const {
    return ReadConfigFile(FileSys(dir.path()))->settings;
}

std::string MarkedHints(const ConfigView& v) {
    std::string marked;
    for (const auto& [name, part] : kHints) {
        const LabelView& hint = v.*part;
        if (hint.fore == kDarkGreen && !hint.bold) continue;
        marked += (marked.empty() ? "" : " ") + std::string(name) +
                  (hint.fore == kOrange && hint.bold ? "" : "(mixed look)");
    }
    return marked;
}

void Edit(ConfigScreen& s, std::string_view actions) {
    for (const auto& [name, value] : Pairs(actions)) {
        const std::map<std::string, std::function<void()>> clicks = {
            {"ShutNameT", [&] { s.OnShutdownTypeChosen(value); }},
            {"LogLevelT", [&] { s.OnLogLevelChosen(value); }},
            {"Save", [&] { s.OnSave(); }},
            {"Restore", [&] { s.OnRestore(); }},
            {"Exit", [&] { s.OnExit(); }}};
        if (TextFieldView* field = Named(s.view, kTexts, name)) {
            field->text = value;
        } else if (CheckBoxView* box = Named(s.view, kBoxes, name)) {
            box->checked = value == "1";
        } else {
            ASSERT_TRUE(clicks.count(name)) << "no field or button " << name;
            clicks.at(name)();
        }
    }
}

} // namespace qz::test
