#include "gui/AboutDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "app/MainWindowModel.h"
#include "gui/Pictures.h"
#include "gui/config/LogoPicture.h"
#include "gui/config/ViewWidgets.h"
#include "screens/WebLauncher.h"

namespace qz {
namespace {

// A label that acts on a click, as the site's address does.
class ClickLabel final : public QLabel {
  public:
    ClickLabel(std::function<void()> onClick, QWidget* parent)
        : QLabel(parent), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            onClick_();
            return;
        }
        QLabel::mouseReleaseEvent(event);
    }

  private:
    std::function<void()> onClick_;
};

QLabel* NamedLabel(QLabel* label, const char* name) {
    label->setObjectName(name);
    return label;
}

} // namespace

AboutDialog::AboutDialog(Program& p, MainWindowModel& main, Runner run, QWidget* parent)
    : QDialog(parent), p_(p), main_(main), run_(std::move(run)), screen_(p, *this) {
    setObjectName("AboutScreen");
    setWindowIcon(WindowIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* logo = new QLabel(this);
    logo->setObjectName("logo");
    logo->setPixmap(DrawLogo(48));
    programName_ = NamedLabel(new QLabel(this), "programName");
    QFont large = programName_->font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    programName_->setFont(large);
    version_ = NamedLabel(new QLabel(this), "version");
    webSite_ = NamedLabel(new ClickLabel([this] { run_([this] { screen_.OnWebSite(); }); }, this), "webSite");
    QFont underlined = webSite_->font();
    underlined.setUnderline(true);
    webSite_->setFont(underlined);
    closeNotice_ = NamedLabel(new QLabel(this), "closeNotice");
    closeNotice_->setMinimumWidth(
        closeNotice_->fontMetrics().horizontalAdvance("About will close in 60 sec") + 8);
    exit_ = new QPushButton(this);
    exit_->setObjectName("exit");
    connect(exit_, &QPushButton::clicked, this, [this] { run_([this] { screen_.OnExit(); }); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(programName_, 0, 1);
    grid->addWidget(version_, 1, 1);
    grid->addWidget(webSite_, 2, 1);
    grid->addWidget(closeNotice_, 3, 0, 1, 2);
    grid->addWidget(exit_, 4, 0, 1, 2, Qt::AlignRight);
    grid->setHorizontalSpacing(16);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    closeCountdown_ = new QTimer(this);
    closeCountdown_->setObjectName("closeCountdown");
    closeCountdown_->setInterval(1000);
    connect(closeCountdown_, &QTimer::timeout, this, [this] { OnSecond(); });
}

void AboutDialog::OnSecond() {
    run_([this] { screen_.OnSecond(); });
}

void AboutDialog::Render() {
    const AboutView& v = screen_.view;
    setWindowTitle(FromViewText(v.caption));
    Show(*programName_, v.programName);
    Show(*version_, v.version);
    Show(*webSite_, v.webSite);
    Show(*closeNotice_, v.closeNotice);
    Show(*exit_, v.exit);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != v.topMost) {
        const bool shown = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, v.topMost); // hides a shown window
        if (shown && v.open) show();
    }
    if (v.open && !closeCountdown_->isActive()) closeCountdown_->start();
    if (!v.open) {
        closeCountdown_->stop();
        hide();
    }
}

bool AboutDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && screen_.view.open) run_([this] { screen_.OnActivated(); });
    return QDialog::event(event);
}

void AboutDialog::done(int) {
    if (screen_.view.open) run_([this] { screen_.Close(); });
}

void AboutDialog::EnableMainControls() {
    main_.EnableMainControls();
}

void AboutDialog::OpenWebPage(const std::string& page) {
    qz::OpenWebPage(p_, page);
}

} // namespace qz
