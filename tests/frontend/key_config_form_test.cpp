// The key dialog: binding keys by clicking a label and pressing a key, the
// rule that a key serves one action only, OK's checks, Cancel.
#include <gtest/gtest.h>

#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/key_config_form.h"
#include "world/world_support.h"

namespace {

constexpr int Fire = 4;

struct KeyRig : WorldRig {
    TKeyConfigForm Form{g()};
    KeyRig() {
        Form.FormCreate();
        BuildKeyMap(DefaultKeyLists(), g().KeyMap);
        Form.Show();
    }
    void Bind(int row, int code) {
        Form.LabelClick(row);
        EXPECT_EQ(Form.Labels[row], "press key");
        EXPECT_FALSE(Form.ButtonsEnabled());
        EXPECT_TRUE(Form.KeyDown(code));
    }
};

} // namespace

TEST(KeyDialog, AKeyTakenFromTheOtherPlayerLeavesThemUnboundAndOkSaysSo) {
    KeyRig rig;
    TKeyConfigForm& f = rig.Form;
    EXPECT_EQ(f.Labels[Fire], "[Ctrl]");
    rig.Bind(Fire, vk::Letter('Z'));
    EXPECT_EQ(f.Labels[Fire], "[Z]");
    EXPECT_TRUE(f.ButtonsEnabled());
    EXPECT_EQ(f.Lists.Key(1, Fire), NoKeyAction);

    EXPECT_FALSE(f.OkClick());
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Please assign a key");
    // Player 2's list is shown, their Fire in red.
    EXPECT_EQ(f.SelectPlayerCaption, "Set Player 1");
    EXPECT_EQ(f.ShownPlayer(), 1);
    EXPECT_EQ(f.Labels[Fire], "[NO KEY]");
    EXPECT_EQ(f.LabelColour(Fire), TKeyConfigForm::lcRed);
    EXPECT_EQ(f.LabelColour(0), TKeyConfigForm::lcBlack);
    f.Hover(Fire);
    EXPECT_EQ(f.LabelColour(Fire), TKeyConfigForm::lcGreen);
    f.Hover(-1);
    // Nothing was taken yet.
    EXPECT_EQ(rig.g().KeyMap[vk::Letter('Z')], Player2KeyActions + Fire);

    rig.Bind(Fire, vk::Letter('V'));
    EXPECT_TRUE(f.OkClick());
    EXPECT_FALSE(f.Visible);
    EXPECT_TRUE(f.Accepted);
    EXPECT_EQ(rig.g().KeyMap[vk::Letter('Z')], Fire);
    EXPECT_EQ(rig.g().KeyMap[vk::Letter('V')], Player2KeyActions + Fire);
    EXPECT_EQ(rig.g().KeyMap[vk::Control], NoKeyAction);
    TKeyLists saved;
    ASSERT_EQ(LoadKeySettings(rig.g().ProgramFolder, saved), "");
    EXPECT_EQ(saved, f.Lists);
}

TEST(KeyDialog, AKeyMovesWithinOnePlayersListAndOkShowsPlayerOneFirst) {
    KeyRig rig;
    TKeyConfigForm& f = rig.Form;
    f.SelectPlayerClick();        // player 2 shown
    rig.Bind(2, vk::Up);          // player 1's Forward loses Up, player 2's Left takes it
    rig.Bind(3, vk::Letter('E')); // player 2's own Forward key moves to Right
    EXPECT_EQ(f.Labels[0], "[NO KEY]");
    EXPECT_EQ(f.Labels[3], "[E]");
    EXPECT_FALSE(f.OkClick());
    // Action 0 is checked for player 1 before player 2.
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Please assign a key to '[NO KEY]'");
    EXPECT_EQ(f.SelectPlayerCaption, "Set Player 2");
    EXPECT_EQ(f.Labels[0], "[NO KEY]");
}

TEST(KeyDialog, AnyKeyIsTakenWhileALabelWaitsAndShownByItsName) {
    KeyRig rig;
    TKeyConfigForm& f = rig.Form;
    // Esc is bound, not a way out, while a label waits.
    rig.Bind(9, vk::Escape);
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(f.Labels[9], "[Unknown]");
    rig.Bind(0, vk::Numpad0 + 5);
    rig.Bind(1, vk::Digit0 + 5);
    EXPECT_EQ(f.Labels[0], "[5]");
    EXPECT_EQ(f.Labels[1], "[5]");
    EXPECT_NE(f.Lists.Key(0, 0), f.Lists.Key(0, 1));
    // The buttons wait for the key.
    f.LabelClick(2);
    f.SelectPlayerClick();
    f.ResetClick();
    EXPECT_FALSE(f.OkClick());
    f.CancelClick();
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(f.ShownPlayer(), 0);
    EXPECT_EQ(f.Lists.Key(0, 0), vk::Numpad0 + 5);
    EXPECT_TRUE(f.KeyDown(vk::Fn(3)));
    EXPECT_EQ(f.Labels[2], "[F3]");
    // Rows that do not exist are no labels.
    f.LabelClick(KeyActionCount);
    f.LabelClick(-1);
    EXPECT_TRUE(f.ButtonsEnabled());
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
}

TEST(KeyDialog, CancelDropsTheEditsAndResetIsOnlyKeptByOk) {
    KeyRig rig;
    TKeyConfigForm& f = rig.Form;
    const auto before = rig.g().KeyMap;
    rig.Bind(Fire, vk::Space);
    // Esc with no label waiting is Cancel.
    EXPECT_TRUE(f.KeyDown(vk::Escape));
    EXPECT_FALSE(f.Visible);
    EXPECT_FALSE(f.Accepted);
    EXPECT_EQ(rig.g().KeyMap, before);
    f.Show();
    EXPECT_EQ(f.Labels[Fire], "[Ctrl]");

    // A key map with holes (a file of zeros) shows them; Reset fills them.
    TKeyLists zeros;
    zeros.Codes.fill(0);
    BuildKeyMap(zeros, rig.g().KeyMap);
    f.Show();
    // Code 0 went to player 2's last action, the last one given it.
    EXPECT_EQ(f.Labels[10], "[NO KEY]");
    f.SelectPlayerClick();
    EXPECT_EQ(f.Labels[10], "[Unknown]");
    EXPECT_EQ(f.Labels[0], "[NO KEY]");
    f.ResetClick();
    EXPECT_EQ(f.Lists, DefaultKeyLists());
    EXPECT_EQ(rig.g().KeyMap[vk::Up], NoKeyAction) << "nothing is taken before OK";
    f.CancelClick();
    f.Show();
    EXPECT_EQ(f.Labels[0], "[NO KEY]");
    f.ResetClick();
    EXPECT_TRUE(f.OkClick());
    EXPECT_EQ(rig.g().KeyMap[vk::Up], 0);
    EXPECT_EQ(rig.Folder.Read(KeySettingsFileName),
              "38 40 37 39 17 16 188 190 220 8 13\r\n69 68 83 70 90 65 87 82 67 81 88");
}
