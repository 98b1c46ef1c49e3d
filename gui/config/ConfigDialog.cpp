#include "gui/config/ConfigDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/config/LogoPicture.h"
#include "gui/config/ViewWidgets.h"

namespace qz {

class ConfigDialog::ScreenHost final : public ConfigScreenHost {
  public:
    ScreenHost(ConfigDialog& dialog, MainWindowSide& main) : dialog_(dialog), main_(main) {}
    void ResetMonitor() override { main_.ResetMonitor(); }
    void ShowStatus() override { main_.ShowStatus(); }
    void EnableMainControls() override { main_.EnableMainControls(); }
    void SetTopMost(bool topMost) override { dialog_.SetStaysOnTop(topMost); }
    void OpenWebPage(const std::string& page) override { main_.OpenWebPage(page); }

  private:
    ConfigDialog& dialog_;
    MainWindowSide& main_;
};

ConfigDialog::ConfigDialog(Program& p, std::unique_ptr<MainWindowSide> main, QWidget* parent)
    : QDialog(parent), main_(std::move(main)), host_(std::make_unique<ScreenHost>(*this, *main_)),
      screen_(p, *host_) {
    setObjectName("ConfigScreen");
    closeCountdown_ = new QTimer(this);
    closeCountdown_->setObjectName("closeCountdown");
    closeCountdown_->setInterval(1000);
    connect(closeCountdown_, &QTimer::timeout, this, [this] { Handle([this] { screen_.OnSecond(); }); });
    statusTimeout_ = new QTimer(this);
    statusTimeout_->setObjectName("statusTimeout");
    statusTimeout_->setInterval(2000);
    statusTimeout_->setSingleShot(true);
    connect(statusTimeout_, &QTimer::timeout, this, [this] { Handle([this] { screen_.OnStatusTimeout(); }); });
    BuildControls();
    Handle([this] { screen_.Load(); });
}

ConfigDialog::~ConfigDialog() = default;

// Each control is named after the part of the view it shows.
#define QZ_PART(name) #name, &ConfigView::name

void ConfigDialog::BuildControls() {
    constexpr int kLabel = 0, kField = 1, kHint = 2, kCheckLabel = 3, kCheck = 4, kColumns = 5;
    auto* grid = new QGridLayout;
    grid->setColumnStretch(kHint, 1);
    int row = 0;
    auto heading = [&](QLabel* label) {
        label->setContentsMargins(0, row == 0 ? 0 : 8, 0, 2);
        grid->addWidget(label, row++, kLabel, 1, kColumns);
    };
    auto field = [&](QLabel* label, QWidget* input, QLabel* hint) {
        input->setFixedWidth(170);
        grid->addWidget(label, row, kLabel);
        grid->addWidget(input, row, kField);
        grid->addWidget(hint, row, kHint);
        ++row;
    };
    // The tick box of the row just added, with its label, at the far right.
    auto check = [&](QLabel* label, QCheckBox* box) {
        grid->addWidget(label, row - 1, kCheckLabel, Qt::AlignRight);
        grid->addWidget(box, row - 1, kCheck);
    };

    heading(AddLabel(QZ_PART(GeneralHeading)));
    field(AddLabel(QZ_PART(Proc1L)), AddText(QZ_PART(Proc1T)), AddLabel(QZ_PART(Proc1M)));
    check(AddLabel(QZ_PART(RunOnTopL)), AddCheck(QZ_PART(RunOnTopT), &ConfigScreen::OnRunOnTopTicked));
    field(AddLabel(QZ_PART(Proc2L)), AddText(QZ_PART(Proc2T)), AddLabel(QZ_PART(Proc2M)));
    check(AddLabel(QZ_PART(StartMinL)), AddCheck(QZ_PART(StartMinT), nullptr));
    field(AddLabel(QZ_PART(Proc3L)), AddText(QZ_PART(Proc3T)), AddLabel(QZ_PART(Proc3M)));
    field(AddLabel(QZ_PART(ProcDelayL)), AddText(QZ_PART(ProcDelayT)), AddLabel(QZ_PART(ProcDelayM)));
    field(AddLabel(QZ_PART(DelTimeL)), AddText(QZ_PART(DelTimeT)), AddLabel(QZ_PART(DelTimeM)));
    check(AddLabel(QZ_PART(Del_OnL)), AddCheck(QZ_PART(Del_OnT), &ConfigScreen::OnFixedDelayTicked));
    field(AddLabel(QZ_PART(StopTimeL)), AddText(QZ_PART(StopTimeT)), AddLabel(QZ_PART(StopTimeM)));
    check(AddLabel(QZ_PART(Stop_OnL)), AddCheck(QZ_PART(Stop_OnT), &ConfigScreen::OnFixedTimeTicked));
    field(AddLabel(QZ_PART(LogLevelL)), AddList(QZ_PART(LogLevelT), &ConfigScreen::OnLogLevelChosen),
          AddLabel(QZ_PART(LogLevelM)));
    field(AddLabel(QZ_PART(LogNameL)), AddText(QZ_PART(LogNameT)), AddLabel(QZ_PART(LogNameM)));
    // The path field is wide, so its hint goes on the line below it.
    grid->addWidget(AddLabel(QZ_PART(LogPathL)), row, kLabel);
    grid->addWidget(AddText(QZ_PART(LogPathT)), row++, kField, 1, kColumns - kField);
    grid->addWidget(AddLabel(QZ_PART(LogPathM)), row++, kField, 1, kColumns - kField);
    field(AddLabel(QZ_PART(StartDelayL)), AddText(QZ_PART(StartDelayT)), AddLabel(QZ_PART(StartDelayM)));
    check(AddLabel(QZ_PART(StartTimeL)), AddCheck(QZ_PART(StartTimeT), &ConfigScreen::OnStartAtTimeTicked));

    heading(AddLabel(QZ_PART(ShutdownHeading)));
    field(AddLabel(QZ_PART(ShutTimeL)), AddText(QZ_PART(ShutTimeT)), AddLabel(QZ_PART(ShutTimeM)));
    check(AddLabel(QZ_PART(ForceL)), AddCheck(QZ_PART(ForceT), &ConfigScreen::OnForceTicked));
    field(AddLabel(QZ_PART(ShutNameL)), AddList(QZ_PART(ShutNameT), &ConfigScreen::OnShutdownTypeChosen),
          AddLabel(QZ_PART(ShutTypeM)));
    check(AddLabel(QZ_PART(UExitL)), AddCheck(QZ_PART(UExitT), nullptr));

    heading(AddLabel(QZ_PART(CommsHeading)));
    field(AddLabel(QZ_PART(ComDelayL)), AddText(QZ_PART(ComDelayT)), AddLabel(QZ_PART(ComDelayM)));
    check(AddLabel(QZ_PART(DNameL)), AddCheck(QZ_PART(DNameT), &ConfigScreen::OnDomainNameTicked));
    field(AddLabel(QZ_PART(IPAddL)), AddText(QZ_PART(IPAddT)), AddLabel(QZ_PART(IPAddM)));
    field(AddLabel(QZ_PART(Port1L)), AddText(QZ_PART(Port1T)), AddLabel(QZ_PART(Port1M)));
    field(AddLabel(QZ_PART(Port2L)), AddText(QZ_PART(Port2T)), AddLabel(QZ_PART(Port2M)));

    auto* top = new QHBoxLayout;
    top->addWidget(AddLabel(QZ_PART(TMessage)), 1, Qt::AlignTop);
    auto* logo = new LogoPicture([this] { Handle([this] { screen_.OnLogo(); }); }, this);
    logo->setObjectName("Logo");
    top->addWidget(logo);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton(QZ_PART(Archive), &ConfigScreen::OnArchive));
    buttons->addWidget(AddButton(QZ_PART(ViewL), &ConfigScreen::OnViewLog));
    buttons->addWidget(AddButton(QZ_PART(Restore), &ConfigScreen::OnRestore));
    buttons->addWidget(AddButton(QZ_PART(Save), &ConfigScreen::OnSave));
    buttons->addWidget(AddButton(QZ_PART(ExitConfig), &ConfigScreen::OnExit));

