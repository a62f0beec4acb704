#include "KeyboardShortcuts/Hotkeys.h"
#include "KeyboardShortcuts/Storage.h"
#include "ShortcutsTestSupport.h"
#include "platform/NotificationCenter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

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
    EXPECT_EQ(std::tuple(changed, backend->grabs.size(), isShortcutRegistered(name)),
        std::tuple(QStringList{"captureRegion"}, std::size_t(1), true));
    const Name again(QStringLiteral("captureRegion"), Shortcut(Key::five, commandOptionShift));
    EXPECT_EQ(again.shortcut(), region); // a stored value wins over a default
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(ShortcutStorage, ClearingWhatIsNotSetDoesNothing)
{
    const Name plain(QStringLiteral("plain"));
    plain.setShortcut(std::nullopt);
    EXPECT_EQ(std::pair(changed.size(), hasStoredValue(plain)), std::pair(qsizetype(0), false));
    plain.setShortcut(Shortcut(Key::a, ModifierFlags::control));
    plain.setShortcut(std::nullopt); // no default: the entry goes
    EXPECT_EQ(std::pair(changed.size(), hasStoredValue(plain)), std::pair(qsizetype(2), false));
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
    EXPECT_EQ(std::tuple(hasStoredValue(other), onDisk().value(regionKey), backend->grabs.size()),
        std::tuple(false, QJsonValue(false), std::size_t(0)));
}

TEST_F(ShortcutStorage, WhatIsNoShortcutReadsAsNone)
{
    const Name name(QStringLiteral("captureRegion"));
    for (const QVariant &stored : {QVariant(QStringLiteral("not json")),
             QVariant(QStringLiteral("{\"a\":1}")), QVariant(21), QVariant(true)}) {
        SCOPED_TRACE(stored.toString().toStdString());
        store->setValue(regionKey, stored);
        EXPECT_EQ(
            std::pair(readShortcut(name), hasStoredValue(name)), std::pair(std::optional<Shortcut>(), true));
    }
    name.setShortcut(region); // a new shortcut replaces it
    EXPECT_EQ(readShortcut(name), region);
}

TEST_F(ShortcutStorage, NamesSharingAShortcutShareOneHotkey)
{
    // Left behind by a name this program no longer declares: it holds nothing.
    store->setValue(QStringLiteral("KeyboardShortcuts_removed"), QString::fromUtf8(region.toJson()));
    const Name first(QStringLiteral("first"), region), second(QStringLiteral("second"), region);
    EXPECT_EQ(backend->grabs.size(), 1u);
    // Moving one name away must not take the hotkey from the other.
    first.setShortcut(Shortcut(Key::five, commandOptionShift));
    EXPECT_EQ(
        std::pair(backend->grabs.size(), isShortcutRegistered(second)), std::pair(std::size_t(2), true));
    second.setShortcut(std::nullopt);
    EXPECT_EQ(backend->grabs.size(), 1u);
}

} // namespace
