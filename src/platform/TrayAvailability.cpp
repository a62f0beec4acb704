#include "platform/TrayAvailability.h"

#include <algorithm>

TrayAvailability::~TrayAvailability() = default;

AnyTrayAvailability::AnyTrayAvailability(QList<std::shared_ptr<TrayAvailability>> sources, QObject *parent)
    : TrayAvailability(parent)
    , m_sources(std::move(sources))
{
    for (const auto &source : std::as_const(m_sources))
        connect(source.get(), &TrayAvailability::availableChanged, this, &AnyTrayAvailability::update);
    m_available = anyAvailable();
}

bool AnyTrayAvailability::anyAvailable() const
{
    return std::any_of(m_sources.begin(), m_sources.end(), [](const auto &s) { return s->isAvailable(); });
}

void AnyTrayAvailability::update()
{
    if (anyAvailable() == m_available)
        return;
    m_available = !m_available;
    emit availableChanged(m_available);
}
