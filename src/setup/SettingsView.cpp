#include "setup/SettingsView.h"

#include "KeyboardShortcuts/Recorder.h"
#include "app/AppSettings.h"
#include "platform/LoginItems.h"
#include "platform/WindowActivator.h"
#include "setup/ElidedLabel.h"
#include "setup/FolderChooser.h"
#include "setup/NoTrayNotice.h"
#include "setup/PermissionService.h"
#include "setup/PermissionStatusRow.h"
#include "setup/SymbolImages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

namespace {

// Tight enough that the General tab fits the fixed window at the usual
// font size; a larger font scrolls.
constexpr int rowSpacing = 3;
constexpr int sectionSpacing = 10;
// Rows sit indented under their section title, as in a grouped form.
constexpr int rowIndent = 12;

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    auto *title = new QLabel(text, parent);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    return title;
}

QVBoxLayout *addSection(QVBoxLayout *page, const QString &title, QWidget *parent)
{
    if (page->count() > 0)
        page->addSpacing(sectionSpacing);
    if (!title.isEmpty())
        page->addWidget(sectionTitle(title, parent));
    auto *rows = new QVBoxLayout;
    rows->setSpacing(rowSpacing);
    rows->setContentsMargins(rowIndent, 0, 0, 0);
    page->addLayout(rows);
    return rows;
}

// A tab's page: its form scrolls rather than being cut when the user's font
// is larger than the fixed window expects.
QWidget *scrollingPage(QWidget *form)
{
    auto *page = static_cast<QVBoxLayout *>(form->layout());
    page->setContentsMargins(12, 8, 12, 8);
    page->setSpacing(4);
    auto *scroll = new QScrollArea;
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    form->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    return scroll;
}

QHBoxLayout *bareRow(QWidget *row)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

SettingsView::SettingsView(AppSettings &settings, PermissionService &permission,
                           const QList<KeyboardShortcuts::Name> &captureNames, std::shared_ptr<LoginItems> loginItems,
                           std::shared_ptr<WindowActivator> activator, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_permission(permission)
    , m_loginItems(std::move(loginItems))
    , m_activator(std::move(activator))
    , m_noTray(new NoTrayNotice(this))
    , m_tabs(new QTabWidget(this))
{
    setWindowTitle(tr("Quillet Settings"));
    setFixedSize(fixedWidth, fixedHeight);
    // A tray application lives on after its last window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(makeGeneralTab(), SymbolImages::gear(), tr("General"));
    m_tabs->addTab(makeHotkeysTab(captureNames), SymbolImages::keyboard(), tr("Hotkeys"));
    layout->addWidget(m_noTray);
    layout->addWidget(m_tabs);
    connect(m_noTray, &NoTrayNotice::dueChanged, this, &SettingsView::fitNoTrayNotice);
    bindSettings();
    readLaunchAtLogin();
}

SettingsView::~SettingsView() = default;

QWidget *SettingsView::makeGeneralTab()
{
    auto *form = new QWidget;
    auto *page = new QVBoxLayout(form);
    addSection(page, tr("Save Location"), form)->addWidget(makeSaveLocationRow());
    QVBoxLayout *format = addSection(page, tr("Image Format"), form);
    format->addWidget(makeFormatRow());
    format->addWidget(makeQualityRow());
    addAfterCaptureToggles(addSection(page, tr("After Capture"), form));
    QVBoxLayout *system = addSection(page, tr("System"), form);
    m_launchAtLogin = new QCheckBox(tr("Launch at login"), form);
    connect(m_launchAtLogin, &QCheckBox::clicked, this, &SettingsView::changeLaunchAtLogin);
    system->addWidget(m_launchAtLogin);
    m_permissionRow = new PermissionStatusRow(m_permission, form);
    system->addWidget(m_permissionRow);
    page->addStretch();
    return scrollingPage(form);
}

QWidget *SettingsView::makeSaveLocationRow()
{
    auto *row = new QWidget;
    QHBoxLayout *layout = bareRow(row);
    m_savePath = new ElidedLabel(row);
    m_choose = new QPushButton(tr("Choose…"), row);
    connect(m_choose, &QPushButton::clicked, this, [this] { FolderChooser::chooseSaveFolder(this, m_settings); });
    layout->addWidget(m_savePath, 1);
    layout->addWidget(m_choose);
    return row;
}

// "PNG | JPEG" as one segmented control: two joined, exclusive buttons.
QWidget *SettingsView::makeFormatRow()
{
    auto *row = new QWidget;
    QHBoxLayout *layout = bareRow(row);
    layout->addWidget(new QLabel(tr("Format"), row));
    layout->addStretch();
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    auto *group = new QButtonGroup(row);
    const QString titles[2] = {tr("PNG"), tr("JPEG")};
    for (int i = 0; i < 2; ++i) {
        auto *button = new QPushButton(titles[i], row);
        button->setCheckable(true);
        button->setMinimumWidth(64);
        group->addButton(button, i);
        segments->addWidget(button);
        m_formatButtons[i] = button;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        m_settings.setImageFormat(ImageFormats::allCases[std::size_t(id)]);
    });
    layout->addLayout(segments);
    return row;
}

