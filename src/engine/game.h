// Starting, running and stopping the game: the order in which every
// subsystem comes up and goes down, and the per-frame callbacks.
#pragma once

#include <cstdint>

struct InputEvent;

void StartGame();
void FreeGameData();
void DestroySingletons();
void Shutdown();

void GameUpdate(uint32_t milliseconds);
void GameDraw(uint32_t milliseconds);
void RouteInputEvent(InputEvent* event);
