#include "frontend/network_form.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

} // namespace

bool SplitAddress(const std::string& text, std::string& host, uint16_t& port) {
    const std::string t = Trim(text);
    const size_t colon = t.rfind(':');
    host = t.substr(0, colon);
    port = 0;
    if (colon != std::string::npos) {
        const std::string digits = t.substr(colon + 1);
        unsigned value = 0;
        const char* end = digits.data() + digits.size();
        auto [p, ec] = std::from_chars(digits.data(), end, value);
        if (digits.empty() || ec != std::errc() || p != end || value > 65535) return false;
        port = static_cast<uint16_t>(value);
    }
    return !host.empty() && host.find(' ') == std::string::npos;
}

void TNetworkForm::FormCreate(Session* session, Ui* ui) {
    Net = session;
    TheUi = ui;
    // Our one provider: plain UDP through ENet, by host name and port.
    ProviderLabel = "TCP/IP:";
    TcpIpPanelVisible = true;
}

void TNetworkForm::FormShow(int style, const std::string& playerName) {
    Found.clear();
    SessionListEnabled = false;
    SessionListIndex = -1;
    JoinIsDefault = false;
    Searching = false;
    Joining = false;
    ConnectVisible = false;
    Style = std::clamp(style, 0, 2);
    PrefixPosition = Style;
    SessionPrefix = SessionPrefixes[Style];
    PlayerName = playerName;
    Result = TResult::None;
    Visible = true;
    SessionNameChange(SessionName);
}

void TNetworkForm::PortChange(int port) {
    PortSelect = std::clamp(port, 0, 65535);
}

void TNetworkForm::SearchBtnClick(int32_t nowMs) {
    Found.clear();
    SessionListEnabled = false;
    SessionListIndex = -1;
    if (!Net) return;
    Net->Search(Trim(HostName), static_cast<uint16_t>(PortSelect));
    Searching = true;
    SearchEndsAt = nowMs + SearchWaitMs;
}

void TNetworkForm::Timer(int32_t nowMs) {
    if (Searching && nowMs - SearchEndsAt >= 0) Searching = false;
}

void TNetworkForm::SessionListClick(int index) {
    if (index < 0 || index >= static_cast<int>(Found.size())) return;
    SessionListIndex = index;
    const std::string& name = Found[index].Name;
    const std::string head = Upper(name.substr(0, 3));
    if (head == "DM_" || head == "TW_") {
        PrefixPosition = head == "DM_" ? 0 : 1;
        SessionPrefix = SessionPrefixes[PrefixPosition];
        SessionNameChange(name.substr(3));
    } else if (head == "CTC") {
        PrefixPosition = 2;
        SessionPrefix = SessionPrefixes[2];
        SessionNameChange(name.size() > 4 ? name.substr(4) : std::string());
    } else {
        SessionPrefix.clear();
        SessionNameChange(name);
    }
}

void TNetworkForm::SessionListDoubleClick(int index) {
    SessionListClick(index);
    if (SessionListIndex == index) JoinBtnClick();
}

void TNetworkForm::SelectPrefixClick(int step) {
    PrefixPosition = ((PrefixPosition + step) % 3 + 3) % 3;
    SessionPrefix = SessionPrefixes[PrefixPosition];
}

void TNetworkForm::SessionNameChange(const std::string& text) {
    SessionName = text;
    ServerEnabled = JoinEnabled = !text.empty();
}

void TNetworkForm::ServerBtnClick() {
    if (!ServerEnabled || Joining) return;
    if (PrefixPosition != Style) {
        PrefixPosition = Style;
        SessionPrefix = SessionPrefixes[Style];
        Say("Session name prefix reset to " + SessionPrefix);
    }
    std::string error;
    if (!Net || !Net->Host(SessionPrefix + SessionName, PlayerName,
                           static_cast<uint16_t>(PortSelect), error))
        Say(error.empty() ? "Cannot open the session" : error);
    // Whether it opened is the start's to see: the dialog is done.
    CloseWith(TResult::Ok);
}

void TNetworkForm::JoinBtnClick() {
    if (!JoinEnabled || Joining) return;
    const std::string wanted = SessionPrefix + SessionName;
    for (const TFoundSession& s : Found)
        if (s.Name == wanted) {
            StartJoin(s.Address, s.Port);
            return;
        }
    // Not found by a search: the host field says where to look.
    std::string host;
    uint16_t port = 0;
    if (!SplitAddress(HostName, host, port)) {
        Say("No game named \"" + wanted +
            "\" was found. Search the network for games, or type the host's address.");
        return;
    }
    StartJoin(host, port ? port : static_cast<uint16_t>(PortSelect));
}

void TNetworkForm::OtherConnectClick() {
    if (Joining) return;
    ConnectVisible = true;
    if (ConnectAddress.empty()) ConnectAddress = Trim(HostName);
}

bool TNetworkForm::ConnectOkClick(const std::string& address) {
    ConnectAddress = address;
    std::string host;
    uint16_t port = 0;
    if (!SplitAddress(address, host, port)) {
        Say("Type the host's name or address, with \":port\" after it when it is not the "
            "usual one.");
        return false;
    }
    ConnectVisible = false;
    StartJoin(host, port);
    return true;
}

void TNetworkForm::CancelBtnClick() {
    if (Joining && Net) Net->Close();
    CloseWith(TResult::Cancel);
}

void TNetworkForm::SessionEvent(const TSessionEvent& e) {
    switch (e.Kind) {
    case TSessionEvent::Found: {
        // The same host may answer twice (its address and 127.0.0.1).
        for (const TFoundSession& s : Found)
            if (s.Name == e.Info.Name && s.Port == e.Info.Port &&
                (s.Address == e.Info.Address || e.Info.Address.starts_with("127.")))
                return;
        Found.push_back(e.Info);
        SessionListEnabled = true;
        JoinIsDefault = true;
        break;
    }
    case TSessionEvent::Joined:
        if (!Joining) return;
        Joining = false;
        CloseWith(TResult::Ok);
        break;
    case TSessionEvent::Refused:
        if (!Joining) return;
        Joining = false;
        Say(e.Text.empty() ? "The game could not be joined." : e.Text);
        break;
    default:
        break;
    }
}

void TNetworkForm::Say(const std::string& text) {
    if (TheUi) TheUi->MessageBox(text);
}

void TNetworkForm::StartJoin(const std::string& address, uint16_t port) {
    std::string error;
    if (!Net || !Net->Join(address, port, PlayerName, error)) {
        Say(error.empty() ? "Cannot join " + address : error);
        return;
    }
    Joining = true;
}

void TNetworkForm::CloseWith(TResult r) {
    Result = r;
    Visible = false;
    ConnectVisible = false;
    Searching = false;
}
