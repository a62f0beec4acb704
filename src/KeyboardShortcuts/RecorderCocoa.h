#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QLineEdit>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <optional>

class QMessageBox;

namespace KeyboardShortcuts {

class CaretStyle;

// Posted when a recorder starts or stops recording, with "isActive" (bool)
// in its user info.
inline constexpr char recorderActiveStatusDidChange[] = "KeyboardShortcuts_recorderActiveStatusDidChange";

// The field in which the user sets or clears the shortcut of one name.
//
// A click starts recording (Space or Return too, once the field has the
// keyboard); the next acceptable combination is stored, shown and reported
// to onChange, and recording ends. While it records no hotkey handler runs,
// the caret is hidden and every key goes to the field: Tab moves on, Escape
// gives up, Backspace and Delete clear the shortcut and record on. Keys
// without Control, Alt or Super are refused with the bell unless they are
// function keys; combinations one of our menus or another program uses are
// explained in an alert.
class RecorderCocoa : public QLineEdit
{
    Q_OBJECT

public:
    using OnChange = std::function<void(const std::optional<Shortcut> &)>;

    explicit RecorderCocoa(const Name &name, OnChange onChange = {}, QWidget *parent = nullptr);
    ~RecorderCocoa() override;

    Name shortcutName() const { return m_shortcutName; }
    void setShortcutName(const Name &name);

    bool isRecording() const { return m_recording; }

    // As wide as its text needs, at least 130, and at least 24 high, like
    // the other controls of a form row.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int minimumWidth = 130;
    static constexpr int minimumHeight = 24;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshDisplay();
    void startRecording();
    void endRecording();
    void holdKeyboard(bool hold);
    void setRecordingLook(bool recording);
    void blur();
    void restartRecording();
    bool handleRecorderEvent(QObject *watched, QEvent *event);
    bool handleKey(QKeyEvent *event);
    bool handleEditingKey(const QKeyEvent *event);
    bool refuseForConflict(const Shortcut &shortcut);
    void moveFocusOn();
    void pressClearButton();
    void textEditedByUser(const QString &text);
    void accept(const Shortcut &shortcut);
    bool askToUseDespiteSystem();
    void showMenuConflict(const QString &itemTitle);
    void beep() const;

    Name m_shortcutName;
    OnChange m_onChange;
    CaretStyle *m_caretStyle = nullptr;
    QPointer<QWindow> m_keyboardHolder; // the window holding the keyboard for us
    bool m_recording = false;
    // Set while recording should start again as soon as the field has the
    // keyboard back (after an alert, or after the field was emptied).
    bool m_restartOnFocus = false;
};

} // namespace KeyboardShortcuts
