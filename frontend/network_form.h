// The network dialog, "Moorclash Network Settings": host a new game, or
// find one and join it. Like the start screen, this is the window's state
// and behaviour; the program draws it and hands it the clicks.
//
// The session works in the background: a search and a join start here and
// their answers arrive through SessionEvent, so the game's loop never
// waits on the network.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/services.h"

// The session name prefixes, by the start screen's game style.
inline constexpr const char* SessionPrefixes[] = {"DM_", "TW_", "CTC_"};

// How long the dialog shows itself busy after a search was sent.
constexpr int32_t SearchWaitMs = 1500;

class TNetworkForm {
  public:
    enum class TResult { None, Ok, Cancel };

    // The session this dialog opens (none: every session operation fails
    // with a message).
    void FormCreate(Session* session = nullptr, Ui* ui = nullptr);
    // Shown for a start: the list cleared, the prefix from the start
    // screen's style (0 Deathmatch, 1 Team War, 2 Capture The Cow).
    void FormShow(int style, const std::string& playerName);

    void HostNameChange(const std::string& text) { HostName = text; }
    void PortChange(int port);
    void SearchBtnClick(int32_t nowMs);
    // A click on entry index of the session list (a double click joins).
    void SessionListClick(int index);
    void SessionListDoubleClick(int index);
    // The up-down selector: +1 or -1, wrapping around.
    void SelectPrefixClick(int step);
    void SessionNameChange(const std::string& text);
    void ServerBtnClick();
    void JoinBtnClick();
    // "Other connections": a small dialog takes an address and a port.
    void OtherConnectClick();
    // The typed "address" or "address:port"; false (with a message) when it
    // makes no sense.
    bool ConnectOkClick(const std::string& address);
    void ConnectCancelClick() { ConnectVisible = false; }
    void CancelBtnClick();

    // Found, Joined and Refused events of the session; the others are the
    // game's.
    void SessionEvent(const TSessionEvent& e);
    // The loop's timer: a search stops looking busy after a while.
    void Timer(int32_t nowMs);

    // --- controls' state --------------------------------------------------
    std::string ProviderLabel = "TCP/IP:";
    bool TcpIpPanelVisible = true;
    std::string HostName;
    int PortSelect = 0;
    std::vector<TFoundSession> Found;
    bool SessionListEnabled = false;
    int SessionListIndex = -1;
    int PrefixPosition = 0;
    std::string SessionPrefix = "DM_";
    std::string SessionName;
    bool ServerEnabled = false;
    bool JoinEnabled = false;
    bool JoinIsDefault = false; // else "Start game" is the default button
    bool Searching = false;     // the hourglass
    bool Joining = false;       // a join was sent; the answer is awaited
    bool ConnectVisible = false;
    std::string ConnectAddress;

    bool Visible = false;
    TResult Result = TResult::None;
    // The game style the start screen had when the dialog was shown.
    int Style = 0;

  private:
    void Say(const std::string& text);
    void StartJoin(const std::string& address, uint16_t port);
    void CloseWith(TResult r);

    Session* Net = nullptr;
    Ui* TheUi = nullptr;
    std::string PlayerName;
    int32_t SearchEndsAt = 0;
};

// "host", "host:port" -> its parts; false when the port is not 0..65535 or
// the host is empty.
bool SplitAddress(const std::string& text, std::string& host, uint16_t& port);
