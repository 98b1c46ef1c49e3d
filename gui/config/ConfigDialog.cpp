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
    void ResetProgram() override { main_.ResetProgram(); }
    void EnableMainControls() override { main_.EnableMainControls(); }
    void SetTopMost(bool topMost) override { dialog_.SetStaysOnTop(topMost); }
    void OpenWebPage(const std::string& page) override { main_.OpenWebPage(page); }
    void EndProgram(const Fault& fault) override { main_.EndProgram(fault); }

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
    connect(statusTimeout_, &QTimer::timeout, this,
            [this] { Handle([this] { screen_.OnStatusTimeout(); }); });
    BuildControls();
    Handle([this] { screen_.Load(); });
}

ConfigDialog::~ConfigDialog() = default;

void ConfigDialog::BuildControls() {
    ConfigView& v = screen_.view;
    using TickHandler = void (ConfigScreen::*)(bool);
    // What a tick runs; a box no rule depends on only takes the tick.
    const std::pair<const CheckRow*, TickHandler> tickHandlers[] = {
        {&v.runOnTop, &ConfigScreen::OnRunOnTopTicked},
        {&v.fixedDelay, &ConfigScreen::OnFixedDelayTicked},
        {&v.fixedTime, &ConfigScreen::OnFixedTimeTicked},
        {&v.activateAtTime, &ConfigScreen::OnActivateAtTimeTicked},
        {&v.force, &ConfigScreen::OnForceTicked},
        {&v.domainName, &ConfigScreen::OnDomainNameTicked}};
    auto tickHandler = [&](const CheckRow& row) -> TickHandler {
        for (const auto& [part, handler] : tickHandlers) {
            if (part == &row) return handler;
        }
        return nullptr;
    };

    constexpr int kLabel = 0, kField = 1, kHint = 2, kCheckLabel = 3, kCheck = 4, kColumns = 5;
    auto* grid = new QGridLayout;
    grid->setColumnStretch(kHint, 1);
    int row = 0;
    auto fieldRow = [&](const std::string& name, const LabelView& label, QWidget* input,
                        const LabelView& hint) {
        grid->addWidget(AddLabel(name + "Label", label), row, kLabel);
        // The path field is wide, so its hint goes on the line below it.
        if (name == "logPath") {
            grid->addWidget(input, row++, kField, 1, kColumns - kField);
            grid->addWidget(AddLabel(name + "Hint", hint), row++, kField, 1, kColumns - kField);
            return;
        }
        input->setFixedWidth(170);
        grid->addWidget(input, row, kField);
        grid->addWidget(AddLabel(name + "Hint", hint), row++, kHint);
    };
    VisitRows(v, Overloaded{[&](std::string_view name, const LabelView& heading) {
                                QLabel* label = AddLabel(std::string(name), heading);
                                label->setContentsMargins(0, row == 0 ? 0 : 8, 0, 2);
                                grid->addWidget(label, row++, kLabel, 1, kColumns);
                            },
                            [&](std::string_view name, FieldRow& field) {
                                const std::string n(name);
                                fieldRow(n, field.label, AddText(n, field.field), field.hint);
                            },
                            [&](std::string_view name, ListRow& list) {
                                const std::string n(name);
                                auto handler = &list == &v.logLevel ? &ConfigScreen::OnLogLevelChosen
                                                                    : &ConfigScreen::OnShutdownTypeChosen;
                                fieldRow(n, list.label, AddList(n, list.list, handler), list.hint);
                            },
                            // A tick box stands at the far right of the row above it.
                            [&](std::string_view name, CheckRow& check) {
                                const std::string n(name);
                                grid->addWidget(AddLabel(n + "Label", check.label), row - 1, kCheckLabel,
                                                Qt::AlignRight);
                                grid->addWidget(AddCheck(n, check.box, tickHandler(check)), row - 1, kCheck);
                            }});

    auto* top = new QHBoxLayout;
    top->addWidget(AddLabel("closeNotice", v.closeNotice), 1, Qt::AlignTop);
    auto* logo = new LogoPicture([this] { Handle([this] { screen_.OnLogo(); }); }, this);
    logo->setObjectName("logo");
    top->addWidget(logo);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton("archive", v.archive, &ConfigScreen::OnArchive));
    buttons->addWidget(AddButton("viewLog", v.viewLog, &ConfigScreen::OnViewLog));
    buttons->addWidget(AddButton("restore", v.restore, &ConfigScreen::OnRestore));
    buttons->addWidget(AddButton("save", v.save, &ConfigScreen::OnSave));
    buttons->addWidget(AddButton("exit", v.exit, &ConfigScreen::OnExit));

    auto* screen = new QVBoxLayout(this);
    screen->setSizeConstraint(QLayout::SetFixedSize);
    screen->addLayout(top);
    screen->addLayout(grid);
    screen->addWidget(AddLabel("status", v.status));
    screen->addLayout(buttons);
}

QLabel* ConfigDialog::AddLabel(const std::string& name, const LabelView& part) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromStdString(name));
    renderers_.push_back([label, &part] { Show(*label, part); });
    return label;
}

QLineEdit* ConfigDialog::AddText(const std::string& name, TextFieldView& part) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromStdString(name));
    // Typing only changes the field's text; the screen checks it when it is saved.
    connect(field, &QLineEdit::textEdited, this,
            [this, &part](const QString& text) { Handle([&] { part.text = ToViewText(text); }); });
    renderers_.push_back([field, &part] { Show(*field, part); });
    return field;
}

QCheckBox* ConfigDialog::AddCheck(const std::string& name, CheckBoxView& part,
                                  void (ConfigScreen::*handler)(bool)) {
    auto* box = new QCheckBox(this);
    box->setObjectName(QString::fromStdString(name));
    connect(box, &QCheckBox::clicked, this, [this, &part, handler](bool ticked) {
        Handle([&] {
            if (handler) {
                (screen_.*handler)(ticked);
            } else {
                part.checked = ticked; // a box no rule depends on
            }
        });
    });
    renderers_.push_back([box, &part] { Show(*box, part); });
    return box;
}

QComboBox* ConfigDialog::AddList(const std::string& name, const ListView& part,
                                 void (ConfigScreen::*handler)(const std::string&)) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromStdString(name));
    list->setEditable(false);
    connect(list, &QComboBox::activated, this, [this, list, handler](int index) {
        Handle([&] { (screen_.*handler)(ToViewText(list->itemText(index))); });
    });
    renderers_.push_back([list, &part] { Show(*list, part); });
    return list;
}

QPushButton* ConfigDialog::AddButton(const char* name, const ButtonView& part,
                                     void (ConfigScreen::*handler)()) {
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    // Enter in a field must not press a button the user did not choose.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, handler] { Handle([&] { (screen_.*handler)(); }); });
    renderers_.push_back([button, &part] { Show(*button, part); });
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
    auto* dialog = new ConfigDialog(p, std::make_unique<AppSide>(p, main, pages), parent);
    dialog->SetDeleteWhenClosed(true);
    dialog->show();
    return dialog;
}

} // namespace qz
