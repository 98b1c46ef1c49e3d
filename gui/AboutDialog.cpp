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
    logo->setPixmap(DrawLogo(48));
    progName_ = NamedLabel(new QLabel(this), "ProgName");
    QFont large = progName_->font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    progName_->setFont(large);
    progVersion_ = NamedLabel(new QLabel(this), "ProgVersion");
    webSite_ =
        NamedLabel(new ClickLabel([this] { run_([this] { screen_.OnWebSite(); }); }, this), "WebSite");
    QFont underlined = webSite_->font();
    underlined.setUnderline(true);
    webSite_->setFont(underlined);
    message_ = NamedLabel(new QLabel(this), "TMessage");
    message_->setMinimumWidth(message_->fontMetrics().horizontalAdvance("About will close in 60 sec") + 8);
    exit_ = new QPushButton(this);
    exit_->setObjectName("ExitAbout");
    connect(exit_, &QPushButton::clicked, this, [this] { run_([this] { screen_.OnExit(); }); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(progName_, 0, 1);
    grid->addWidget(progVersion_, 1, 1);
    grid->addWidget(webSite_, 2, 1);
    grid->addWidget(message_, 3, 0, 1, 2);
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
    Show(*progName_, v.ProgName);
    Show(*progVersion_, v.ProgVersion);
    Show(*webSite_, v.WebSite);
    Show(*message_, v.TMessage);
    Show(*exit_, v.ExitAbout);
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
    if (event->type() == QEvent::WindowActivate && screen_.view.open)
        run_([this] { screen_.OnActivated(); });
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
