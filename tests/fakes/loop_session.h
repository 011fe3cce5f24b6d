// An in-memory session: several Games in one process join one hub, without
// any socket. Like the real one it is a star: a client's messages go to the
// host, which passes them on with Relay; Send never reaches the sender.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "core/services.h"

class LoopSession;

inline TSessionEvent SessionEvent(TSessionEvent::TKind kind, uint32_t player,
                                  const std::string& name = "") {
    TSessionEvent e;
    e.Kind = kind;
    e.Player = player;
    e.Name = name;
    return e;
}

class LoopHub {
  public:
    std::vector<LoopSession*> Members; // the host first
    uint32_t NextId = 1;
    LoopSession* HostSession() { return Members.empty() ? nullptr : Members.front(); }
};

class LoopSession : public Session {
  public:
    explicit LoopSession(LoopHub& hub) : Hub(hub) {}

    // Every block this machine handed to the hub, as (to, bytes).
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> Sent;
    int Relayed = 0;
    int Limit = 0;
    // Join takes this id when set: a machine back at its seat with its token.
    uint32_t ComeBackAs = 0;

    bool Host(const std::string&, const std::string& playerName, uint16_t, std::string&) override {
        Id = Hub.NextId++;
        Name = playerName;
        IsHostFlag = true;
        Hub.Members.insert(Hub.Members.begin(), this);
        Push(SessionEvent(TSessionEvent::PlayerAdded, Id, Name));
        return true;
    }
    bool Join(const std::string&, uint16_t, const std::string& playerName,
              std::string& error) override {
        if (!Hub.HostSession()) {
            error = "no host";
            return false;
        }
        Id = ComeBackAs != 0 ? ComeBackAs : Hub.NextId++;
        Name = playerName;
        Hub.Members.push_back(this);
        Push(SessionEvent(TSessionEvent::Joined, Id));
        for (LoopSession* m : Hub.Members)
            Push(SessionEvent(TSessionEvent::PlayerAdded, m->Id, m->Name));
        for (LoopSession* m : Hub.Members)
            if (m != this) m->Push(SessionEvent(TSessionEvent::PlayerAdded, Id, Name));
        return true;
    }
    void Search(const std::string&, uint16_t) override {}
    bool IsOpen() const override { return Id != 0; }
    bool IsHost() const override { return IsHostFlag; }
    uint32_t LocalPlayerId() const override { return Id; }
    uint32_t HostPlayerId() const override {
        return Hub.Members.empty() ? 0 : Hub.Members.front()->Id;
    }
    void Send(uint32_t to, const uint8_t* data, size_t size, bool) override {
        if (!IsOpen() || to == Id) return;
        Sent.push_back({to, {data, data + size}});
        if (!IsHostFlag) {
            // A client reaches only the host, which decides where it goes.
            if (LoopSession* h = Hub.HostSession()) h->Deliver(Id, to, data, size);
            return;
        }
        for (LoopSession* m : Hub.Members)
            if (m != this && (to == 0 || m->Id == to)) m->Deliver(Id, to, data, size);
    }
    void Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size) override {
        if (!IsHostFlag) return;
        ++Relayed;
        for (LoopSession* m : Hub.Members)
            if (m != this && m->Id != from && (to == 0 || m->Id == to))
                m->Deliver(from, to, data, size);
    }
    void SetPlayerLimit(int limit) override { Limit = limit; }
    bool Poll(TSessionEvent& event) override {
        if (Inbox.empty()) return false;
        event = std::move(Inbox.front());
        Inbox.pop_front();
        return true;
    }
    // Leaves the session: the others hear PlayerDeleted.
    void Close() override {
        if (!IsOpen()) return;
        std::erase(Hub.Members, this);
        for (LoopSession* m : Hub.Members)
            m->Push(SessionEvent(TSessionEvent::PlayerDeleted, Id));
        Id = 0;
    }
    // A block as if player `from` had sent it (a hostile peer, a fuzzer).
    void Deliver(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
        TSessionEvent e;
        e.Kind = TSessionEvent::Message;
        e.Player = from;
        e.To = to;
        e.Data.assign(data, data + size);
        Inbox.push_back(std::move(e));
    }
    bool Idle() const { return Inbox.empty(); }

  private:
    void Push(TSessionEvent e) { Inbox.push_back(std::move(e)); }
    LoopHub& Hub;
    uint32_t Id = 0;
    std::string Name;
    bool IsHostFlag = false;
    std::deque<TSessionEvent> Inbox;
};
