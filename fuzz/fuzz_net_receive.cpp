// Random blocks into the receive dispatch of a host and of a client, as if
// a peer had sent them: every message type, any size, any count, index or
// float. Nothing may crash, and the game must stay whole.
//
// Input: byte 0 picks the receiver (even: the host, odd: the client) and
// byte 1 the sender (the host, one of two clients, or a stranger); byte 2
// bit 0 addresses the block to all, else to the receiver. The rest is the
// block; when it is at least 4 bytes long its first byte is folded onto the
// message types so that every type is reached often.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/invariants.h"
#include "core/silent_sound.h"
#include "match/net_receive.h"
#include "sim/vehicles.h"
#include "tests/fakes/loop_session.h"
#include "world/map_file.h"
#include "world/maps.h"

namespace {

constexpr uint8_t Types[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 2, 12, 99};

struct Machine {
    SilentSound Sound;
    NullUi TheUi;
    LoopSession Net;
    SessionNetOut Out;
    std::unique_ptr<Game> G;
    Machine(LoopHub& hub, const std::string& folder) : Net(hub), Out(Net) {
        G = MakeGame(Sound, TheUi, Out, 3);
        Out.Attach(*G);
        Game& g = *G;
        g.ProgramFolder = folder;
        g.TextureCount = 6;
        for (int k = 0; k < 6; ++k)
            g.TerrainKind[k] = k;
        g.NetworkGame = true;
    }
};

struct World {
    LoopHub Hub;
    std::string Folder;
    std::unique_ptr<Machine> Host, Client, Other;
    uint16_t Checksum = 0;
    World() {
        Folder =
            (std::filesystem::temp_directory_path() / ("moor_fuzz_net_" + std::to_string(getpid())))
                .string();
        std::filesystem::create_directories(Folder);
        Host = std::make_unique<Machine>(Hub, Folder);
        Client = std::make_unique<Machine>(Hub, Folder);
        Other = std::make_unique<Machine>(Hub, Folder);
        std::string error;
        Host->Net.Host("DM_Fuzz", "Host", 0, error);
        Client->Net.Join("127.0.0.1", 0, "Client", error);
        Other->Net.Join("127.0.0.1", 0, "Other", error);
        Reset();
    }
    // Both games back to a small running level with four vehicles.
    void Reset() {
        TMapGrid grid;
        grid.Width = 6;
        grid.Height = 5;
        grid.Cells = {8, 8, 8, 8, 8, 8, 8, 4, 0, 0, 4, 8, 8, 0, 12,
                      0, 0, 8, 8, 4, 0, 0, 4, 8, 8, 8, 8, 8, 8, 8};
        for (Machine* m : {Host.get(), Client.get()}) {
            Game& g = *m->G;
            std::string error;
            // Loading a map is slow: only after a block replaced it.
            if (g.MapWidth != grid.Width || g.MapHeight != grid.Height ||
                g.CurrentMapName != "Fuzz" || MapChecksum(g) != Checksum) {
                CommitMapGrid(g, g, g.Rng, grid, "Fuzz", error);
                Checksum = MapChecksum(g);
            }
            for (int i = g.TankCount - 1; i >= 0; --i)
                RemoveTank(g, i);
            g.TeamCount = 0;
            const uint32_t ids[] = {Host->Net.LocalPlayerId(), 0, Client->Net.LocalPlayerId(),
                                    Other->Net.LocalPlayerId()};
            for (int i = 0; i < 4; ++i) {
                const int k = AddTank(g, sortTank);
                g.Tanks[k].PlayerId = static_cast<int32_t>(ids[i]);
                g.Tanks[k].IsBot = ids[i] == 0;
                g.Tanks[k].Name = "V" + std::to_string(i);
                g.Tanks[k].Alive = true;
                g.Tanks[k].Position = {100.0 + 40 * i, 150};
                RefreshWorldCorners(g.Tanks[k]);
            }
            g.Mines.Clear();
            g.Rockets.Clear();
            g.BfgBalls.Clear();
            g.Bomblets.Clear();
            g.Particles.Clear();
            g.Explosions.Clear();
            g.LevelRunning = true;
            g.GameWindowShown = false;
            g.ListsReceived.clear();
        }
        Game& c = *Client->G;
        c.ClientMode = true;
        c.LocalPlayerId = static_cast<int32_t>(Client->Net.LocalPlayerId());
        c.ServerPlayerId = Host->Net.LocalPlayerId();
        c.ServerMapName = "Fuzz";
        c.HaveMap = c.HaveSetup = c.HaveTanklist = true;
        Host->G->LocalPlayerId = static_cast<int32_t>(Host->Net.LocalPlayerId());
    }
    void Drain() {
        TSessionEvent e;
        for (Machine* m : {Host.get(), Client.get(), Other.get()})
            while (m->Net.Poll(e)) {
            }
    }
};

World& TheWorld() {
    static World w;
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    World& w = TheWorld();
    Machine& receiver = (data[0] & 1) ? *w.Client : *w.Host;
    const uint32_t senders[] = {w.Host->Net.LocalPlayerId(), w.Client->Net.LocalPlayerId(),
                                w.Other->Net.LocalPlayerId(), 77};
    const uint32_t from = senders[data[1] & 3];
    const uint32_t to = (data[2] & 1) ? 0 : receiver.Net.LocalPlayerId();
    std::vector<uint8_t> block(data + 3, data + size);
    if (block.size() >= 4) {
        block[0] = Types[block[0] & 15];
        block[1] = block[2] = block[3] = 0;
    }
    ReceiveMessage(*receiver.G, receiver.Out, from, to, block.data(), block.size());
    // Statuses and scores are the host's word (a vehicle may be reported off
    // the map); what no peer may do is leave a number that is not finite or
    // an index that names nothing.
    for (const std::string& f : CheckInvariants(*receiver.G))
        if (f.find("not finite") != std::string::npos ||
            f.find("names no entry") != std::string::npos ||
            f.find("out of bounds") != std::string::npos ||
            f.find("negative deaths") != std::string::npos) {
            std::fprintf(stderr, "%s\n", f.c_str());
            __builtin_trap();
        }
    w.Drain();
    w.Reset();
    return 0;
}

// The games are large and keep growing buffers between blocks on purpose:
// a leak scan of their heap after every block would leave no time to fuzz.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
