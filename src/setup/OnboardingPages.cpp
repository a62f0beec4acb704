// The six pages of the onboarding: what each shows, top to bottom.

#include "KeyboardShortcuts/Recorder.h"
#include "app/AppSettings.h"
#include "app/CaptureShortcuts.h"
#include "setup/ElidedLabel.h"
#include "setup/OnboardingView.h"
#include "setup/PermissionService.h"
#include "setup/SetupWidgets.h"

#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using SetupStyle::Font;
using SetupStyle::Tone;

namespace {

constexpr int PageSpacing = 20;
constexpr int HeaderSymbolSize = 48;

// A page: its items stacked 20 points apart, centred both ways.
class PageLayout
{
public:
    PageLayout()
        : m_page(new QWidget)
        , m_layout(new QVBoxLayout(m_page))
    {
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(PageSpacing);
        m_layout->addStretch();
    }

    // Labels and groups take the full width, so that a long text wraps to
    // the page's width; other items keep their size and are centred.
    template <typename Widget> Widget *add(Widget *item, int extraSpaceAbove = 0, bool fullWidth = false)
    {
        const Qt::Alignment alignment
            = fullWidth || qobject_cast<QLabel *>(item) ? Qt::Alignment() : Qt::AlignHCenter;
        QWidget *placed = item;
        if (extraSpaceAbove > 0) {
            placed = new QWidget;
            auto *margin = new QVBoxLayout(placed);
            margin->setContentsMargins(0, extraSpaceAbove, 0, 0);
            margin->addWidget(item, 0, alignment);
        }
        m_layout->addWidget(placed, 0, placed == item ? alignment : Qt::Alignment());
        return item;
    }

    QWidget *page()
    {
        m_layout->addStretch();
        return m_page;
    }

private:
    QWidget *m_page;
    QVBoxLayout *m_layout;
};

QWidget *row(std::initializer_list<QWidget *> items, int spacing, QMargins margins = {}, QWidget *into = nullptr)
{
    QWidget *result = into ? into : new QWidget;
    auto *layout = new QHBoxLayout(result);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    for (QWidget *item : items)
        layout->addWidget(item, 0, Qt::AlignVCenter);
    return result;
}

QWidget *column(std::initializer_list<QWidget *> items, int spacing)
{
    auto *result = new QWidget;
    auto *layout = new QVBoxLayout(result);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *item : items)
        layout->addWidget(item);
    return result;
}

QLabel *leadingLabel(const QString &text, Font font, Tone tone)
{
    QLabel *result = SetupStyle::label(text, font, tone);
    result->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    result->setWordWrap(false);
    return result;
}

QLabel *title(const QString &text)
{
    return SetupStyle::label(text, Font::title2, Tone::primary, true);
}

SymbolView *headerSymbol(const QString &name, const QColor &color)
{
    return new SymbolView(name, HeaderSymbolSize, color);
}

// A plain, borderless button in a quiet style: the way out, not the way on.
QPushButton *quietButton(const QString &text)
{
    auto *button = new QPushButton(text);
    button->setFlat(true);
    button->setFont(SetupStyle::font(Font::caption));
    button->setCursor(Qt::PointingHandCursor);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, SetupStyle::tone(button, Tone::tertiary));
    button->setPalette(palette);
    return button;
}

} // namespace

QWidget *OnboardingView::buildWelcomePage()
{
    PageLayout page;
    page.add(new SymbolView(QStringLiteral(":/quillet.svg"), 96));
    page.add(SetupStyle::label(tr("Quillet"), Font::largeTitle, Tone::primary, true));
    page.add(SetupStyle::label(tr("Fast, beautiful screenshots for your desktop."), Font::title3, Tone::secondary));

    const std::pair<const char *, QString> features[] = {
        {"rectangle-dashed", tr("Region, window, and fullscreen capture")},
        {"arrow-up-and-down-text", tr("Scrolling capture for long pages")},
        {"keyboard", tr("Global hotkeys that work everywhere")},
        {"bolt-fill", tr("Instant save to your chosen folder")},
    };
    auto *list = new QWidget;
    auto *rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(10);
    for (const auto &[symbol, text] : features) {
        auto *icon = new SymbolView(QLatin1String(symbol), 16, SetupStyle::accent(this));
        icon->setFrameWidth(20);
        rows->addWidget(row({icon, leadingLabel(text, Font::body, Tone::secondary)}, 12));
    }
    page.add(list, 8);
    return page.page();
}

