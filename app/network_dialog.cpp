// The network dialog drawn over the start screen: host, search, join.
#include <imgui.h>

#include <cstring>

#include "app/start_screen.h"

namespace {

// A text field over a std::string, bounded.
bool EditText(const char* id, std::string& value, float width, size_t max = 64) {
    char buffer[128] = {};
    std::strncpy(buffer, value.c_str(), std::min(max, sizeof buffer - 1));
    ImGui::SetNextItemWidth(width);
    if (!ImGui::InputText(id, buffer, std::min(max + 1, sizeof buffer))) return false;
    value = buffer;
    return true;
}

} // namespace

void TStartScreen::NetworkDialog(int32_t nowMs) {
    TNetworkForm& n = *Network;
    n.Timer(nowMs);
    const char* title = "Moorclash Network Settings";
    if (!ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
    const ImVec2 size{440, 330};
    ImGui::SetNextWindowPos({StartFormWidth / 2.0f, StartFormHeight / 2.0f}, ImGuiCond_Always,
                            {0.5f, 0.5f});
    ImGui::SetNextWindowSize(size);
    ImGui::PushStyleColor(ImGuiCol_PopupBg, ImVec4(0.08f, 0.08f, 0.08f, 0.98f));
    const bool open = ImGui::BeginPopupModal(title, nullptr,
                                             ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                                 ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor();
    if (!open) return;
    const bool busy = n.Searching || n.Joining;

    // Where to look.
    if (n.TcpIpPanelVisible) {
        ImGui::TextUnformatted(n.ProviderLabel.c_str());
        ImGui::TextUnformatted("Host:");
        ImGui::SameLine(70);
        std::string host = n.HostName;
        if (EditText("##host", host, 200)) n.HostNameChange(host);
        Place("NetHost");
        ImGui::SameLine();
        ImGui::TextUnformatted("Port:");
        ImGui::SameLine();
        int port = n.PortSelect;
        ImGui::SetNextItemWidth(90);
        if (ImGui::InputInt("##port", &port, 0, 0)) n.PortChange(port);
        Place("NetPort");
    }
    ImGui::BeginDisabled(busy);
    if (ImGui::Button(n.Searching ? "Searching..." : "Search network for games", {-1, 0}))
        n.SearchBtnClick(nowMs);
    Place("NetSearch");
    ImGui::EndDisabled();

    // What was found.
    ImGui::BeginDisabled(!n.SessionListEnabled);
    if (ImGui::BeginListBox("##sessions", {-1, 110})) {
        for (int i = 0; i < static_cast<int>(n.Found.size()); ++i) {
            const TFoundSession& s = n.Found[i];
            std::string line = s.Name + "   (" + std::to_string(s.Players) +
                               (s.Limit ? " of " + std::to_string(s.Limit) : std::string()) +
                               (s.Players == 1 && !s.Limit ? " player, " : " players, ") +
                               s.Address + ":" + std::to_string(s.Port) + ")";
            ImGui::PushID(i);
            if (ImGui::Selectable(line.c_str(), n.SessionListIndex == i,
                                  ImGuiSelectableFlags_AllowDoubleClick)) {
                if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left))
                    n.SessionListDoubleClick(i);
                else
                    n.SessionListClick(i);
            }
            Place("NetSession " + std::to_string(i));
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    Place("NetSessions");
    ImGui::EndDisabled();

    // The game's name, with its style's prefix.
    ImGui::TextUnformatted("Game name:");
    ImGui::SameLine(104);
    if (ImGui::ArrowButton("##prefixdown", ImGuiDir_Left)) n.SelectPrefixClick(-1);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(44);
    std::string prefix = n.SessionPrefix;
    ImGui::BeginDisabled();
    EditText("##prefix", prefix, 44);
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::ArrowButton("##prefixup", ImGuiDir_Right)) n.SelectPrefixClick(+1);
    Place("NetPrefixUp");
    ImGui::SameLine();
    std::string name = n.SessionName;
    if (EditText("##gamename", name, -1, 40)) n.SessionNameChange(name);
    Place("NetGameName");

    // The buttons; Enter presses the default one.
    ImGui::Spacing();
    const bool enter = !busy && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter));
    ImGui::BeginDisabled(!n.ServerEnabled || busy);
    if (ImGui::Button(n.JoinIsDefault ? "Start game" : "> Start game <", {130, 0}) ||
        (enter && !n.JoinIsDefault && n.ServerEnabled))
        n.ServerBtnClick();
    Place("NetStart");
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(!n.JoinEnabled || busy);
    if (ImGui::Button(n.Joining         ? "Joining..."
                      : n.JoinIsDefault ? "> Join game <"
                                        : "Join game",
                      {130, 0}) ||
        (enter && n.JoinIsDefault && n.JoinEnabled))
        n.JoinBtnClick();
    Place("NetJoin");
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("Cancel", {-1, 0}) ||
        (!n.ConnectVisible && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))))
        n.CancelBtnClick();
    Place("NetCancel");
    ImGui::Spacing();
    ImGui::TextUnformatted("Other connections:");
    ImGui::SameLine();
    ImGui::BeginDisabled(busy);
    if (ImGui::Button("Connect", {100, 0})) n.OtherConnectClick();
    Place("NetConnect");
    ImGui::EndDisabled();
    if (n.Searching) ImGui::SetMouseCursor(ImGuiMouseCursor_NotAllowed);

    // "Other connections": an address typed by hand.
    if (n.ConnectVisible && !ImGui::IsPopupOpen("Connect to a host"))
        ImGui::OpenPopup("Connect to a host");
    ImGui::SetNextWindowPos({StartFormWidth / 2.0f, StartFormHeight / 2.0f}, ImGuiCond_Always,
                            {0.5f, 0.5f});
    if (ImGui::BeginPopupModal("Connect to a host", nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        ImGui::TextUnformatted("Address (name or number, \":port\" when not the usual one):");
        std::string address = n.ConnectAddress;
        if (ImGui::IsWindowAppearing()) ImGui::SetKeyboardFocusHere();
        if (EditText("##address", address, 320)) n.ConnectAddress = address;
        Place("NetAddress");
        if (ImGui::Button("Connect", {120, 0}) ||
            ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)))
            n.ConnectOkClick(n.ConnectAddress);
        Place("NetAddressOK");
        ImGui::SameLine();
        if (ImGui::Button("Cancel", {120, 0}) ||
            ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)))
            n.ConnectCancelClick();
        if (!n.ConnectVisible) ImGui::CloseCurrentPopup();
        MessagePopup();
        ImGui::EndPopup();
    } else {
        MessagePopup();
    }
    if (!n.Visible) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}
