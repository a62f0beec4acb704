#include "KeyboardShortcuts/RecorderCocoa.h"

#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/RecorderConflicts.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/State.h"
#include "KeyboardShortcuts/Storage.h"
#include "KeyboardShortcuts/Strings.h"
#include "platform/NotificationCenter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QWindow>

namespace KeyboardShortcuts {

// QLineEdit has no switch for its caret: it asks the style how wide to draw
// it, so a style that answers 0 hides it.
class CaretStyle : public QProxyStyle
{
public:
    bool hidden = false;

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_TextCursorWidth && hidden)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

namespace {

constexpr Qt::KeyboardModifiers relevantModifiers
    = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// On X11 a modifier key arrives as a key press of its own, before the key
// it modifies; it is part of the combination being typed, not a key.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

// F1-F35 by the key's meaning, or a PC key that stands in a function key's
// place (Print Screen for F13), by its position.
bool isFunctionKey(int key, const std::optional<Shortcut> &shortcut)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return true;
    if (!shortcut)
        return false;
    const auto special = specialKeysByKeyCode().constFind(shortcut->carbonKeyCode);
    return special != specialKeysByKeyCode().cend() && *special >= SpecialKey::f1 && *special <= SpecialKey::f20;
}

// A combination with Control, Alt or Super, or a function key alone or
// with Shift; none for any other key.
std::optional<Shortcut> recordableShortcut(const QKeyEvent *event)
{
    const std::optional<Shortcut> shortcut = Shortcut::fromEvent(event);
    const bool hasCommandKey
        = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!shortcut || (!hasCommandKey && !isFunctionKey(event->key(), shortcut)))
        return std::nullopt;
    return shortcut;
}

void postActiveStatus(bool isActive)
{
    NotificationCenter::defaultCenter().post(QLatin1String(recorderActiveStatusDidChange),
                                             {{QStringLiteral("isActive"), isActive}});
}

} // namespace

RecorderCocoa::RecorderCocoa(const Name &name, OnChange onChange, QWidget *parent)
    : QLineEdit(parent)
    , m_shortcutName(name)
    , m_onChange(std::move(onChange))
    , m_caretStyle(new CaretStyle)
{
    m_caretStyle->setParent(this);
    setStyle(m_caretStyle);
    setPlaceholderText(localizedString("record_shortcut"));
    setAlignment(Qt::AlignCenter);
    setClearButtonEnabled(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The field shows a shortcut; it never takes typed, pasted or dropped text.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textEdited, this, &RecorderCocoa::textEditedByUser);
    connect(this, &QLineEdit::textChanged, this, &QWidget::updateGeometry);
    refreshDisplay();
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::posted, this,
            [this](const QString &notification, const QVariantMap &userInfo) {
                if (notification == QLatin1String(shortcutByNameDidChange)
                    && userInfo.value(QStringLiteral("name")).value<Name>() == m_shortcutName)
                    refreshDisplay();
            });
}

// A recorder that goes while recording must not leave the hotkeys paused.
RecorderCocoa::~RecorderCocoa()
{
    endRecording();
}

void RecorderCocoa::setShortcutName(const Name &name)
{
    if (name.rawValue == m_shortcutName.rawValue)
        return;
    m_shortcutName = name;
    refreshDisplay();
}

// Modifier words take room: the field shows a usual combination of three
// modifiers whole beside its clear button, so that the fields of a form line
// up, and grows for a longer one.
QSize RecorderCocoa::sizeHint() const
{
    const int height = qMax(minimumHeight, QLineEdit::sizeHint().height());
    const QFontMetrics metrics = fontMetrics();
    const QString shown = text().isEmpty() ? placeholderText() : text();
    const int textWidth
        = qMax(metrics.horizontalAdvance(shown), metrics.horizontalAdvance(QStringLiteral("Shift+Alt+Super+0")));
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    // The clear button is about as wide as the field is high; a little air
    // on either side of the text.
    return {qMax(minimumWidth, textWidth + 2 * frame + height + 12), height};
}

QSize RecorderCocoa::minimumSizeHint() const
{
    return sizeHint();
}

void RecorderCocoa::refreshDisplay()
{
    const auto shortcut = readShortcut(m_shortcutName);
    setText(shortcut ? shortcut->description() : QString());
}

