// The key dialog "Configure keyboard": each of the two local players binds
// one key to each of the eleven actions. The dialog edits a copy of the
// bindings; only OK puts them into the key map and keysettings.dat.
//
// This is the dialog's state and behaviour; the program draws it and hands
// it the clicks and keys, so tests can drive it without a screen.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/game.h"
#include "frontend/key_settings.h"

inline constexpr const char* KeyActionLabels[KeyActionCount] = {"Forward:",
                                                                "Brake/reverse:",
                                                                "Left:",
                                                                "Right:",
                                                                "Fire:",
                                                                "Change weapon:",
                                                                "Rotate turret left:",
                                                                "Rotate turret right:",
                                                                "Self destruct:",
                                                                "Horn:",
                                                                "Drop mine:"};

// The fixed keys, shown beside the bindings, one line each.
inline constexpr const char* KeyDialogHelpLines[] = {"Additional keys:",
                                                     "General:",
                                                     " Esc: Switch between action and menu",
                                                     " P: pause",
                                                     " N: toggle names",
                                                     " F9: ping to server (and synchronize ",
                                                     "  game)",
                                                     " F12: kill game (for when boss walks in)",
                                                     "",
                                                     "Player 1:",
                                                     " 1-7: select weapon (not available when ",
                                                     "  playing split screen)",
                                                     " F5-F8: Taunt",
                                                     " Numpad 0-9: command your ",
                                                     "  teammates (only while playing CTC)",
                                                     "",
                                                     "Player 2:",
                                                     " F1-F4: Taunt",
                                                     " 0-9: command your teammates (only ",
                                                     "  while playing CTC)"};

constexpr int KeyDialogWidth = 369;
constexpr int KeyDialogHeight = 345;

class TKeyConfigForm {
  public:
    explicit TKeyConfigForm(Game& g) : G(g) {}

    // Once, at program start: every key label reads "[ ]".
    void FormCreate();
    // Opens the dialog on the key map in use: edits that OK did not confirm
    // are gone.
    void Show();

    // A key label was clicked: it waits for the next key. Ignored while the
    // dialog is closed or for a row that does not exist.
    void LabelClick(int row);
    // A key pressed while the dialog is open. While a label waits, any key
    // (Esc and the function keys too) is taken for it; otherwise Esc
    // cancels. True when the key was used.
    bool KeyDown(int code);
    // The mouse is over key label row (-1: over anything else).
    void Hover(int row);

    void SelectPlayerClick();
    void ResetClick();
    // True when the dialog closed; otherwise it stays open showing the list
    // with the unbound action and the reason has been shown as a message.
    bool OkClick();
    void CancelClick();

    // The list shown: 0 player 1 (caption "Set Player 2"), 1 player 2.
    int ShownPlayer() const { return SelectPlayerCaption == "Set Player 2" ? 0 : 1; }
    // OK, Cancel, SelectPlayer and "Reset to default" wait while a label
    // waits for its key.
    bool ButtonsEnabled() const { return WaitingRow < 0; }

    enum TLabelColour { lcBlack, lcRed, lcGreen };
    TLabelColour LabelColour(int row) const;

    bool Visible = false;
    // Set when the last close was by OK (and the bindings were taken).
    bool Accepted = false;
    std::string SelectPlayerCaption = "Set Player 2";
    std::array<std::string, KeyActionCount> Labels;
    TKeyLists Lists;
    int WaitingRow = -1;
    int HoverRow = -1;

  private:
    void RefreshLabels();

    Game& G;
};