QWidget *OnboardingView::buildApplicationsPage()
{
    PageLayout page;
    m_applications.symbol = page.add(headerSymbol(QStringLiteral("folder-badge-questionmark"), {}));
    m_applications.title = page.add(title(tr("Install Quillet")));
    m_applications.inPlace = page.add(SetupStyle::label({}, Font::body, Tone::secondary));

    m_applications.move = new QPushButton(tr("Install for My Account"));
    connect(m_applications.move, &QPushButton::clicked, this, &OnboardingView::moveToApplications);
    m_applications.error = SetupStyle::coloredLabel({}, Font::caption, SetupStyle::red());
    QPushButton *skip = quietButton(tr("Skip — I'll keep it where it is"));
    connect(skip, &QPushButton::clicked, this, &OnboardingView::goToNextPage);
    auto *offer = column({SetupStyle::label(tr("Install Quillet for your account so it can launch at login and "
                                               "appear in your applications."),
                              Font::body, Tone::secondary),
                             m_applications.move, m_applications.error, skip},
        PageSpacing);
    auto *layout = static_cast<QVBoxLayout *>(offer->layout());
    layout->setAlignment(m_applications.move, Qt::AlignHCenter);
    layout->setAlignment(skip, Qt::AlignHCenter);
    m_applications.offer = page.add(offer, 0, true);
    return page.page();
}

QWidget *OnboardingView::buildShortcutsPage()
{
    PageLayout page;
    page.add(headerSymbol(QStringLiteral("keyboard"), SetupStyle::accent(this)));
    page.add(title(tr("Set Your Shortcuts")));
    page.add(SetupStyle::label(tr("These work globally — even when other apps are focused."), Font::body, Tone::secondary));

    const std::pair<QString, CaptureMode> shortcuts[] = {
        {tr("Region Capture"), CaptureMode::region},
        {tr("Scroll Capture"), CaptureMode::scroll},
        {tr("Fullscreen"), CaptureMode::fullscreen},
        {tr("Window"), CaptureMode::window},
    };
    auto *list = new QWidget;
    auto *rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(12);
    for (const auto &[text, mode] : shortcuts) {
        auto *recorder = new KeyboardShortcuts::Recorder(text, CaptureShortcuts::name(mode));
        recorder->setLabelWidth(140);
        recorder->label()->setFont(SetupStyle::font(Font::body));
        rows->addWidget(recorder);
    }
    page.add(list, 8);
    page.add(SetupStyle::label(tr("You can change these anytime in Settings → Hotkeys."), Font::caption, Tone::tertiary));
    return page.page();
}

QWidget *OnboardingView::buildSaveFolderPage()
{
    PageLayout page;
    page.add(headerSymbol(QStringLiteral("folder"), SetupStyle::accent(this)));
    page.add(title(tr("Where to Save")));
    page.add(SetupStyle::label(tr("Screenshots will be saved here with timestamp names."), Font::body, Tone::secondary));

    m_savePath = new ElidedLabel;
    m_savePath->setFont(SetupStyle::font(Font::body));
    m_savePath->setFullText(m_settings.savePath());
    connect(&m_settings, &AppSettings::savePathChanged, m_savePath, &ElidedLabel::setFullText);
    auto *box = new RoundedBox(SetupStyle::tone(this, Tone::quaternary), 8);
    row({new SymbolView(QStringLiteral("folder-fill"), 14, SetupStyle::tone(this, Tone::secondary)), m_savePath}, 8,
        {12, 12, 12, 12}, box);
    // As wide as the page, so that a long path keeps as much as fits.
    page.add(box, 0, true);

    auto *choose = new QPushButton(tr("Choose Folder…"));
    connect(choose, &QPushButton::clicked, this, &OnboardingView::chooseSaveFolder);
    page.add(choose);
    return page.page();
}

