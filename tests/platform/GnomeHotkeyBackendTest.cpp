#include "platform/wayland/GnomeHotkeyBackend.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Custom = GnomeKeybindingStore::Custom;
const QString mine = GnomeHotkeyBackend::pathPrefix + QStringLiteral("capture-region/");
const QString users = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/");
const HotkeyBackend::Command region{QStringLiteral("Quillet: Capture Region"), {"--capture", "region"}};
constexpr KeyModifiers shiftAltSuper{true, false, true, true};
constexpr int four = 5, three = 4, a = 30, grave = 41;

// GNOME's settings as plain maps, shared with the test after the backend owns it.
struct Settings
{
    std::optional<QStringList> paths = QStringList{};
    std::map<QString, Custom> customs;
    QStringList system;
    int listWrites = 0;
};

class FakeStore : public GnomeKeybindingStore
{
public:
    explicit FakeStore(Settings &settings) : s(settings) {}
    std::optional<QStringList> customPaths() override { return s.paths; }
    bool setCustomPaths(const QStringList &paths) override { return s.paths = paths, ++s.listWrites; }
    std::optional<Custom> custom(const QString &path) override
    {
        return s.customs.contains(path) ? std::optional(s.customs[path]) : std::nullopt;
    }
    bool setCustom(const QString &path, const Custom &binding) override { return s.customs[path] = binding, true; }
    void resetCustom(const QString &path) override { s.customs.erase(path); }
    QStringList systemAccelerators() override { return s.system; }

private:
    Settings &s;
};

// A "us" keyboard, small: the digits 3 and 4, "a" and the grave key.
GnomeHotkeyBackend::Keysyms keysyms()
{
    static const std::map<int, QString> names{{four, "4"}, {three, "3"}, {a, "a"}, {grave, "grave"}};
    return {[](int key) { return names.contains(key) ? std::optional(names.at(key)) : std::nullopt; },
            [](const QString &name) {
                std::vector<int> keys;
                for (const auto &[key, keyName] : names) {
                    if (keyName.compare(name, Qt::CaseInsensitive) == 0 || (key == four && name == u"dollar"))
                        keys.push_back(key);
                }
                return keys;
            }};
}

class GnomeHotkeys : public ::testing::Test
{
protected:
    GnomeHotkeys()
    {
        backend.setCommandSource([this](quint32 id) { return commands[id]; });
    }
    Settings settings;
    std::map<quint32, std::vector<HotkeyBackend::Command>> commands{{1, {region}}, {2, {region}}};
    GnomeHotkeyBackend backend{std::make_unique<FakeStore>(settings), keysyms(), QStringLiteral("/opt/My Apps/quillet")};
};

TEST_F(GnomeHotkeys, ABindingIsWrittenUnderItsOwnPathNextToTheUsersAndFollowsItsShortcut)
{
    settings.paths = QStringList{users};
    settings.customs[users] = {"Terminal", "gnome-terminal", "<Super>t"};
    ASSERT_EQ(backend.grab(1, {four}, shiftAltSuper), HotkeyBackend::Result::grabbed);
    // GNOME Settings adds a binding before ours is written: both stay.
    settings.paths->append(users + "x");
    ASSERT_TRUE(TestSupport::waitUntil([&] { return settings.paths->size() == 3; }));
    EXPECT_EQ(settings.paths, (QStringList{users, users + "x", mine}));
    EXPECT_EQ(settings.customs[mine],
              (Custom{"Quillet: Capture Region", "'/opt/My Apps/quillet' --capture region", "<Shift><Alt><Super>4"}));
    // A new shortcut for the same command rewrites the one binding in place,
    // whichever of the old release and the new registration comes first.
    ASSERT_EQ(backend.grab(2, {three}, {false, true, false, false}), HotkeyBackend::Result::grabbed);
    backend.ungrab(1);
    backend.flush();
    EXPECT_EQ(std::pair(settings.paths->size(), settings.customs[mine].binding), std::pair(qsizetype(3), QString("<Control>3")));
    backend.ungrab(2);
    backend.flush();
    EXPECT_EQ(settings.paths, (QStringList{users, users + "x"}));
    EXPECT_EQ(std::pair(settings.customs.contains(mine), settings.customs[users].binding), std::pair(false, QString("<Super>t")));
    // Nothing left to change: the list is not written again.
    const int writes = settings.listWrites;
    backend.flush();
    EXPECT_EQ(settings.listWrites, writes);
}