    auto* screen = new QVBoxLayout(this);
    screen->setSizeConstraint(QLayout::SetFixedSize);
    screen->addLayout(top);
    screen->addLayout(grid);
    screen->addWidget(AddLabel(QZ_PART(Status)));
    screen->addLayout(buttons);
}

#undef QZ_PART

QLabel* ConfigDialog::AddLabel(const char* name, Part<LabelView> part) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    renderers_.push_back([this, label, part] { Show(*label, screen_.view.*part); });
    return label;
}

QLineEdit* ConfigDialog::AddText(const char* name, Part<TextFieldView> part) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    // Typing only changes the field's text; the screen checks it when it is saved.
    connect(field, &QLineEdit::textEdited, this, [this, part](const QString& text) {
        Handle([&] { (screen_.view.*part).text = ToViewText(text); });
    });
    renderers_.push_back([this, field, part] { Show(*field, screen_.view.*part); });
    return field;
}

QCheckBox* ConfigDialog::AddCheck(const char* name, Part<CheckBoxView> part,
                                  void (ConfigScreen::*handler)(bool)) {
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    connect(box, &QCheckBox::clicked, this, [this, part, handler](bool ticked) {
        Handle([&] {
            if (handler) {
                (screen_.*handler)(ticked);
            } else {
                (screen_.view.*part).checked = ticked; // a box no rule depends on
            }
        });
    });
    renderers_.push_back([this, box, part] { Show(*box, screen_.view.*part); });
    return box;
}

