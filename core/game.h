// The whole mutable state of one machine: vehicle table, pools, clock, match
// flags, map. One Game object per machine, so a host and its clients can
// live side by side in one test.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/map_state.h"
#include "core/services.h"
#include "core/vectors2d.h"

constexpr int MaxTanks = 64;

class TMazeSolver;

enum TVehicleSort : int32_t { sortTank = 0, sortHovercraft = 5, sortHummer = 10 };

enum TWeapon : int32_t {
    wpMachineGun = 0,
    wpRailgun = 1,
    wpCluster = 2,
    wpRockets = 3,
    wpHoming = 4,
    wpGuided = 5,
    wpBfg = 6,
    wpVarying = 7, // start-screen choice only
};

struct TRgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

// Where a vehicle is and how it moves.
struct TTankBody {
    TVector Position;
    TVector PrevPosition;
    TVector Step;
    TVector Velocity;
    TVector Force;
    double Heading = 0;
    double Spin = 0;
    double Torque = 0;
    double TurretAngle = 0;
    double TurretSpeed = 0;
    int32_t TurretPreset = 0;
    double BodyPivot = 0.5;
    double TurretPivot = 0.5;
    TVector TurretMount;
    TVector TurretMountWorld;
    std::array<TVector, 4> BodyCorners{};
    std::array<TVector, 4> WorldCorners{};
    int32_t Throttle = 0;
    int32_t Steer = 0;
    int32_t TurretTurn = 0;
    int32_t BumpSide = 1;
    int32_t BumpTime = 0;
};

// What a vehicle carries and how it fires it.
struct TTankWeapons {
    TVector GunMuzzle;
    TVector MainMuzzle;
    TVector MineDrop;
    TVector LaunchRail;
    int32_t Weapon = wpMachineGun;
    bool VaryingWeapon = false;
    int32_t WeaponChangeTime = 0;
    int32_t GunAmmo = 50;
    int32_t RocketsLeft = 6;
    int32_t MinesLeft = 10;
    int32_t ReloadPercent = 100;
    int32_t GuidedMissile = -1; // rocket pool index
    bool FireHeld = false;
    bool Firing = false;
    int32_t NextFireTime = 0;
    int32_t ReloadStart = 0;
    bool SelfDestructArmed = false;
    int32_t SelfDestructTime = 0;
    int32_t SelfDestructBeep = 0;
    int32_t BfgLaunchTime = 0;
    bool BfgCharging = false;
};

// Health, score and the kills that made it.
struct TTankScore {
    double Health = 0;
    int32_t Frags = 0;
    int32_t TeamIndex = -1; // -1 without teams
    int32_t Rank = 1;
    int32_t Deaths = 0;
    int32_t DeathTime = 0;
    int32_t LastKiller = -1;
    int32_t LastKilledTime = 0;
    int32_t MultiKillCount = 0;
    int32_t MultiKillDeadline = 0;
};

enum TMission : int32_t {
    msDefendBase = 0,
    msCaptureCow = 1,
    msCoverMe = 2,
    msFreelance = 3,
    msRetrieveCow = 4,
    msSynchronized = 5, // the credits show
};

// A bot's mind: whom it hunts, where it drives, what it was told to do.
struct TBotState {
    int32_t BotTarget = -1;
    int32_t TargetTeam = -1;
    TVector Goal;
    std::array<TCell, 10> Route{};
    int32_t RouteLength = 0;
    int32_t Mission = msFreelance;
    int32_t SavedMission = msFreelance;
    int32_t MissionTarget = -1;
    int32_t SavedMissionTarget = -1;
    // This tick's step found nothing to do (the bot stands still on purpose).
    bool BotIdle = false;
};

// What the host said about this vehicle in its last three statuses, and
// the speeds a client estimates from them (px/s, rad/s) to predict with.
struct TTankSnapshot {
    TVector SnapshotPosition;
    TVector PrevSnapshotPosition;
    TVector OlderSnapshotPosition;
    TVector SnapshotVelocity;
    TVector PrevSnapshotVelocity;
    double SnapshotHeading = 0;
    double PrevSnapshotHeading = 0;
    double OlderSnapshotHeading = 0;
    double SnapshotSpin = 0;
    double PrevSnapshotSpin = 0;
    bool GunSounding = false;
};