TEST_F(GnomeHotkeys, AListThatCannotBeReadIsNeverWrittenAndTheBindingFails)
{
    settings.paths.reset();
    EXPECT_EQ(backend.grab(1, {four}, shiftAltSuper), HotkeyBackend::Result::invalid);
    backend.flush();
    EXPECT_EQ(std::pair(settings.listWrites, settings.customs.size()), std::pair(0, std::size_t(0)));
}

TEST_F(GnomeHotkeys, BindingsStayWhenQuilletQuits)
{
    backend.grab(1, {four}, shiftAltSuper);
    backend.freeze(); // writes what was pending
    backend.ungrab(1);
    backend.flush();
    EXPECT_EQ(std::pair(settings.paths, settings.customs.contains(mine)), std::pair(std::optional(QStringList{mine}), true));
}

TEST_F(GnomeHotkeys, CombinationsTheDesktopOrAnotherBindingUsesAreTaken)
{
    struct Case
    {
        const char *accelerator;
        int key;
        KeyModifiers modifiers;
        bool taken;
    };
    const Case cases[] = {
        {"<Shift><Alt><Super>4", four, shiftAltSuper, true},
        {"<Super><Alt><Shift>dollar", four, shiftAltSuper, true}, // the same key at another level
        {"<Primary>a", a, {false, true, false, false}, true},
        {"<Ctrl>A", a, {false, true, false, false}, true},
        {"<Super>Above_Tab", grave, {false, false, false, true}, true},
        {"<Mod4>a", a, {false, false, false, true}, true},
        {"<Shift><Super>4", four, shiftAltSuper, false}, // fewer modifiers
        {"<Hyper><Shift><Alt><Super>4", four, shiftAltSuper, false},
        {"<Shift><Alt><Super>3", four, shiftAltSuper, false},
        {"", four, shiftAltSuper, false},
        {"disabled", four, shiftAltSuper, false},
    };
    for (const Case &c : cases) {
        settings.system = {QString::fromLatin1(c.accelerator)};
        EXPECT_EQ(backend.isTakenByOthers({c.key}, c.modifiers), c.taken) << c.accelerator;
        EXPECT_EQ(backend.grab(9, {c.key}, c.modifiers) == HotkeyBackend::Result::taken, c.taken) << c.accelerator;
    }
    // Another program's custom binding is taken; Quillet's own from an earlier run is not.
    settings.system.clear();
    settings.paths = QStringList{users, mine};
    settings.customs[users] = {"Other", "other", "<Shift><Alt><Super>3"};
    settings.customs[mine] = {"Quillet: Capture Region", "quillet --capture region", "<Shift><Alt><Super>4"};
    EXPECT_EQ(std::pair(backend.isTakenByOthers({three}, shiftAltSuper), backend.isTakenByOthers({four}, shiftAltSuper)),
              std::pair(true, false));
    EXPECT_EQ(backend.grab(1, {99}, shiftAltSuper), HotkeyBackend::Result::invalid); // no keysym
}

TEST(GnomeHotkeyText, CommandLinesSplitBackAndPathsComeFromTheArguments)
{
    EXPECT_EQ(GnomeHotkeyBackend::commandLine("/usr/bin/quillet", {"--capture", "window"}),
              "/usr/bin/quillet --capture window");
    EXPECT_EQ(GnomeHotkeyBackend::commandLine("/home/o'neil/quillet $HOME", {}), R"('/home/o'\''neil/quillet $HOME')");
    EXPECT_EQ(GnomeHotkeyBackend::pathOf({"", {"--capture", "fullscreen"}}),
              GnomeHotkeyBackend::pathPrefix + "capture-fullscreen/");
}

} // namespace
