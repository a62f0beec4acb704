#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// The process-wide channel for named notifications between parts that do
// not know each other, e.g. "a stored shortcut changed". Main thread only.
class NotificationCenter : public QObject
{
    Q_OBJECT

public:
    static NotificationCenter &defaultCenter();

    void post(const QString &name, const QVariantMap &userInfo = {});

signals:
    void posted(const QString &name, const QVariantMap &userInfo);
};