struct TTank : TTankBody, TTankWeapons, TTankScore, TBotState, TTankSnapshot {
    bool Alive = false;
    bool IsBot = false;
    std::string Name;
    int32_t PlayerId = 0;
    int32_t Sort = sortTank;
    TRgb BodyColour;
    TRgb SecondColour;
    int32_t PaintJob = -1;
    bool HornOn = false;
    uint8_t Seat = 0;
    // The two tinted pictures (body, turret) appended to the sprite list.
    int32_t BodySprite = -1;
    int32_t TurretSprite = -1;
    // New with every change of colours, paint job or sort, and with every
    // move to another place in the table: the drawing side rebuilds its
    // tinted pictures when the stamp it built them for is not this one.
    uint64_t AppearanceStamp = 0;
};

// Closed-form flight under constant thrust F and linear drag k (k < 0).
struct TTrajectory {
    TVector C; // P0 - A
    int32_t StartTime = 0;
    TVector A; // V0/k + F/k^2
    TVector F;
    double K = -1;
};

struct TBullet {
    TVector Position;
    TVector PrevPosition;
    TVector TrailPosition; // 10 ms earlier: the tail of the drawn streak
    TVector Velocity;      // px per ms
    TVector Origin;
    int32_t FireTime = 0;
    int32_t Shooter = -1;
    bool Spent = false;
};

// The bullets, kept field by field: the tick's pass over thousands of them
// reads where each one is and how it flies, and nothing else. A bullet goes
// in and comes out as a whole TBullet; the columns serve the loops that
// read one field of every bullet. Same rules as TPool: new entries go to the
// end, removing moves the last entry into the hole, a full pool refuses.
struct TBulletFlight {
    TVector Origin;
    TVector Velocity; // px per ms
};

class TBulletPool {
  public:
    static constexpr int Capacity = 16384;

    // Index of the new entry, -1 when full.
    int Add(const TBullet& b) {
        if (Count >= Capacity) return -1;
        Set(Count, b);
        return Count++;
    }
    void Remove(int i) {
        if (i < 0 || i >= Count) return;
        const int last = Count - 1;
        Position[i] = Position[last];
        PrevPosition[i] = PrevPosition[last];
        TrailPosition[i] = TrailPosition[last];
        Flight[i] = Flight[last];
        FireTime[i] = FireTime[last];
        Shooter[i] = Shooter[last];
        Spent[i] = Spent[last];
        --Count;
    }
    void Clear() { Count = 0; }
    bool Full() const { return Count >= Capacity; }
    // A copy of bullet i; Set writes one back.
    TBullet operator[](int i) const {
        const TBulletFlight& f = Flight[i];
        return {Position[i], PrevPosition[i], TrailPosition[i], f.Velocity,
                f.Origin,    FireTime[i],     Shooter[i],       Spent[i] != 0};
    }
    void Set(int i, const TBullet& b) {
        Position[i] = b.Position;
        PrevPosition[i] = b.PrevPosition;
        TrailPosition[i] = b.TrailPosition;
        Flight[i] = {b.Origin, b.Velocity};
        FireTime[i] = b.FireTime;
        Shooter[i] = b.Shooter;
        Spent[i] = b.Spent;
    }

    int Count = 0;
    std::array<TVector, Capacity> Position{};
    std::array<TVector, Capacity> PrevPosition{};
    std::array<TVector, Capacity> TrailPosition{};
    std::array<TBulletFlight, Capacity> Flight{};
    std::array<int32_t, Capacity> FireTime{};
    std::array<int32_t, Capacity> Shooter{};
    std::array<uint8_t, Capacity> Spent{}; // hit something: leaves at the next tick's start
};

struct TBomblet {
    TVector Position;
    TVector Velocity; // px per ms
    TVector Origin;
    int32_t LaunchTime = 0;
    int32_t Owner = -1;
    int32_t FuseTime = 0;
};

struct TRocket {
    int32_t Id = 0;
    TVector Position;
    TVector Velocity; // px/s
    TVector PrevPosition;
    TVector PrevPrevPosition;
    double Angle = 0;
    double TargetRate = 0; // rad/s
    double Rate = 0;       // rad/s
    TTrajectory Path;      // rockets only
    int32_t Owner = -1;
    int32_t Kind = 0; // 0 rocket, 1 homing missile, 2 guided missile
    int32_t Target = -1;
    // A client's missile: where the host's last status had it.
    TVector SnapshotPosition;
};

struct TBfgBall {
    int32_t Id = 0;
    TVector Position;
    TVector PrevPosition;
    TTrajectory Path;
    int32_t Owner = -1;
    std::array<int32_t, MaxTanks> ZapTargets{};
    int32_t ZapLast = -1;
};

struct TMine {
    int32_t Id = 0;
    TVector Position;
    int32_t Owner = -1;
    int32_t ArmTime = 0;
    bool InWater = false;
};

