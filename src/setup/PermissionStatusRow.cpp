#include "setup/PermissionStatusRow.h"

#include "setup/PermissionService.h"
#include "setup/SymbolImages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

PermissionStatusRow::PermissionStatusRow(PermissionService &permission, QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_grantButton(new QPushButton(tr("Grant Access…"), this))
    , m_required(permission.isPermissionRequired())
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_symbol);
    layout->addWidget(new QLabel(tr("Screen Recording"), this));
    layout->addStretch();
    layout->addWidget(m_grantButton);
    connect(m_grantButton, &QPushButton::clicked, &permission, &PermissionService::openSystemSettings);
    // Hidden, the button keeps its room, so the row does not change height.
    QSizePolicy policy = m_grantButton->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_grantButton->setSizePolicy(policy);
    connect(&permission, &PermissionService::hasScreenCapturePermissionChanged, this,
            &PermissionStatusRow::showState);
    showState(permission.hasScreenCapturePermission());
}

void PermissionStatusRow::showState(bool granted)
{
    m_granted = granted;
    const int side = fontMetrics().height();
    m_symbol->setPixmap(SymbolImages::statusCircle(granted).pixmap(QSize(side, side), devicePixelRatioF()));
    m_symbol->setAccessibleName(granted ? tr("Granted") : tr("Not granted"));
    m_grantButton->setVisible(!granted && m_required);
}
