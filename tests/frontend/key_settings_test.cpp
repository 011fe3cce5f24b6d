// The key bindings: keysettings.dat, the key map built from it, the key
// names and the dialog's rebinding and OK rules.
#include <gtest/gtest.h>

#include <string>

#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/key_settings.h"
#include "world/world_support.h"

namespace {

const std::string DefaultFileText =
    "38 40 37 39 17 16 188 190 220 8 13\r\n69 68 83 70 90 65 87 82 67 81 88";

} // namespace

TEST(KeySettingsFile, DefaultsRoundTripByteForByte) {
    WorldRig rig;
    EXPECT_EQ(KeySettingsText(DefaultKeyLists()), DefaultFileText);
    ASSERT_EQ(SaveKeySettings(rig.g().ProgramFolder, DefaultKeyLists()), "");
    EXPECT_EQ(rig.Folder.Read(KeySettingsFileName), DefaultFileText);
    TKeyLists back;
    ASSERT_EQ(LoadKeySettings(rig.g().ProgramFolder, back), "");
    EXPECT_EQ(back, DefaultKeyLists());
    // The shipped file is the defaults.
    TKeyLists shipped;
    ASSERT_EQ(LoadKeySettings(MOOR_SOURCE_DIR "/data", shipped), "");
    EXPECT_EQ(shipped, DefaultKeyLists());
}

TEST(KeySettingsFile, NumbersAreReadWhereverTheLinesBreak) {
    WorldRig rig;
    // Line 2 missing: player 2 gets code 0 for everything.
    rig.Folder.Write(KeySettingsFileName, "38 40 37 39 17 16 188 190 220 8 13\r\n");
    TKeyLists l;
    ASSERT_EQ(LoadKeySettings(rig.g().ProgramFolder, l), "");
    for (int i = 0; i < KeyActionCount; ++i) {
        EXPECT_EQ(l.Key(0, i), DefaultKeyLists().Key(0, i));
        EXPECT_EQ(l.Key(1, i), 0);
    }
    EXPECT_EQ(KeyName(l.Key(1, 0)), "Unknown");
    // One number a line, LF only, tabs, a number past 255 keeps its low byte.
    std::string text;
    for (int i = 0; i < 22; ++i)
        text += (i == 3 ? "300" : std::to_string(65 + i)) + (i % 2 ? "\n" : "\t ");
    rig.Folder.Write(KeySettingsFileName, text);
    ASSERT_EQ(LoadKeySettings(rig.g().ProgramFolder, l), "");
    EXPECT_EQ(l.Key(0, 0), 65);
    EXPECT_EQ(l.Key(0, 3), 44);
    EXPECT_EQ(l.Key(1, 10), 86);
}

TEST(KeySettingsFile, AMissingOrBadFileIsSaidAndTheDefaultsArePlayed) {
    WorldRig rig;
    Game& g = rig.g();
    TKeyLists l = DefaultKeyLists();
    EXPECT_EQ(LoadKeySettings(g.ProgramFolder, l), "File not found");
    LoadKeyMapAtStart(g);
    EXPECT_EQ(rig.TheUi.Boxes, std::vector<std::string>{"File not found"});
    EXPECT_EQ(g.KeyMap[vk::Up], caForward);
    EXPECT_EQ(g.KeyMap['X'], Player2KeyActions + caDropMine);

    // The numbers before a bad word are kept in the lists; the game still
    // plays with the defaults.
    rig.Folder.Write(KeySettingsFileName, "1 2 3 x4 5");
    l = TKeyLists{};
    EXPECT_EQ(LoadKeySettings(g.ProgramFolder, l), "Invalid numeric input");
    EXPECT_EQ(l.Key(0, 2), 3);
    EXPECT_EQ(l.Key(0, 3), 0);
    LoadKeyMapAtStart(g);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Invalid numeric input");
    EXPECT_EQ(g.KeyMap[vk::Up], caForward);
    EXPECT_EQ(g.KeyMap[1], NoKeyAction);
}