struct TExplosion {
    int32_t Kind = 1; // sound index: 1 small, 2 big, 14 BFG; -1 silent self-destruct
    int32_t StartTime = 0;
    TVector Position;
};

struct TParticle {
    TVector Position;
    int32_t Colour = 0; // 0x00BBGGRR
    int32_t ExpiryTime = 0;
};

// A fixed array plus a count. New entries go to the end; removing moves the
// last entry into the hole. A full pool silently refuses.
template <class T, int N> struct TPool {
    static constexpr int Capacity = N;
    std::array<T, N> Items{};
    int Count = 0;

    // Index of the new entry, -1 when full.
    int Add(const T& item) {
        if (Count >= N) return -1;
        Items[Count] = item;
        return Count++;
    }
    void Remove(int i) {
        if (i < 0 || i >= Count) return;
        Items[i] = Items[Count - 1];
        --Count;
    }
    void Clear() { Count = 0; }
    bool Full() const { return Count >= N; }
    T& operator[](int i) { return Items[i]; }
    const T& operator[](int i) const { return Items[i]; }
};

struct TGameClock {
    int32_t TickNow = 0;
    // The tick count of the pass that heard the messages being handled: a
    // ticking game handles them at TickNow (its last tick), but their
    // arrival, which the clock and the pings go by, is now.
    int32_t HeardTick = 0;
    int32_t LastTick = 0;
    int32_t DeltaMs = 0;
    double DeltaSec = 0;
    int32_t GameTime = 0;
    int32_t LevelEndTime = 0;
    int32_t ClockOffset = 0;
    int32_t StatusInterval = 50;
    int32_t LastStatusSend = 0;
    int32_t SendsPerSecond = 0;
    int32_t LastServerUpdate = -1000;
    // A client: seconds between the last two statuses applied, and between
    // the two before.
    double SnapshotGap = 0;
    double PrevSnapshotGap = 0;
};

enum TCheat : int32_t { cheatDamage = 1, cheatReload = 2, cheatForce = 4 };

struct TMatchFlags {
    bool LevelRunning = false;
    bool Paused = false;
    bool NetworkGame = false;
    // A match being recorded: the host's senders speak as in a network
    // game, so the recording holds what a client would have been told.
    bool Recording = false;
    // A recording played back through the client's receive path: it uses
    // the map the recording carries and writes no files.
    bool Replaying = false;
    bool ClientMode = false;
    bool MapReceived = false;
    bool StatusReceived = false;
    bool CaptureTheCow = false;
    bool TeamGame = false;
    bool UseBases = false;
    int32_t FragLimit = 50;
    int32_t ArmourLight = 100;
    int32_t ArmourTank = 160;
    bool ShowShadows = true;
    bool TankIndicators = false;
    bool TwoPlayers = false;
    bool SplitScreen = false;
    int32_t Player1 = 0;
    int32_t Player2 = 1;
    // Viewports: which local player each half of the screen follows.
    int32_t LeftViewPlayer = 0;
    int32_t RightViewPlayer = 1;
    double TauntChance = 0.5;
    bool ScreenSaverMode = false;
    bool CreditsLevel = false;
    int32_t CheatFlags = 0;
    // Network and sound bookkeeping of the tick.
    int32_t SplitPan = 8000;
    int32_t Player2Engine = -1;
    bool SendStatusNow = false;
    // A player pressed fire after the win: the tick starts the next level.
    bool NextLevelRequested = false;
    bool PassiveInterpolation = false;
    int32_t LocalPlayerId = 0;
    bool IsHost = false;       // this machine hosts the network session
    int32_t TeamCount = 0;     // teams in play, the first TeamCount of Teams
    int32_t MineHalfWidth = 5; // half the "Mine" sprite's width
    bool HornPlaying = false;
    // Developer keys: the turret keeps its bearing on the ground; player 1
    // is driven like a bot.
    bool DeveloperMode = false;
    bool TurretLock = false;
    bool Player1Autopilot = false;
    // Bullets, rockets, missiles and BFG balls find the vehicles they may
    // hit through a coarse grid; off only to measure what the grid saves.
    bool BulletBroadPhase = true;
    // The credits show's formation: pattern 0..2 and direction +1 / -1; a
    // kill in the show picks new ones.
    int32_t FormationPattern = 0;
    int32_t FormationDirection = 1;
    // Where each local player's view looks (centre, world px) and its size
    // (screen px), as the last frame drew it: positional sound hears by it.
    std::array<TVector, 2> ViewCentres{};
    std::array<int32_t, 2> ViewWidths{};
    std::array<int32_t, 2> ViewHeights{};
};

