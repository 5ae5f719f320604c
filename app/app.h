// Process-wide state and the window procedure.
#pragma once

#include "platform/winapi.h"

class Player;

extern bool running;
extern Player* thePlayer;
extern HWND mainWindow;

constexpr const char* windowClassName = "player";
constexpr const char* windowTitle = "- Quintrell - Chiptunes - 2012 -";
constexpr int requestedClientWidth = 480;
constexpr int requestedClientHeight = 240;

bool createMainWindow(int x, int y);
LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