TEST(KeyMap, PlayerTwoWinsASharedCodeAndTheListsComeBackFromTheMap) {
    TKeyLists l = DefaultKeyLists();
    l.Key(0, caFire) = 'Z'; // also player 2's fire
    std::array<uint8_t, KeyCodeCount> map{};
    BuildKeyMap(l, map);
    EXPECT_EQ(map['Z'], Player2KeyActions + caFire);
    EXPECT_EQ(map[vk::Control], NoKeyAction);
    EXPECT_EQ(map[vk::Return], caDropMine);
    // Opening the dialog again shows the map, so player 1 lost the key.
    const TKeyLists shown = KeyListsFromKeyMap(map);
    EXPECT_EQ(shown.Key(0, caFire), NoKeyAction);
    EXPECT_EQ(shown.Key(1, caFire), 'Z');
    EXPECT_EQ(shown.Key(0, caHorn), vk::Back);
    // An unbound action gives code 255 nothing.
    l.Key(1, caHorn) = NoKeyAction;
    BuildKeyMap(l, map);
    EXPECT_EQ(map[NoKeyAction], NoKeyAction);
}

TEST(KeyDialog, RebindingTakesTheKeyFromEveryOtherActionAndOkWantsThemAll) {
    TKeyLists l = DefaultKeyLists();
    EXPECT_TRUE(CheckKeyLists(l).Ok);
    // Player 1's fire onto Z, which is player 2's fire.
    BindKey(l, 0, caFire, 'Z');
    EXPECT_EQ(l.Key(0, caFire), 'Z');
    EXPECT_EQ(l.Key(1, caFire), NoKeyAction);
    TKeyCheck c = CheckKeyLists(l);
    EXPECT_FALSE(c.Ok);
    EXPECT_EQ(c.Player, 1);
    EXPECT_EQ(c.Message, "Please assign a key");
    // Within one player a key moves: forward onto the down arrow.
    BindKey(l, 0, caForward, vk::Down);
    EXPECT_EQ(l.Key(0, caBrake), NoKeyAction);
    c = CheckKeyLists(l);
    EXPECT_EQ(c.Player, 0);
    EXPECT_EQ(c.Message, "Please assign a key to '[NO KEY]'");
    // Keypad 5 and main 5 are two keys that look alike.
    BindKey(l, 0, caBrake, vk::Numpad(5));
    BindKey(l, 1, caFire, vk::Digit(5));
    EXPECT_TRUE(CheckKeyLists(l).Ok);
    EXPECT_EQ(KeyName(vk::Numpad(5)), KeyName(vk::Digit(5)));
    // Out-of-range rows change nothing.
    const TKeyLists before = l;
    BindKey(l, 2, 0, 'Q');
    BindKey(l, 0, KeyActionCount, 'Q');
    EXPECT_EQ(l, before);
}

TEST(KeyDialog, OkBuildsTheMapAndWritesTheFile) {
    WorldRig rig;
    TKeyLists l = DefaultKeyLists();
    BindKey(l, 1, caHorn, vk::Escape);
    ASSERT_EQ(AcceptKeyLists(rig.g(), l), "");
    EXPECT_EQ(rig.g().KeyMap[vk::Escape], Player2KeyActions + caHorn);
    EXPECT_EQ(rig.g().KeyMap['Q'], NoKeyAction);
    TKeyLists back;
    ASSERT_EQ(LoadKeySettings(rig.g().ProgramFolder, back), "");
    EXPECT_EQ(back, l);
}

TEST(KeyNames, NamesOfTheKeys) {
    EXPECT_EQ(KeyName(vk::Back), "BckSpc");
    EXPECT_EQ(KeyName(vk::Up), "Up");
    EXPECT_EQ(KeyName('A'), "A");
    EXPECT_EQ(KeyName('Z'), "Z");
    EXPECT_EQ(KeyName(vk::Digit(0)), "0");
    EXPECT_EQ(KeyName(vk::Numpad(9)), "9");
    EXPECT_EQ(KeyName(vk::Fn(1)), "F1");
    EXPECT_EQ(KeyName(vk::Fn(12)), "F12");
    EXPECT_EQ(KeyName(vk::Fn(13)), "Unknown");
    EXPECT_EQ(KeyName(vk::OemComma), "<");
    EXPECT_EQ(KeyName(vk::OemBackslash), "\\");
    EXPECT_EQ(KeyName(vk::Divide), "/");
    EXPECT_EQ(KeyName(vk::OemSlash), "/");
    EXPECT_EQ(KeyName(vk::LWin), "WinBtn");
    EXPECT_EQ(KeyName(vk::Escape), "Unknown");
    EXPECT_EQ(KeyName(NoKeyAction), "NO KEY");
    EXPECT_EQ(KeyName(-1), "Unknown");
    EXPECT_EQ(KeyName(1000), "Unknown");
}