QWidget *OnboardingView::buildPermissionPage()
{
    PageLayout page;
    m_permission.symbol = page.add(headerSymbol(QStringLiteral("shield-lefthalf-filled"), {}));
    page.add(title(tr("Screen Recording Access")));
    m_permission.granted = page.add(SetupStyle::label({}, Font::body, Tone::secondary));

    auto *open = new QPushButton(tr("Open System Settings"));
    // Asking is what makes the platform list Quillet in its settings.
    connect(open, &QPushButton::clicked, &m_permissionService, &PermissionService::requestPermission);
    QWidget *missing = column(
        {SetupStyle::label(
             tr("Quillet needs Screen Recording permission to capture your screen."), Font::body, Tone::secondary),
            open,
            SetupStyle::label(tr("Toggle the switch for Quillet, then come back here."), Font::caption, Tone::tertiary)},
        PageSpacing);
    static_cast<QVBoxLayout *>(missing->layout())->setAlignment(open, Qt::AlignHCenter);
    m_permission.missing = page.add(missing, 0, true);
    return page.page();
}

QWidget *OnboardingView::buildMenuBarPage()
{
    const QColor faint = SetupStyle::tone(this, Tone::tertiary);
    const auto symbol = [&](const char *name, int size, const QColor &color) {
        return new SymbolView(QLatin1String(name), size, color);
    };
    QColor chipFill = SetupStyle::accent(this);
    chipFill.setAlphaF(0.2f);
    QWidget *chip = row({symbol("camera-viewfinder", 15, SetupStyle::accent(this))}, 0, {4, 4, 4, 4},
        new RoundedBox(chipFill, 4));
    QLabel *clock = leadingLabel(tr("Fri 3:42 PM"), Font::caption, Tone::primary);
    QWidget *strip = row({symbol("wifi", 14, faint), symbol("battery-75percent", 14, faint), chip,
                             symbol("line-3-horizontal-decrease", 14, faint), clock},
        16, {20, 10, 20, 10}, new RoundedBox(palette().color(QPalette::Base), 8));
    auto *shadow = new QGraphicsDropShadowEffect(strip);
    shadow->setColor(QColor(0, 0, 0, 38));
    shadow->setBlurRadius(8);
    shadow->setOffset(0, 2);
    strip->setGraphicsEffect(shadow);

    PageLayout page;
    m_menuBar.strip = page.add(strip);
    page.add(title(tr("You're all set!")));
    const QString icon = SetupStyle::inlineSymbol(QStringLiteral("camera-viewfinder"), 14,
        SetupStyle::tone(this, Tone::secondary), qApp->devicePixelRatio());
    QLabel *where = page.add(SetupStyle::label(
        tr("Quillet lives in your <b>system tray</b> — look for the %1 icon in your desktop's panel.").arg(icon),
        Font::body, Tone::secondary));
    where->setTextFormat(Qt::RichText);
    m_menuBar.where = where;
    m_menuBar.background = page.add(SetupStyle::label(tr("The app runs quietly in the background.\nUse your hotkeys or click the tray "
                                  "icon anytime."),
                 Font::callout, Tone::tertiary),
        4);
    m_menuBar.noTray = page.add(SetupStyle::label(tr("There is no system tray on this desktop, so Quillet shows no "
                                                     "icon. Your shortcuts keep working, and launching Quillet again "
                                                     "brings back its settings, where you can also quit it."),
        Font::body, Tone::secondary));
    m_menuBar.noTray->hide();
    return page.page();
}
