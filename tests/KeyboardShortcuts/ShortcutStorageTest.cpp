#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Storage.h"
#include "ShortcutsTestSupport.h"
#include "platform/NotificationCenter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace {

using namespace KeyboardShortcuts;

const QString regionKey = QStringLiteral("KeyboardShortcuts_captureRegion");

class ShortcutStorage : public ShortcutsTest
{
protected:
    QJsonObject onDisk() const
    {
        QFile file(store->filePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QStringList changed;
    QObject context;
    QMetaObject::Connection watch = QObject::connect(&NotificationCenter::defaultCenter(),
        &NotificationCenter::posted, &context, [this](const QString &name, const QVariantMap &info) {
            if (name == QLatin1String(shortcutByNameDidChange))
                changed.append(info.value(QStringLiteral("name")).value<Name>().rawValue);
        });
};

TEST_F(ShortcutStorage, DefaultIsStoredOnceAndRegistered)
{
    const Name name(QStringLiteral("captureRegion"), region);
    EXPECT_EQ(onDisk().value(regionKey),
        QJsonValue(QStringLiteral(R"({"carbonKeyCode":21,"carbonModifiers":2816})")));
    EXPECT_EQ(changed, QStringList{QStringLiteral("captureRegion")});
    EXPECT_EQ(backend->grabs.size(), 1u);
    EXPECT_TRUE(isShortcutRegistered(name));

    const Name again(QStringLiteral("captureRegion"), Shortcut(Key::five, commandOptionShift));
    EXPECT_EQ(again.shortcut(), region); // a stored value wins over a default
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(ShortcutStorage, ClearingWhatIsNotSetDoesNothing)
{
    const Name plain(QStringLiteral("plain"));
    plain.setShortcut(std::nullopt);
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_FALSE(hasStoredValue(plain));

    plain.setShortcut(Shortcut(Key::a, ModifierFlags::control));
    plain.setShortcut(std::nullopt); // no default: the entry goes
    EXPECT_FALSE(hasStoredValue(plain));
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(ShortcutStorage, ResetRestoresDefaultsAndResetAllKeepsFalseMarkers)
{
    const Name withDefault(QStringLiteral("captureRegion"), region);
    const Name other(QStringLiteral("other"));
    other.setShortcut(Shortcut(Key::b, ModifierFlags::command));
    withDefault.setShortcut(std::nullopt);

    resetShortcuts({withDefault});
    EXPECT_EQ(withDefault.shortcut(), region);

    withDefault.setShortcut(std::nullopt);
    resetAllShortcuts();
    EXPECT_FALSE(hasStoredValue(other));
    EXPECT_EQ(onDisk().value(regionKey), QJsonValue(false));
    EXPECT_TRUE(backend->grabs.empty());
}

TEST_F(ShortcutStorage, WhatIsNoShortcutReadsAsNone)
{
    const Name name(QStringLiteral("captureRegion"));
    for (const QVariant &stored : {QVariant(QStringLiteral("not json")),
             QVariant(QStringLiteral("{\"a\":1}")), QVariant(21), QVariant(true)}) {
        SCOPED_TRACE(stored.toString().toStdString());
        store->setValue(regionKey, stored);
        EXPECT_EQ(readShortcut(name), std::nullopt);
        EXPECT_TRUE(hasStoredValue(name));
    }
    name.setShortcut(region); // a new shortcut replaces it
    EXPECT_EQ(readShortcut(name), region);
}

TEST_F(ShortcutStorage, NamesSharingAShortcutShareOneHotkey)
{
    // Left behind by a name this program no longer declares: it holds nothing.
    store->setValue(QStringLiteral("KeyboardShortcuts_removed"), QString::fromUtf8(region.toJson()));
    const Name first(QStringLiteral("first"), region);
    const Name second(QStringLiteral("second"), region);
    EXPECT_EQ(backend->grabs.size(), 1u);

    // Moving one name away must not take the hotkey from the other.
    first.setShortcut(Shortcut(Key::five, commandOptionShift));
    EXPECT_EQ(backend->grabs.size(), 2u);
    EXPECT_TRUE(isShortcutRegistered(second));
    second.setShortcut(std::nullopt);
    EXPECT_EQ(backend->grabs.size(), 1u);
}

} // namespace
