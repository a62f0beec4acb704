#pragma once

#include "KeyboardShortcuts/RecorderCocoa.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace KeyboardShortcuts {

// The recorder field for a form: alone, or as a row with a label before it.
// A labelled row puts the label at the leading edge and the field at the
// trailing one, so the fields of rows stacked in one column line up; with
// setLabelWidth the field follows a label column of that width instead.
class Recorder : public QWidget
{
    Q_OBJECT

public:
    explicit Recorder(const Name &name, RecorderCocoa::OnChange onChange = {}, QWidget *parent = nullptr);
    Recorder(const QString &label, const Name &name, RecorderCocoa::OnChange onChange = {},
             QWidget *parent = nullptr);

    RecorderCocoa *field() const { return m_field; }
    QLabel *label() const { return m_label; }

    void setName(const Name &name) { m_field->setShortcutName(name); }
    void setLabelWidth(int width);

private:
    QHBoxLayout *m_layout = nullptr;
    QLabel *m_label = nullptr;
    RecorderCocoa *m_field = nullptr;
};

} // namespace KeyboardShortcuts
