#include "frontend/key_config_form.h"

#include "core/vkeys.h"

void TKeyConfigForm::FormCreate() {
    Labels.fill("[ ]");
}

void TKeyConfigForm::Show() {
    Lists = KeyListsFromKeyMap(G.KeyMap);
    WaitingRow = -1;
    HoverRow = -1;
    Accepted = false;
    RefreshLabels();
    Visible = true;
}

void TKeyConfigForm::RefreshLabels() {
    const int p = ShownPlayer();
    for (int i = 0; i < KeyActionCount; ++i)
        Labels[i] = "[" + KeyName(Lists.Key(p, i)) + "]";
}

TKeyConfigForm::TLabelColour TKeyConfigForm::LabelColour(int row) const {
    if (row < 0 || row >= KeyActionCount) return lcBlack;
    if (row == HoverRow) return lcGreen;
    return Labels[row] == "[NO KEY]" ? lcRed : lcBlack;
}

void TKeyConfigForm::LabelClick(int row) {
    if (!Visible || row < 0 || row >= KeyActionCount) return;
    // A second label clicked while one waits takes over the wait.
    RefreshLabels();
    WaitingRow = row;
    Labels[row] = "press key";
}

bool TKeyConfigForm::KeyDown(int code) {
    if (!Visible || code < 0 || code > 255) return false;
    if (WaitingRow >= 0) {
        BindKey(Lists, ShownPlayer(), WaitingRow, static_cast<uint8_t>(code));
        WaitingRow = -1;
        RefreshLabels();
        return true;
    }
    if (code == vk::Escape) {
        CancelClick();
        return true;
    }
    return false;
}

void TKeyConfigForm::Hover(int row) {
    HoverRow = row >= 0 && row < KeyActionCount ? row : -1;
}

void TKeyConfigForm::SelectPlayerClick() {
    if (!ButtonsEnabled()) return;
    SelectPlayerCaption = ShownPlayer() == 0 ? "Set Player 1" : "Set Player 2";
    RefreshLabels();
}

void TKeyConfigForm::ResetClick() {
    if (!ButtonsEnabled()) return;
    Lists = DefaultKeyLists();
    RefreshLabels();
}

bool TKeyConfigForm::OkClick() {
    if (!Visible || !ButtonsEnabled()) return false;
    const TKeyCheck check = CheckKeyLists(Lists);
    if (!check.Ok) {
        SelectPlayerCaption = check.Player == 0 ? "Set Player 2" : "Set Player 1";
        RefreshLabels();
        G.TheUi.MessageBox(check.Message);
        return false;
    }
    // The bindings are played with from now on even when the file cannot
    // be written; the player is told it was not kept.
    const std::string error = AcceptKeyLists(G, Lists);
    if (!error.empty()) G.TheUi.MessageBox(error);
    Accepted = true;
    Visible = false;
    HoverRow = -1;
    return true;
}

void TKeyConfigForm::CancelClick() {
    if (!ButtonsEnabled()) return;
    Visible = false;
    HoverRow = -1;
}
