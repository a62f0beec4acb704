#include "setup/NoTrayNotice.h"

#include "platform/TrayAvailability.h"
#include "setup/SetupWidgets.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

NoTrayNotice::NoTrayNotice(QWidget *parent)
    : QFrame(parent)
    , quit([] { QCoreApplication::quit(); })
    , m_quit(new QPushButton(tr("Quit Quillet"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::AlternateBase));
    setPalette(colours);

    auto *message = new QLabel(text(), this);
    message->setWordWrap(true);
    message->setFont(SetupStyle::font(SetupStyle::Font::callout));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setSpacing(10);
    layout->addWidget(new SymbolView(QStringLiteral("camera-viewfinder"), 18, SetupStyle::accent(this)), 0,
        Qt::AlignTop);
    layout->addWidget(message, 1);
    layout->addWidget(m_quit, 0, Qt::AlignVCenter);
    // A lambda, so that a replaced `quit` is the one called.
    connect(m_quit, &QPushButton::clicked, this, [this] { quit(); });
    hide();
}

NoTrayNotice::~NoTrayNotice() = default;

QString NoTrayNotice::text()
{
    return tr("No system tray is available, so Quillet has no icon. Your shortcuts keep working; "
              "launch Quillet again to bring this window back.");
}

void NoTrayNotice::setTrayAvailability(std::shared_ptr<TrayAvailability> tray)
{
    if (m_tray)
        disconnect(m_tray.get(), nullptr, this, nullptr);
    m_tray = std::move(tray);
    if (m_tray)
        connect(m_tray.get(), &TrayAvailability::availableChanged, this, &NoTrayNotice::followTray);
    followTray();
}

void NoTrayNotice::followTray()
{
    const bool due = m_tray && !m_tray->isAvailable();
    setVisible(due);
    if (due == m_due)
        return;
    m_due = due;
    emit dueChanged(due);
}
