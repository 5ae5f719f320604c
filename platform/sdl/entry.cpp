// The process entry: hands control to the program's WinMain.
#define SDL_MAIN_HANDLED  // no SDL_main renaming: this is the real main
#include <SDL.h>

#include <string>

#include "platform/winapi.h"

int main(int argc, char** argv) {
    // WinMain gets the arguments after the program's name as one line.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            commandLine += ' ';
        }
        commandLine += argv[i];
    }
    SDL_SetMainReady();
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOW);
}
