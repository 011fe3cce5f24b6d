// Teams: a vehicle's team follows the named colour of its body. Teams come
// with the first vehicle of a colour and go with the last.
#pragma once

#include <vector>

#include "core/game.h"

// The first team of named colour c, -1 none.
int FindTeamByColour(const Game& g, int colour);
// Team games: vehicle i joins team t and its body takes the team's exact colour.
void PutIntoTeam(Game& g, int i, int t);
// A team with the fewest members; ties go round from a random team.
int SmallestTeam(Game& g);
// Vehicle i joins the team of colour c, making one when there is none and
// one may be made.
void JoinByColour(Game& g, int i, int colour);
// Vehicle i now wears colour c: it joins that team and its old one goes
// when it was the last member.
void ChangeColour(Game& g, int i, int colour);
// Team t goes when no vehicle is in it (team games only).
void DropTeamIfEmpty(Game& g, int t);
// Adds a team of colour c (none beyond eleven); its index, or -1.
int CreateTeam(Game& g, int colour);
// Removes team t: its members move to the smallest team left, later teams
// move down one place.
void RemoveTeam(Game& g, int t);
// Each local player's numbered team-mates, in table order.
void RebuildMateLists(Game& g);
// A new level of a team game on the authority: surplus teams beyond the
// map's bases go, vehicles without a team join one, bases are handed out
// from a random start.
void TeamsAtLevelStart(Game& g);
// A new level of a team game on every machine, clients too (a client's own
// winner check would end the level at once on the old scores): the team
// frags and deaths start over, in Capture The Cow the cows too, each at
// home and carried by nobody.
void ResetTeamScores(Game& g);

// One team's entry of the base list the host sends its clients.
struct TBaseListEntry {
    int32_t Colour = 0; // the team, by its named colour
    int32_t Base = -1;
};
// The host's base list: every team's colour and base, in table order.
std::vector<TBaseListEntry> HostBaseList(const Game& g);
// A client takes the host's base list. At most eleven entries count;
// one naming no team here, or a base the map does not have, is skipped.
void ApplyReceivedBaseList(Game& g, const std::vector<TBaseListEntry>& list);
