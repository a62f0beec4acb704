#include "KeyboardShortcuts/Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace KeyboardShortcuts {

Recorder::Recorder(const Name &name, RecorderCocoa::OnChange onChange, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
    , m_field(new RecorderCocoa(name, std::move(onChange), this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(m_field);
    setFocusProxy(m_field);
}

Recorder::Recorder(const QString &label, const Name &name, RecorderCocoa::OnChange onChange, QWidget *parent)
    : Recorder(name, std::move(onChange), parent)
{
    m_label = new QLabel(label, this);
    m_label->setBuddy(m_field);
    m_layout->insertWidget(0, m_label);
    m_layout->insertStretch(1);
}

void Recorder::setLabelWidth(int width)
{
    if (!m_label)
        return;
    m_label->setFixedWidth(width);
    // The stretch moves behind the field: label column, field, free space.
    if (m_layout->itemAt(1)->spacerItem()) {
        delete m_layout->takeAt(1);
        m_layout->addStretch();
    }
}

} // namespace KeyboardShortcuts