// One player's or bot's choices on the start screen.
struct THsb {
    int32_t Hue = 0;        // 0..1535
    int32_t Saturation = 0; // 0..255
    int32_t Brightness = 0; // 0..511
};

struct TTankSetup {
    std::string Name;
    THsb Colour1;
    THsb Colour2;
    int32_t Pattern = -1;
    int32_t Weapon = wpMachineGun;
    int32_t Sort = sortTank;
    bool Changed = false;
};

// What the set-up step reads off the start screen's controls.
struct TStartChoices {
    std::array<TTankSetup, MaxTanks> TankSetups{};
    bool NewGameRequested = false;
    bool Player2LeftSide = false;  // "Player 2 left side of screen"
    bool CaptureTheCowBox = false; // "Capture The Cow"
    bool TeamWarBox = false;       // "Team War"
    // A host without a player of its own (a dedicated server): every
    // vehicle it starts is a bot, and Player1 and Player2 are none.
    bool Dedicated = false;
    bool UseBasesBox = false;  // "Use bases"
    bool NoShadowsBox = false; // "No shadows"
    bool TankIndicatorsBox = false;
    bool ShowNamesBox = false; // "Show names"
    int32_t FragLimitSpin = 50;
    int32_t ArmourSlider = 100;
    int32_t ServerRate = 20;
    int32_t BotCount = 3;      // "Bots:"
    std::string SelectedLevel; // the level list's current entry
    // The levels shown in the list, in its order; "Cycle levels" moves the
    // selection along it after every win.
    std::vector<std::string> LevelList;
    bool CycleLevelsBox = false;
    // What players and bots say: slots 0-3 player 1, 4-7 player 2, 8-11 bots.
    std::array<std::string, 12> TauntTable{};
};

constexpr int MaxTeams = 11;

// One team of a team game; a vehicle names its team by TeamIndex.
struct TTeam {
    std::string TeamName;
    int32_t Base = -1; // index into Bases, -1 none
    int32_t Cows = 0;
    int32_t TeamFrags = 0;
    int32_t TeamDeaths = 0;
    int32_t TeamRank = 1;
    int32_t Colour = 0; // named colour 0..10: the team's identity between machines
    TVector CowPosition;
    double CowHeading = 0;
    int32_t CowCarrier = -1; // vehicle index
    bool CowAtHome = true;
    int32_t CowLeftTime = 0;
};

struct TTeamTable {
    std::array<TTeam, MaxTeams> Teams{};
    // Vehicle indices from best to worst; team indices from best to worst.
    std::array<int32_t, MaxTanks> RankOrder{};
    std::array<int32_t, MaxTeams> TeamOrder{};
};

// KeyMap values: an action 0..10 of player 1, the same + 64 for player 2.
constexpr uint8_t NoKeyAction = 255;
constexpr uint8_t Player2KeyActions = 64;
constexpr int KeyCodeCount = 256;

constexpr std::array<uint8_t, KeyCodeCount> EmptyKeyMap() {
    std::array<uint8_t, KeyCodeCount> m{};
    for (uint8_t& e : m)
        e = NoKeyAction;
    return m;
}

// A local player's numbered team-mates (number n is Mates[n], from 1) and
// the order menu drawn over the player's view.
struct TMateList {
    std::array<int32_t, MaxTanks> Mates{};
    int32_t Count = 0;
    int32_t OrderStage = 0;
    int32_t OrderMate = 0;
    int32_t OrderCode = 0;
};

// A vehicle of a machine that left, as it was: given back when the machine
// comes back to its seat with its token (the session gives it its old id).
struct TKeptVehicle {
    uint32_t PlayerId = 0;
    uint8_t Seat = 0;
    int32_t Frags = 0;
    int32_t Deaths = 0;
    TRgb BodyColour;
    TRgb SecondColour;
    int32_t PaintJob = -1;
    int32_t TeamColour = -1; // named colour of its team, -1 without teams
    int32_t LeftAt = 0;      // tick count
};

