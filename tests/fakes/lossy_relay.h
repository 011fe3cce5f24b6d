// A bad network on 127.0.0.1: a UDP relay that clients join instead of the
// host. Every datagram, either way, is dropped with the given chance or
// held back for the given delay; each client address gets a socket of its
// own towards the host, so the host still sees one address per client.
// Driven from the test's loop: Pump() moves what is due.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <random>
#include <vector>

class LossyRelay {
  public:
    LossyRelay(uint16_t hostPort, double dropChance, int delayMs, uint32_t seed)
        : DropChance(dropChance), Delay(delayMs), Rng(seed) {
        Host = Loopback(hostPort);
        Front = OpenSocket();
        sockaddr_in a{};
        socklen_t len = sizeof a;
        getsockname(Front, reinterpret_cast<sockaddr*>(&a), &len);
        FrontPort = ntohs(a.sin_port);
    }
    ~LossyRelay() {
        close(Front);
        for (const TLink& l : Links)
            close(l.Upstream);
    }
    LossyRelay(const LossyRelay&) = delete;
    LossyRelay& operator=(const LossyRelay&) = delete;

    // The port the clients join at.
    uint16_t Port() const { return FrontPort; }

    // Takes in whatever waits on the sockets and sends on what is due.
    void Pump() {
        const auto now = std::chrono::steady_clock::now();
        uint8_t buffer[65536];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n;
        while ((n = recvfrom(Front, buffer, sizeof buffer, MSG_DONTWAIT,
                             reinterpret_cast<sockaddr*>(&from), &len)) >= 0) {
            Take(now, LinkOf(from).Upstream, Host, buffer, static_cast<size_t>(n));
            len = sizeof from;
        }
        for (const TLink& l : Links)
            while ((n = recv(l.Upstream, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0)
                Take(now, Front, l.Client, buffer, static_cast<size_t>(n));
        while (!Queue.empty() && Queue.front().Due <= now) {
            const TDatagram& d = Queue.front();
            sendto(d.Socket, d.Data.data(), d.Data.size(), 0,
                   reinterpret_cast<const sockaddr*>(&d.To), sizeof d.To);
            Queue.pop_front();
        }
    }

    int Passed = 0, Dropped = 0;
    double DropChance; // may change at any time

  private:
    struct TLink {
        sockaddr_in Client{};
        int Upstream = -1;
    };
    struct TDatagram {
        std::chrono::steady_clock::time_point Due;
        int Socket;
        sockaddr_in To;
        std::vector<uint8_t> Data;
    };

    static sockaddr_in Loopback(uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        return a;
    }
    static int OpenSocket() {
        const int s = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in a = Loopback(0);
        bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        return s;
    }
    TLink& LinkOf(const sockaddr_in& client) {
        for (TLink& l : Links)
            if (l.Client.sin_addr.s_addr == client.sin_addr.s_addr &&
                l.Client.sin_port == client.sin_port)
                return l;
        Links.push_back({client, OpenSocket()});
        return Links.back();
    }
    void Take(std::chrono::steady_clock::time_point now, int socket, const sockaddr_in& to,
              const uint8_t* data, size_t size) {
        if (std::uniform_real_distribution<double>(0, 1)(Rng) < DropChance) {
            ++Dropped;
            return;
        }
        ++Passed;
        // One delay for all keeps the queue in order of its due times.
        Queue.push_back({now + Delay, socket, to, std::vector<uint8_t>(data, data + size)});
    }

    std::chrono::milliseconds Delay;
    std::mt19937 Rng;
    sockaddr_in Host{};
    int Front = -1;
    uint16_t FrontPort = 0;
    std::vector<TLink> Links;
    std::deque<TDatagram> Queue;
};