// Only a click, the keyboard on a focused field, or our own restart after an
// alert starts recording: a window that becomes active and hands the field
// the keyboard back must not.
void RecorderCocoa::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const bool byUser = event->reason() == Qt::MouseFocusReason || event->reason() == Qt::ShortcutFocusReason;
    if (byUser || m_restartOnFocus)
        startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    endRecording();
}

void RecorderCocoa::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & relevantModifiers) == Qt::NoModifier;
    const int key = event->key();
    if (!m_recording && plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        startRecording();
        return;
    }
    event->ignore();
}

void RecorderCocoa::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (hasFocus() && !m_recording)
        startRecording();
}

// A click soon after another at the same place comes as a double click, as
// when the user gives up with Escape and clicks again: it starts recording
// as any click does.
void RecorderCocoa::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    if (hasFocus() && !m_recording)
        startRecording();
}

void RecorderCocoa::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    blur();
}

void RecorderCocoa::startRecording()
{
    m_restartOnFocus = false;
    if (m_recording || !window()->isVisible())
        return;
    m_recording = true;
    setRecordingLook(true);
    setRecorderActive(true);
    holdKeyboard(true);
    postActiveStatus(true);
    // Like a local event monitor: every key and click of the application
    // comes here first while recording.
    qApp->installEventFilter(this);
}

void RecorderCocoa::endRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    qApp->removeEventFilter(this);
    holdKeyboard(false);
    setRecordingLook(false);
    setRecorderActive(false);
    postActiveStatus(false);
}

// While it records, the window takes the whole keyboard, so that every
// combination comes to the field, also one that the window manager or
// another program has grabbed: none of their grabs takes a key from an
// active grab, and none of them takes the keyboard away from the window
// (which would end recording). Where the platform has no such grab, keys
// simply come as usual.
void RecorderCocoa::holdKeyboard(bool hold)
{
    if (!hold) {
        if (m_keyboardHolder)
            m_keyboardHolder->setKeyboardGrabEnabled(false);
        m_keyboardHolder = nullptr;
        return;
    }
    QWindow *holder = window()->windowHandle();
    if (holder && holder->setKeyboardGrabEnabled(true))
        m_keyboardHolder = holder;
}

void RecorderCocoa::setRecordingLook(bool recording)
{
    setPlaceholderText(localizedString(recording ? "press_shortcut" : "record_shortcut"));
    updateGeometry();
    m_caretStyle->hidden = recording;
    // QLineEdit reads the caret width from its style only on a style change.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(this, &styleChange);
    update();
}

void RecorderCocoa::blur()
{
    m_restartOnFocus = false;
    endRecording();
    if (hasFocus())
        clearFocus();
}

void RecorderCocoa::restartRecording()
{
    m_restartOnFocus = true;
    if (hasFocus())
        startRecording();
    else
        setFocus(Qt::OtherFocusReason);
}

bool RecorderCocoa::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_recording)
        return QLineEdit::eventFilter(watched, event);
    return handleRecorderEvent(watched, event);
}

// Returns whether the event is consumed.
bool RecorderCocoa::handleRecorderEvent(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // No menu or window shortcut fires while a combination is typed here.
        event->accept();
        return true;
    case QEvent::KeyPress:
        return handleKey(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mapFromGlobal(mouse->globalPosition().toPoint());
        const bool leftOrRight = mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton;
        // A click in the field (its clear button included) goes on as usual.
        if (leftOrRight && !rect().adjusted(-3, -3, 3, 3).contains(at))
            blur();
        return false;
    }
    case QEvent::WindowDeactivate:
        if (watched == window())
            blur();
        return false;
    default:
        return false;
    }
}

bool RecorderCocoa::handleKey(QKeyEvent *event)
{
    if (isModifierKey(event->key()) || handleEditingKey(event))
        return true;
    const std::optional<Shortcut> shortcut = recordableShortcut(event);
    if (!shortcut)
        beep();
    else if (!refuseForConflict(*shortcut))
        accept(*shortcut);
    return true;
}

