// The sounds of the simulation: tuning at start-up, the local players'
// engines, and the per-tick update of pitch, horn and alarms.
#pragma once

#include "core/game.h"

// The tuning done once when the game window is made; also appends the
// spare sound that becomes player 2's engine.
void TuneSounds(Game& g);
// Player 2's engine takes the wave of its sort's engine (split screen).
void PreparePlayer2Engine(Game& g);
// Two views or one. In two, player 1's engines sound from player 1's side of
// the screen and player 2's from the other.
void SetSplitScreen(Game& g, bool split);
// The engine of a local player's vehicle starts (respawn) or stops (death).
void StartEngineSound(Game& g, int i);
void StopEngineSound(Game& g, int i);
// Plays a sound where it happens, if a local player's view is near enough
// to hear it, panned towards that player's side.
void PlaySoundAt(Game& g, int sound, TVector at);
// Engine pitch, horn, alarms and remote machine-gun sounds.
void SoundUpdate(Game& g);