QWidget *SettingsView::makeQualityRow()
{
    m_qualityRow = new QWidget;
    QHBoxLayout *layout = bareRow(m_qualityRow);
    layout->addWidget(new QLabel(tr("Quality"), m_qualityRow));
    // Whole steps of one tenth, so every position is an exact tenth.
    m_qualitySlider = new QSlider(Qt::Horizontal, m_qualityRow);
    m_qualitySlider->setRange(1, 10);
    m_qualitySlider->setPageStep(1);
    connect(m_qualitySlider, &QSlider::valueChanged, this,
            [this](int tenths) { m_settings.setJpegQuality(tenths / 10.0); });
    m_qualityValue = new QLabel(m_qualityRow);
    m_qualityValue->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_qualityValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_qualityValue->setMinimumWidth(40);
    layout->addWidget(m_qualitySlider, 1);
    layout->addWidget(m_qualityValue);
    return m_qualityRow;
}

void SettingsView::addAfterCaptureToggles(QVBoxLayout *layout)
{
    using Setter = void (AppSettings::*)(bool);
    const struct
    {
        QString title;
        Setter set;
    } toggles[4] = {
        {tr("Copy to clipboard"), &AppSettings::setCopyToClipboard},
        {tr("Show preview thumbnail"), &AppSettings::setShowPreviewThumbnail},
        {tr("Play sound"), &AppSettings::setPlaySound},
        {tr("Prompt for file name"), &AppSettings::setPromptForFileName},
    };
    for (int i = 0; i < 4; ++i) {
        m_afterCapture[i] = new QCheckBox(toggles[i].title);
        // `clicked` comes from the user only, so showing a value never writes it back.
        connect(m_afterCapture[i], &QCheckBox::clicked, this,
                [settings = &m_settings, set = toggles[i].set](bool on) { (settings->*set)(on); });
        layout->addWidget(m_afterCapture[i]);
    }
}

QWidget *SettingsView::makeHotkeysTab(const QList<KeyboardShortcuts::Name> &captureNames)
{
    auto *form = new QWidget;
    auto *page = new QVBoxLayout(form);
    QVBoxLayout *rows = addSection(page, tr("Capture Shortcuts"), form);
    const QString labels[] = {tr("Region Capture"), tr("Scroll Capture"), tr("Fullscreen Capture"),
                              tr("Window Capture")};
    for (qsizetype i = 0; i < qMin(captureNames.size(), qsizetype(std::size(labels))); ++i)
        rows->addWidget(new KeyboardShortcuts::Recorder(labels[i], captureNames[i], {}, form));
    auto *note = new QLabel(tr("These shortcuts work globally, even when Quillet is in the background."), form);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    QFont caption = note->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    note->setFont(caption);
    addSection(page, QString(), form)->addWidget(note);
    page->addStretch();
    return scrollingPage(form);
}