// A network game's hand-shake and its bookkeeping: what a client has of the
// host's game yet, and what the host knows of its clients.
struct TNetLobby {
    // A client's readiness: the host's map, set-up, vehicle list and scores
    // are in (all cleared when the network dialog opens).
    bool HaveMap = false;
    bool HaveSetup = false;
    bool HaveTanklist = false;
    bool HaveScores = false;
    // The game window is showing (the front end keeps this up to date).
    bool GameWindowShown = false;
    // The host's player id and map name, from its set-up.
    uint32_t ServerPlayerId = 0;
    std::string ServerMapName;
    // Tick count of the client's last ping; whether its answer is still
    // out; the last round trip (ms, 0 while one is out).
    int32_t PingSentTick = 0;
    bool PingPending = false;
    int32_t LastPing = 0;
    // The host's base list as received: colour, base, colour, base, ...
    std::vector<int32_t> ReceivedBaseList;
    // Host: the players whose vehicle list has come (one per join).
    std::vector<uint32_t> ListsReceived;
    // Host: what the vehicles of machines that left had, for a comeback.
    std::vector<TKeptVehicle> KeptVehicles;
    // A size error's box shows at most once a second (tick count of the last).
    int32_t LastSizeErrorBox = 0;
    bool SizeErrorShown = false;
    // Started with "-developer": only then does a remote shutdown end us.
    bool StartedAsDeveloper = false;
    // Tick count at which the program ends (a remote shutdown), -1 never.
    int32_t ShutdownTime = -1;
};

struct Game : TGameClock, TMatchFlags, TMapState, TTerrainTables, TTeamTable, TNetLobby {
    Game(SoundOut& sound, Ui& ui, NetOut& net, uint32_t seed = 1)
        : Sound(sound), TheUi(ui), Net(net), Rng(seed) {}
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    std::array<TTank, MaxTanks> Tanks{};
    int32_t TankCount = 0;

    TBulletPool Bullets;
    TPool<TBomblet, 1024> Bomblets;
    TPool<TRocket, 256> Rockets;
    TPool<TBfgBall, 128> BfgBalls;
    TPool<TMine, 256> Mines;
    TPool<TExplosion, 1024> Explosions;
    TPool<TParticle, 16384> Particles;
    // A client: where the homing and guided missiles of the last status
    // were, in pool order (the next status's missiles take their speed from them).
    TPool<TVector, 256> RocketSnapshots;

    TConsole Console;
    // Per local player (0: Player1, 1: Player2).
    std::array<TPlayerLines, 2> PlayerLines{};
    std::array<TMateList, 2> MateLists{};
    // Key code -> action of a local player (NoKeyAction for none), and the
    // mapped keys that are down (a held key's auto-repeat presses nothing).
    std::array<uint8_t, KeyCodeCount> KeyMap = EmptyKeyMap();
    std::array<bool, KeyCodeCount> KeyHeld{};

    TStartChoices Start;
    // Source of AppearanceStamp values.
    uint64_t AppearanceSerial = 0;

    // The bots' path finder over this game's map, made on first use (its
    // working grids are large and only bots need them).
    std::shared_ptr<TMazeSolver> PathFinder;

    SoundOut& Sound;
    Ui& TheUi;
    NetOut& Net;
    Random Rng;
};

// Games are large (the map grids alone are 5 MB): always on the heap.
std::unique_ptr<Game> MakeGame(SoundOut& sound, Ui& ui, NetOut& net, uint32_t seed = 1);

// i names a vehicle in the table (indices come from files, the network and
// old references: always ask before using one).
// The host's senders speak: a network game, or a match being recorded.
inline bool Broadcasts(const Game& g) {
    return g.NetworkGame || g.Recording;
}

inline bool IsTankIndex(const Game& g, int i) {
    return i >= 0 && i < g.TankCount;
}

// The team record of vehicle i, none without a team (or for a bad index).
TTeam* TeamOf(Game& g, int i);
const TTeam* TeamOf(const Game& g, int i);

// Vehicle i looks different now (colours, paint job, sort, place in the
// table): its tinted pictures are out of date.
void MarkAppearanceChanged(Game& g, int i);

// The vehicle of a person (not a bot) with this session id and seat, -1 none.
int FindTank(const Game& g, int32_t playerId, int seat);
// Into (-pi, pi].
double NormalizeAngle(double a);
int Sign(double x);
inline int MinInt(int a, int b) {
    return a < b ? a : b;
}
inline int MaxInt(int a, int b) {
    return a > b ? a : b;
}
// Corners and edges go round: the corner after 3 is 0.
inline int NextCorner(int k) {
    return k < 3 ? k + 1 : 0;
}
// Halves go to the even neighbour.
int32_t RoundEven(double x);

// A console line (owner: the vehicle that says it, -1 none); every line is
// also handed to the Ui (headless runs print them), a vehicle's with its
// name in front.
void ConsoleLine(Game& g, const std::string& text, int32_t owner = -1);