QComboBox* ConfigDialog::AddList(const char* name, Part<ListView> part,
                                 void (ConfigScreen::*handler)(const std::string&)) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->setEditable(false);
    connect(list, &QComboBox::activated, this, [this, list, handler](int index) {
        Handle([&] { (screen_.*handler)(ToViewText(list->itemText(index))); });
    });
    renderers_.push_back([this, list, part] { Show(*list, screen_.view.*part); });
    return list;
}

QPushButton* ConfigDialog::AddButton(const char* name, Part<ButtonView> part, void (ConfigScreen::*handler)()) {
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    // Enter in a field must not press a button the user did not choose.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, handler] { Handle([&] { (screen_.*handler)(); }); });
    renderers_.push_back([this, button, part] { Show(*button, screen_.view.*part); });
    return button;
}

void ConfigDialog::Handle(const std::function<void()>& action) {
    ++running_;
    action();
    --running_;
    Refresh();
}

void ConfigDialog::Refresh() {
    for (const auto& render : renderers_)
        render();
    setWindowTitle(FromViewText(screen_.view.caption));
    FollowTimers();
    if (screen_.view.open) return;
    if (isVisible()) QDialog::done(QDialog::Accepted);
    if (deleteWhenClosed_ && running_ == 0 && !deleteScheduled_) {
        deleteScheduled_ = true;
        deleteLater();
    }
}

void ConfigDialog::FollowTimers() {
    auto follow = [](QTimer& timer, bool enabled) {
        if (enabled && !timer.isActive()) timer.start();
        if (!enabled && timer.isActive()) timer.stop();
    };
    follow(*closeCountdown_, screen_.closeCountdownEnabled);
    follow(*statusTimeout_, screen_.statusTimeoutEnabled);
}

void ConfigDialog::SetStaysOnTop(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on); // hides a shown window
    if (!shown) return;
    // Placing the window must not take the focus from where the user is.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

// The screen has no result: whatever closes it, it unloads.
void ConfigDialog::done(int) {
    Handle([this] { screen_.Close(); });
}

bool ConfigDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Handle([this] { screen_.OnActivated(); });
    return QDialog::event(event);
}

void ConfigDialog::closeEvent(QCloseEvent* event) {
    Handle([this] { screen_.Close(); });
    QDialog::closeEvent(event);
}

void ConfigDialog::keyPressEvent(QKeyEvent* event) {
    // Escape would close the screen past Exit's question about unsaved changes.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QDialog* OpenConfigDialog(Program& p, App& main, PageOpener& pages, QWidget* parent) {
    auto* dialog = new ConfigDialog(p, std::make_unique<AppSide>(main, pages), parent);
    dialog->SetDeleteWhenClosed(true);
    dialog->show();
    return dialog;
}

} // namespace qz