void SettingsView::bindSettings()
{
    connect(&m_settings, &AppSettings::savePathChanged, m_savePath, &ElidedLabel::setFullText);
    m_savePath->setFullText(m_settings.savePath());
    connect(&m_settings, &AppSettings::imageFormatChanged, this, &SettingsView::showFormat);
    connect(&m_settings, &AppSettings::jpegQualityChanged, this, &SettingsView::showQuality);
    showFormat();
    showQuality();
    const std::pair<void (AppSettings::*)(bool), bool (AppSettings::*)() const> flags[4] = {
        {&AppSettings::copyToClipboardChanged, &AppSettings::copyToClipboard},
        {&AppSettings::showPreviewThumbnailChanged, &AppSettings::showPreviewThumbnail},
        {&AppSettings::playSoundChanged, &AppSettings::playSound},
        {&AppSettings::promptForFileNameChanged, &AppSettings::promptForFileName},
    };
    for (int i = 0; i < 4; ++i) {
        connect(&m_settings, flags[i].first, m_afterCapture[i], &QCheckBox::setChecked);
        m_afterCapture[i]->setChecked((m_settings.*flags[i].second)());
    }
}

void SettingsView::showFormat()
{
    const bool jpeg = m_settings.imageFormat() == ImageFormat::jpeg;
    m_formatButtons[jpeg ? 1 : 0]->setChecked(true);
    m_qualityRow->setVisible(jpeg);
}

// A stored quality between two tenths keeps its value: the slider shows the
// nearest step and writes nothing until the user moves it.
void SettingsView::showQuality()
{
    const double quality = m_settings.jpegQuality();
    const QSignalBlocker blocker(m_qualitySlider);
    m_qualitySlider->setValue(int(std::lround(quality * 10.0)));
    m_qualityValue->setText(percentText(quality));
}

// The tiny allowance keeps a value such as 0.57, stored as 0.5699999…,
// from reading one percent low.
QString SettingsView::percentText(double quality)
{
    return QString::number(static_cast<long long>(std::floor(quality * 100.0 + 1e-9))) + u'%';
}

// A refused change is not reported: the toggle just shows the real state.
void SettingsView::changeLaunchAtLogin(bool enabled)
{
    if (m_loginItems)
        m_loginItems->setEnabled(enabled);
    readLaunchAtLogin();
}

void SettingsView::readLaunchAtLogin()
{
    m_launchAtLogin->setEnabled(m_loginItems != nullptr);
    m_launchAtLogin->setChecked(m_loginItems && m_loginItems->isEnabled());
}

void SettingsView::setTrayAvailability(std::shared_ptr<TrayAvailability> tray)
{
    m_noTray->setTrayAvailability(std::move(tray));
}

// The window grows by the notice, so the tabs keep their room.
void SettingsView::fitNoTrayNotice(bool shown)
{
    const QMargins margins = layout()->contentsMargins();
    const int width = fixedWidth - margins.left() - margins.right();
    const int height = m_noTray->hasHeightForWidth() ? m_noTray->heightForWidth(width) : m_noTray->sizeHint().height();
    const int extra = shown ? height + layout()->spacing() : 0;
    setFixedSize(fixedWidth, fixedHeight + extra);
}

void SettingsView::present()
{
    // Another program or the user may have changed it meanwhile.
    readLaunchAtLogin();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    // The desktop's activation needs a mapped window: a window shown just
    // now gets it on its first expose.
    if (windowHandle() && windowHandle()->isExposed()) {
        if (m_activator)
            m_activator->activate(winId());
    } else if (!m_activateOnExpose && windowHandle()) {
        m_activateOnExpose = true;
        windowHandle()->installEventFilter(this);
    }
}

bool SettingsView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_activateOnExpose && watched == windowHandle() && event->type() == QEvent::Expose
        && windowHandle()->isExposed()) {
        m_activateOnExpose = false;
        windowHandle()->removeEventFilter(this);
        if (m_activator)
            m_activator->activate(winId());
    }
    return QWidget::eventFilter(watched, event);
}
