// Plays one module with libopenmpt straight into SDL's audio output, with the
// program's settings (44100 Hz, 16-bit stereo, 512-frame buffers, 8-tap
// interpolation, recommended volume ramping, the start volume's gain), looping,
// until SIGTERM. Run with SDL_AUDIODRIVER=dummy to leave the sound card out.
//
//   openmpt_realtime MODULE.it
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <libopenmpt/libopenmpt.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

void render(void* user, Uint8* stream, int length) {
    auto* module = static_cast<openmpt_module*>(user);
    std::size_t frames = static_cast<std::size_t>(length) / 4;
    std::size_t got = openmpt_module_read_interleaved_stereo(module, 44100, frames, reinterpret_cast<std::int16_t*>(stream));
    if (got < frames) SDL_memset(stream + got * 4, 0, (frames - got) * 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: openmpt_realtime MODULE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const openmpt_module_initial_ctl ctls[] = {{"dither", "0"}, {nullptr, nullptr}};
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, ctls);
    if (module == nullptr) {
        std::fprintf(stderr, "openmpt_realtime: cannot load %s\n", argv[1]);
        return 1;
    }
    openmpt_module_set_repeat_count(module, -1);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 8);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, -1);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, -374);

    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_AUDIO) != 0) return 1;
    SDL_AudioSpec desired{};
    desired.freq = 44100;
    desired.format = AUDIO_S16SYS;
    desired.channels = 2;
    desired.samples = 512;
    desired.callback = render;
    desired.userdata = module;
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &desired, nullptr, 0);
    if (device == 0) return 1;
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    SDL_PauseAudioDevice(device, 0);
    while (stopRequested == 0) SDL_Delay(50);
    SDL_CloseAudioDevice(device);
    SDL_Quit();
    openmpt_module_destroy(module);
    return 0;
}
