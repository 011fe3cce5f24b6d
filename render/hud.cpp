#include "render/hud.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/asset_names.h"
#include "core/colours.h"
#include "core/terrain.h"
#include "sim/messages.h"

namespace {

constexpr int32_t White = 0xFFFFFF, Black = 0, Red = 0x0000FF, Blue = 0xFF0000, Yellow = 0x00FFFF,
                  Green = 0x00FF00, Cyan = 0xFFFF00, Silver = 0xC0C0C0, Grey = 0x808080;
constexpr int32_t LightGrey = Rgb(224, 224, 224), Pink = Rgb(255, 128, 128);

} // namespace

int32_t ReadableColour(int32_t colour) {
    // Lifted towards white until it is as light as a mid grey: a black or
    // navy owner would vanish against its own black shadow and dark ground.
    int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    constexpr double Wanted = 0.45;
    const double light = (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255;
    if (light >= Wanted) return colour;
    const double lift = (Wanted - light) / (1 - light);
    r += int(std::lround((255 - r) * lift));
    g += int(std::lround((255 - g) * lift));
    b += int(std::lround((255 - b) * lift));
    return Rgb(r, g, b);
}

namespace {

// Coloured text over the same text in black, shifted right and down.
void Shadowed(ICanvas& c, int x, int y, const std::string& text, TFont font, int shift) {
    const int32_t colour = font.Colour;
    font.Colour = Black;
    c.TextOut(x + shift, y + shift, text, font);
    font.Colour = colour;
    c.TextOut(x, y, text, font);
}

int CentreX(ICanvas& c, const TRect& port, const std::string& text, const TFont& font) {
    return port.Left + (port.Width() - c.TextWidth(text, font)) / 2;
}

int Modulo(int32_t v, int m) {
    return int(((v % m) + m) % m);
}

// The score that counts in this game: cows, team frags or frags.
int TeamScore(const Game& g, const TTeam& t) {
    return g.CaptureTheCow ? t.Cows : t.TeamFrags;
}

void DrawBars(ICanvas& c, const Game& g, const TTank& t, const TRect& port) {
    const int p = HealthBarLength(g, t);
    if (p > 0)
        c.FillRect({port.Left + 10, port.Bottom - 25, port.Left + 10 + p, port.Bottom - 15},
                   HealthBarColour(p));
    const int reload = std::clamp(t.ReloadPercent, 0, 100);
    if (reload > 0)
        c.FillRect({port.Left + 10, port.Bottom - 10, port.Left + 10 + reload, port.Bottom - 5},
                   Yellow);
}

void DrawCowAlarm(ICanvas& c, const Game& g, const TTank& t, const TRect& port) {
    if (!g.CaptureTheCow || Modulo(g.GameTime, 1000) >= 500) return;
    const TTeam* team = TeamOf(g, int(&t - g.Tanks.data()));
    if (!team || team->CowAtHome) return;
    const std::string text = "YOUR COW HAS BEEN STOLEN!";
    const TFont font{14, true, Red};
    Shadowed(c, CentreX(c, port, text, font), port.Bottom - 75, text, font, 2);
}

void DrawTimedLines(ICanvas& c, const Game& g, int slot, const TRect& port) {
    const TPlayerLines& lines = g.PlayerLines[std::clamp(slot, 0, 1)];
    auto line = [&](const TTimedLine& l, int size, int y, int32_t colour, int shift) {
        if (g.GameTime >= l.Expiry || l.Text.empty()) return;
        const TFont font{size, false, colour};
        Shadowed(c, CentreX(c, port, l.Text, font), y, l.Text, font, shift);
    };
    line(lines.KillNotice, 14, 40, Blue, 1);
    line(lines.Personal, 18, 60, Blue, 2);
    const int32_t speaker = IsTankIndex(g, lines.Taunt.Speaker)
                                ? PackColour(g.Tanks[lines.Taunt.Speaker].BodyColour)
                                : White;
    line(lines.Taunt, 14, 85, speaker, 1);
}

} // namespace

// The score table: a heading, then a row per vehicle in rank order (in a
// team game the team's score on its first row, and a row's gap between
// teams), on a dark backdrop that reads on any ground. Rows that do not fit
// the view go on in more columns side by side, and where even those are
// too few the rows draw closer together in a smaller type.
void DrawScoreTable(ICanvas& c, const Game& g, int viewer, const TRect& port) {
    const int n = std::clamp(g.TankCount, 0, MaxTanks);
    if (n == 0) return;
    const bool teams = g.TeamGame;
    auto teamOf = [&](int row) {
        const int v = g.RankOrder[row];
        return IsTankIndex(g, v) ? g.Tanks[v].TeamIndex : -1;
    };
    // The rows in order: a vehicle's index, or -1 for the gap between teams.
    std::vector<int> rows;
    for (int row = 0; row < n; ++row) {
        if (!IsTankIndex(g, g.RankOrder[row])) continue;
        if (teams && !rows.empty() && teamOf(row) != teamOf(row - 1)) rows.push_back(-1);
        rows.push_back(g.RankOrder[row]);
    }
    constexpr int ColumnWidth = 310, Room = 8;
    const int count = int(rows.size());
    const int maxColumns = std::max(1, (port.Width() - 2 * Room) / ColumnWidth);
    const int height = std::max(30, port.Height() - 2 * Room);
    int step = 15;
    int perColumn = std::max(1, height / step - 1); // one row for the heading
    int columns = (count + perColumn - 1) / perColumn;
    if (columns > maxColumns) {
        columns = maxColumns;
        perColumn = (count + columns - 1) / columns;
        step = std::max(6, height / (perColumn + 1));
    }
    perColumn = (count + columns - 1) / columns;
    const int size = step >= 15 ? 10 : step >= 11 ? 8 : 6;
    const TFont white{size, false, White}, silver{size, false, Silver}, head{size, true, LightGrey};
    const int total = step * (perColumn + 1);
    const int top = std::max(0, port.Height() / 2 - RoundHalfEven(total * 0.5));
    const int mid = port.Left + port.Width() / 2;
    auto centre = [&](int k) { return mid + (2 * k - (columns - 1)) * ColumnWidth / 2; };
    const TRect back{centre(0) - (teams ? 158 : 108), top - 4, centre(columns - 1) + 160,
                     top + total + 2};
    c.Rectangle(back, {Grey, 1, TPenStyle::Solid}, {Rgb(16, 16, 16), TBrushStyle::Solid});
    for (int k = 0; k < columns; ++k) {
        const int cx = centre(k);
        if (teams) Shadowed(c, cx - 150, top, g.CaptureTheCow ? "Cows" : "Team", head, 1);
        Shadowed(c, cx - 100, top, "Name", head, 1);
        Shadowed(c, cx + 50, top, "Frags", head, 1);
        Shadowed(c, cx + 100, top, "Deaths", head, 1);
    }
    for (int i = 0; i < count; ++i) {
        const int v = rows[i];
        if (v < 0) continue;
        const int cx = centre(i / perColumn);
        const int y = top + step * (i % perColumn + 1);
        const TTank& t = g.Tanks[v];
        // A team's score on its first row, and again at the top of a column.
        const bool first = i == 0 || rows[i - 1] < 0 || i % perColumn == 0;
        if (teams && first)
            if (const TTeam* team = TeamOf(g, v))
                Shadowed(c, cx - 150, y, std::to_string(TeamScore(g, *team)), white, 1);
        const TFont& f = v == viewer ? white : silver;
        Shadowed(c, cx - 100, y, t.Name, f, 1);
        Shadowed(c, cx + 50, y, std::to_string(t.Frags), f, 1);
        Shadowed(c, cx + 100, y, std::to_string(t.Deaths), f, 1);
    }
}

namespace {

void DrawScoreLine(ICanvas& c, const Game& g, int viewer, const TRect& port) {
    const TTank& t = g.Tanks[viewer];
    const TTeam* team = g.TeamGame ? TeamOf(g, viewer) : nullptr;
    const TFont big{24, true, White};
    const int x = port.Left + 10, y = port.Bottom - 60;
    if (team && g.TeamCount == 2) {
        const TTeam& other = g.Teams[t.TeamIndex == 0 ? 1 : 0];
        Shadowed(c, x, y,
                 std::to_string(TeamScore(g, *team)) + " - " + std::to_string(TeamScore(g, other)),
                 big, 2);
        return;
    }
    int score, rank, count, leader, second;
    if (team) {
        score = TeamScore(g, *team);
        rank = team->TeamRank;
        count = g.TeamCount;
        leader = TeamScore(g, g.Teams[std::clamp(g.TeamOrder[0], 0, MaxTeams - 1)]);
        second = TeamScore(g, g.Teams[std::clamp(g.TeamOrder[1], 0, MaxTeams - 1)]);
    } else {
        score = t.Frags;
        rank = t.Rank;
        count = g.TankCount;
        auto frags = [&](int row) {
            const int v = g.RankOrder[row];
            return IsTankIndex(g, v) ? g.Tanks[v].Frags : 0;
        };
        leader = frags(0);
        second = frags(1);
    }
    const int d = rank == 1 && count >= 2 ? score - second : score - leader;
    const std::string s = std::to_string(score);
    TFont font = big;
    if (score < 0) font.Colour = Red;
    Shadowed(c, x, y, s, font, 2);
    const std::string place =
        std::to_string(rank) + "/" + std::to_string(count) + " " + ScoreDifference(d);
    Shadowed(c, port.Left + c.TextWidth(s, big) + 20, port.Bottom - 50, place,
             {14, false, LightGrey}, 1);
}

std::string TwoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

void DrawOrderMenu(ICanvas& c, const Game& g, int slot) {
    if (!g.CaptureTheCow) return;
    const TMateList& m = g.MateLists[std::clamp(slot, 0, 1)];
    if (m.OrderStage <= 0) return;
    const TFont cyan{6, true, Cyan}, pink{6, true, Pink};
    const TPen outline{Blue, 2, TPenStyle::Solid};
    const TBrush clear{0, TBrushStyle::Clear};
    const int n = std::clamp(m.Count, 0, MaxTanks - 1);
    auto mate = [&](int k) { return k >= 1 && k <= n ? m.Mates[k] : -1; };
    if (m.OrderStage == 3) {
        const int v = mate(m.OrderMate);
        const std::string header = (IsTankIndex(g, v) ? g.Tanks[v].Name : std::string()) + ":";
        Shadowed(c, 10, 70, header, cyan, 1);
        for (int k = 0; k < 4; ++k) {
            Shadowed(c, 10, 80 + 10 * k, std::to_string(k + 1) + ":", cyan, 1);
            Shadowed(c, 30, 80 + 10 * k, OrderName(k), cyan, 1);
        }
        Shadowed(c, 10, 120, "0:", pink, 1);
        Shadowed(c, 30, 120, "CANCEL", pink, 1);
        const int right =
            std::max(c.TextWidth(header, cyan) + 18, c.TextWidth("Defend the Base", cyan) + 38);
        c.Rectangle({5, 65, right, 138}, outline, clear);
        return;
    }
    int widestName = 0, widestState = 0;
    for (int k = 1; k <= n; ++k) {
        const int v = mate(k);
        if (!IsTankIndex(g, v)) continue;
        widestName = std::max(widestName, c.TextWidth(g.Tanks[v].Name, cyan));
        if (!g.NetworkGame)
            widestState = std::max(widestState, c.TextWidth("(" + MissionText(g, v) + ")", cyan));
    }
    for (int k = 1; k <= n; ++k) {
        const int v = mate(k);
        const int y = 70 + 10 * (k - 1);
        Shadowed(c, 10, y, (n >= 10 ? TwoDigits(k) : std::to_string(k)) + ":", cyan, 1);
        if (!IsTankIndex(g, v)) continue;
        Shadowed(c, 30, y, g.Tanks[v].Name, cyan, 1);
        if (!g.NetworkGame) Shadowed(c, widestName + 40, y, "(" + MissionText(g, v) + ")", cyan, 1);
    }
    Shadowed(c, 10, 70 + 10 * n, n >= 10 ? "00:" : "0:", pink, 1);
    Shadowed(c, 30, 70 + 10 * n, "CANCEL", pink, 1);
    c.Rectangle({5, 65, widestName + widestState + 48, 10 * n + 88}, outline, clear);
}

void DrawNotices(ICanvas& c, const Game& g, const TRect& port, const TFrameInfo& info) {
    if (g.Paused && Modulo(info.RealTick, 1000) < 500) {
        const TFont font{18, false, White};
        const std::string text = "PAUSED";
        Shadowed(c, CentreX(c, port, text, font),
                 port.Top + (port.Height() - c.TextHeight(text, font)) / 2, text, font, 2);
    }
    if (!g.LevelRunning && g.GameTime > g.LevelEndTime + 4000) {
        const std::string text = "press fire to start next level or Esc to exit";
        const TFont font{12, false, White, Grey};
        c.TextOut(CentreX(c, port, text, font), port.Height() - 100, text, font);
    }
}

} // namespace

int HealthBarLength(const Game& g, const TTank& t) {
    const int m = t.Sort == sortTank ? g.ArmourTank : g.ArmourLight;
    if (m <= 0 || !std::isfinite(t.Health)) return t.Health > 0 ? 100 : 0;
    return std::clamp(RoundHalfEven(std::clamp(t.Health * 100 / m, -1000.0, 1000.0)), 0, 100);
}

int32_t HealthBarColour(int p) {
    if (p <= 50) return Rgb(255, RoundHalfEven(p * 0.01 * 2 * 255), 0);
    return Rgb(RoundHalfEven((100 - p) * 0.01 * 2 * 255), 255, 0);
}

std::string ScoreDifference(int d) {
    return "(" + std::string(d > 0 ? "+" : "") + std::to_string(d) + ")";
}

std::string MissionText(const Game& g, int vehicle) {
    if (!IsTankIndex(g, vehicle)) return "ERROR";
    const TTank& t = g.Tanks[vehicle];
    switch (t.Mission) {
    case msDefendBase:
        return "Defending base";
    case msCaptureCow:
        if (t.TargetTeam < 0 || t.TargetTeam >= std::min(g.TeamCount, MaxTeams)) return "";
        return "Capturing " + g.Teams[t.TargetTeam].TeamName + "'s cow";
    case msCoverMe:
        return "Covering " +
               (IsTankIndex(g, t.MissionTarget) ? g.Tanks[t.MissionTarget].Name : std::string());
    case msFreelance:
        return "Freelancing";
    case msRetrieveCow:
        return "Retrieving cow";
    case msSynchronized:
        return "Synchronized driving";
    default:
        return "ERROR";
    }
}

void DrawHud(ICanvas& c, const Game& g, const TFramePictures& pics, const TView& v,
             const TFrameInfo& info) {
    const TRect& port = v.Port;
    if (IsTankIndex(g, v.Vehicle)) {
        const TTank& t = g.Tanks[v.Vehicle];
        DrawBars(c, g, t, port);
        DrawCowAlarm(c, g, t, port);
        DrawTimedLines(c, g, v.Slot, port);
        if (!t.Alive || !g.LevelRunning) DrawScoreTable(c, g, v.Vehicle, port);
        DrawScoreLine(c, g, v.Vehicle, port);
        DrawOrderMenu(c, g, v.Slot);
    }
    DrawNotices(c, g, port, info);
    if (IsTankIndex(g, v.Vehicle)) {
        const int weapon = std::clamp(g.Tanks[v.Vehicle].Weapon, 0, 6);
        c.Draw(pics.Sprites, spWeaponIcons + weapon, port.Left + 120, port.Bottom - 25);
    }
}

void DrawOverlays(ICanvas& c, const Game& g, const TFrameInfo& info, const TView& first) {
    // The console in the HUD's own text size, a line under the other.
    const int lines = std::clamp(g.Console.Count, 0, ConsoleLines);
    const TFont console{10, true, Green};
    const int step = std::max(10, c.TextHeight("Ag", console));
    for (int i = 0; i < lines; ++i) {
        const TConsoleLine& l = g.Console.Lines[i];
        if (IsTankIndex(g, l.Owner)) {
            const TTank& t = g.Tanks[l.Owner];
            TFont owner = console;
            owner.Colour = ReadableColour(PackColour(t.BodyColour));
            Shadowed(c, 2, step * i, t.Name + ": " + l.Text, owner, 1);
        } else {
            Shadowed(c, 2, step * i, l.Text, console, 1);
        }
    }
    if (!g.DeveloperMode) return;
    const TFont font{8, false, Green};
    auto say = [&](int x, int y, const std::string& text) { c.TextOut(x, y, text, font); };
    say(0, 50, "FPS: " + std::to_string(info.Fps));
    say(0, 60, "SPS: " + std::to_string(g.SendsPerSecond));
    say(0, 70, "BC: " + std::to_string(g.Bullets.Count));
    say(0, 90, "CBC: " + std::to_string(g.Bomblets.Count));
    say(0, 100, "MC: " + std::to_string(g.Rockets.Count));
    say(0, 110, "BFGC: " + std::to_string(g.BfgBalls.Count));
    say(0, 120, "MineC: " + std::to_string(g.Mines.Count));
    const int seconds = std::max(0, g.GameTime / 1000);
    say(0, 130, "time:" + TwoDigits(seconds / 60) + ":" + TwoDigits(seconds % 60));
    say(0, 140, "DevData: " + std::to_string(info.DevData));
    if (g.CaptureTheCow) {
        int y = 100;
        for (int i = 0; i < g.TankCount; ++i) {
            const TTank& t = g.Tanks[i];
            if (!t.IsBot && !(i == g.Player1 && g.Player1Autopilot)) continue;
            say(0, y, t.Name);
            say(100, y, MissionText(g, i));
            y += 10;
        }
    }
    if (!IsTankIndex(g, g.Player1)) return;
    const TTank& p = g.Tanks[g.Player1];
    const int n = std::clamp(p.RouteLength, 0, int(p.Route.size()));
    std::vector<TSegment> route;
    for (int k = 0; k + 1 < n; ++k) {
        const TVector a = CellCentre(g, p.Route[k].X, p.Route[k].Y);
        const TVector b = CellCentre(g, p.Route[k + 1].X, p.Route[k + 1].Y);
        route.push_back(
            {ScreenX(first, a.x), ScreenY(first, a.y), ScreenX(first, b.x), ScreenY(first, b.y)});
    }
    c.Lines(route.data(), int(route.size()), {Cyan, 1, TPenStyle::Solid});
}
