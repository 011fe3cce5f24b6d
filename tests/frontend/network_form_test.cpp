// The network dialog's rules, against a session that only remembers what
// it was asked.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "frontend/network_form.h"

namespace {

class AskedSession : public NullSession {
  public:
    std::string Hosted, JoinedAt, SearchedAt;
    bool Open = false;
    bool Host(const std::string& name, const std::string& player, uint16_t port,
              std::string&) override {
        Hosted = name + " by " + player + " on " + std::to_string(port);
        Open = true;
        return true;
    }
    bool Join(const std::string& address, uint16_t port, const std::string& player,
              std::string&) override {
        JoinedAt = player + " at " + address + ":" + std::to_string(port);
        return true;
    }
    void Search(const std::string& host, uint16_t port) override {
        SearchedAt = host + ":" + std::to_string(port);
    }
    bool IsOpen() const override { return Open; }
};

TSessionEvent FoundEvent(const std::string& name, const std::string& address) {
    TSessionEvent e;
    e.Kind = TSessionEvent::Found;
    e.Info.Name = name;
    e.Info.Address = address;
    e.Info.Port = 24730;
    return e;
}

} // namespace

TEST(NetworkForm, SearchPickJoinAndTheirRefusal) {
    AskedSession net;
    RecordingUi ui;
    TNetworkForm f;
    f.FormCreate(&net, &ui);
    f.FormShow(1, "Moo");
    EXPECT_EQ(f.SessionPrefix, "TW_");
    EXPECT_FALSE(f.ServerEnabled);
    EXPECT_FALSE(f.SessionListEnabled);

    f.HostNameChange(" 127.0.0.1 ");
    f.PortChange(99999);
    EXPECT_EQ(f.PortSelect, 65535);
    f.PortChange(0);
    f.SearchBtnClick(1000);
    EXPECT_EQ(net.SearchedAt, "127.0.0.1:0");
    EXPECT_TRUE(f.Searching);
    f.SessionEvent(FoundEvent("TW_Arena", "192.0.2.7"));
    f.SessionEvent(FoundEvent("TW_Arena", "127.0.0.1")); // the same host, asked twice
    f.SessionEvent(FoundEvent("Arena", "192.0.2.8"));
    f.SessionEvent(FoundEvent("ctc_Farm", "192.0.2.9"));
    ASSERT_EQ(f.Found.size(), 3u);
    EXPECT_TRUE(f.SessionListEnabled);
    EXPECT_TRUE(f.JoinIsDefault);
    f.Timer(1000 + SearchWaitMs);
    EXPECT_FALSE(f.Searching);

    // The list click reads the prefix off the name.
    f.SessionListClick(1);
    EXPECT_EQ(f.SessionPrefix, "");
    EXPECT_EQ(f.SessionName, "Arena");
    f.SessionListClick(2);
    EXPECT_EQ(f.SessionPrefix, "CTC_");
    EXPECT_EQ(f.PrefixPosition, 2);
    EXPECT_EQ(f.SessionName, "Farm");
    f.SessionListClick(0);
    EXPECT_EQ(f.SessionPrefix, "TW_");
    EXPECT_EQ(f.SessionName, "Arena");
    EXPECT_TRUE(f.JoinEnabled);

    // A double click joins the host that answered; a refusal keeps the dialog.
    f.SessionListDoubleClick(0);
    EXPECT_EQ(net.JoinedAt, "Moo at 192.0.2.7:24730");
    EXPECT_TRUE(f.Joining);
    TSessionEvent no;
    no.Kind = TSessionEvent::Refused;
    no.Text = "The game is full";
    f.SessionEvent(no);
    EXPECT_FALSE(f.Joining);
    EXPECT_TRUE(f.Visible);
    EXPECT_EQ(ui.Boxes.back(), "The game is full");

    // A name nobody answered for, with no host typed: said, nothing sent.
    f.HostNameChange("");
    f.SessionNameChange("Nowhere");
    net.JoinedAt.clear();
    f.JoinBtnClick();
    EXPECT_EQ(net.JoinedAt, "");
    EXPECT_NE(ui.Boxes.back().find("No game named \"TW_Nowhere\""), std::string::npos);

    // "Other connections": an address typed by hand, then the answer closes it.
    f.OtherConnectClick();
    EXPECT_FALSE(f.ConnectOkClick("host:port"));
    EXPECT_TRUE(f.ConnectOkClick("moor.example:4000"));
    EXPECT_EQ(net.JoinedAt, "Moo at moor.example:4000");
    TSessionEvent yes;
    yes.Kind = TSessionEvent::Joined;
    f.SessionEvent(yes);
    EXPECT_FALSE(f.Visible);
    EXPECT_EQ(f.Result, TNetworkForm::TResult::Ok);
}

TEST(NetworkForm, HostingPutsTheStyleBackIntoThePrefix) {
    AskedSession net;
    RecordingUi ui;
    TNetworkForm f;
    f.FormCreate(&net, &ui);
    f.FormShow(2, "Moo");
    f.SelectPrefixClick(+1); // wraps from CTC_ to DM_
    EXPECT_EQ(f.SessionPrefix, "DM_");
    f.SelectPrefixClick(-1);
    f.SelectPrefixClick(-1);
    EXPECT_EQ(f.SessionPrefix, "TW_");
    f.SessionNameChange("Pasture");
    f.ServerBtnClick();
    ASSERT_EQ(ui.Boxes.size(), 1u);
    EXPECT_EQ(ui.Boxes[0], "Session name prefix reset to CTC_");
    EXPECT_EQ(net.Hosted, "CTC_Pasture by Moo on 0");
    EXPECT_FALSE(f.Visible);
    EXPECT_EQ(f.Result, TNetworkForm::TResult::Ok);
}