// Tab, Escape, Backspace and Delete with no modifiers edit the field
// rather than make a shortcut.
bool RecorderCocoa::handleEditingKey(const QKeyEvent *event)
{
    if ((event->modifiers() & relevantModifiers) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Tab:
        moveFocusOn();
        return true;
    case Qt::Key_Escape:
        blur();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        pressClearButton();
        return true;
    default:
        return false;
    }
}

// Explains a combination that one of our menus or another program uses.
// Returns whether the combination is refused; recording then goes on.
bool RecorderCocoa::refuseForConflict(const Shortcut &shortcut)
{
    // The alerts run a modal loop in which this field may be destroyed.
    const QPointer<RecorderCocoa> self(this);
    if (const auto item = menuItemUsing(applicationMenus(), shortcut)) {
        blur();
        showMenuConflict(menuItemTitle(*item));
        if (self)
            restartRecording();
        return true;
    }
    // Some macOS releases refuse Option-only hotkeys in sandboxed programs;
    // X11 grabs know no such rule, so nothing more is refused here.
    const bool isBareF12 = shortcut.carbonKeyCode == Key::f12.rawValue && shortcut.carbonModifiers == 0;
    if (isBareF12 || !isTakenBySystem(shortcut))
        return false;
    blur();
    const bool useAnyway = askToUseDespiteSystem();
    if (self && !useAnyway)
        restartRecording();
    return !self || !useAnyway;
}

void RecorderCocoa::moveFocusOn()
{
    focusNextChild();
    blur();
}

// Through the field's own clear action, so that emptying the field by key
// and by click take the same road: the text-change rule below.
void RecorderCocoa::pressClearButton()
{
    for (QAction *action : actions()) {
        if (action->objectName() == QLatin1String("_q_qlineeditclearaction")) {
            action->trigger();
            return;
        }
    }
    if (!text().isEmpty()) {
        clear();
        textEditedByUser(QString());
    }
}

void RecorderCocoa::textEditedByUser(const QString &text)
{
    if (!text.isEmpty())
        return;
    writeShortcut(std::nullopt, m_shortcutName);
    if (m_onChange)
        m_onChange(std::nullopt);
    restartRecording();
}

void RecorderCocoa::accept(const Shortcut &shortcut)
{
    setText(shortcut.description());
    writeShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    blur();
}

namespace {

// A warning alert, modal on the recorder's window; returns the index of the
// button the user chose, or -1. The recorder or its window may go while the
// alert is open.
int runAlert(QWidget *recorder, const QString &text, const QString &informativeText,
             const QList<std::pair<QString, QMessageBox::ButtonRole>> &buttons)
{
    const QPointer<QWidget> parent = recorder->window()->isVisible() ? recorder->window() : nullptr;
    QPointer<QMessageBox> alert = new QMessageBox(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                                                  text, QMessageBox::NoButton, parent.data());
    alert->setInformativeText(informativeText);
    alert->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    QList<QPushButton *> added;
    for (const auto &[title, role] : buttons)
        added.append(alert->addButton(title, role));
    // Return and Escape both answer with the first, harmless button.
    alert->setDefaultButton(added.constFirst());
    alert->setEscapeButton(added.constFirst());
    alert->exec();
    if (!alert)
        return -1;
    const int chosen = int(added.indexOf(qobject_cast<QPushButton *>(alert->clickedButton())));
    delete alert;
    // The window gave the keyboard to the alert; it takes it back.
    if (parent)
        parent->activateWindow();
    return chosen;
}

} // namespace

void RecorderCocoa::showMenuConflict(const QString &itemTitle)
{
    runAlert(this, localizedString("keyboard_shortcut_used_by_menu_item").arg(itemTitle), QString(),
             {{localizedString("ok"), QMessageBox::AcceptRole}});
}

bool RecorderCocoa::askToUseDespiteSystem()
{
    return runAlert(this, localizedString("keyboard_shortcut_used_by_system"),
                    localizedString("keyboard_shortcuts_can_be_changed"),
                    {{localizedString("ok"), QMessageBox::AcceptRole},
                     {localizedString("force_use_shortcut"), QMessageBox::DestructiveRole}})
        == 1;
}

void RecorderCocoa::beep() const
{
    if (const auto &beep = state().environment.beep)
        beep();
    else
        QApplication::beep();
}

} // namespace KeyboardShortcuts
