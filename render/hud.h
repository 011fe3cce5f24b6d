// The head-up display of a view and the lines over the whole screen.
#pragma once

#include <string>

#include "core/game.h"
#include "render/camera.h"
#include "render/canvas.h"
#include "render/frame.h"

// Health bar, reload bar, cow alarm, timed lines, score table, score line,
// order menu, pause and level-end notices, weapon icon.
void DrawHud(ICanvas& c, const Game& g, const TFramePictures& pics, const TView& v,
             const TFrameInfo& info);
// Console lines, and in developer mode the developer data and bot routes.
void DrawOverlays(ICanvas& c, const Game& g, const TFrameInfo& info, const TView& first);

// Health bar length (0..100) and colour; length -1 draws none.
int HealthBarLength(const Game& g, const TTank& t);
// Every vehicle's frags and deaths in rank order, centred in port.
void DrawScoreTable(ICanvas& c, const Game& g, int viewer, const TRect& port);
int32_t HealthBarColour(int length);
// "(+3)", "(0)", "(-2)".
std::string ScoreDifference(int d);
// What a bot is doing, for the order menu and the developer lines.
std::string MissionText(const Game& g, int vehicle);
// A vehicle's colour as console text: a dark one is lifted towards white
// until it reads against the ground and the black shadow under it.
int32_t ReadableColour(int32_t colour);
