#include "setup/PermissionService.h"

#include "platform/ScreenCapturePermission.h"

#include <QTimer>

PermissionService::PermissionService(ScreenCapturePermission &permission, QObject *parent)
    : QObject(parent)
    , m_permission(permission)
{
    checkPermission();
}

bool PermissionService::isPermissionRequired() const
{
    return m_permission.isRequired();
}

void PermissionService::checkPermission()
{
    setHasScreenCapturePermission(m_permission.preflight());
}

void PermissionService::requestPermission()
{
    if (m_hasScreenCapturePermission)
        return;
    // The answer may come much later, from the user; polling picks it up.
    m_permission.request();
    startPolling();
}

void PermissionService::startPolling()
{
    stopPolling();
    // A child of the service, so a tick never outlives it.
    auto *timer = new QTimer(this);
    timer->setInterval(PollIntervalMs);
    connect(timer, &QTimer::timeout, this, &PermissionService::pollTick);
    timer->start();
    m_pollTimer = timer;
    emit pollTimerChanged();
}

void PermissionService::openSystemSettings()
{
    m_permission.openSystemSettings();
}

void PermissionService::pollTick()
{
    checkPermission();
    if (m_hasScreenCapturePermission)
        stopPolling();
}

void PermissionService::setHasScreenCapturePermission(bool granted)
{
    if (granted == m_hasScreenCapturePermission)
        return;
    m_hasScreenCapturePermission = granted;
    emit hasScreenCapturePermissionChanged(granted);
}

void PermissionService::stopPolling()
{
    if (!m_pollTimer)
        return;
    m_pollTimer->stop();
    // Deferred: a tick may be what stops the timer.
    m_pollTimer->deleteLater();
    m_pollTimer = nullptr;
    emit pollTimerChanged();
}
