#include "sound/soundplayer.h"

#include <cstdio>

#include "view.h"
#ifdef SHMUP_SDL
#include <SDL.h>
#include <dlfcn.h>
#endif

#ifdef SHMUP_SDL

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// alsa-lib writes a dozen lines of its own on stderr when there is no sound
// card: they are hushed, so that a machine without sound gets one line.
void *hushAlsa()
{
    using ErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
    void *library = dlopen("libasound.so.2", RTLD_NOW);
    if (!library)
        return nullptr;
    if (auto setHandler =
            reinterpret_cast<int (*)(ErrorHandler)>(dlsym(library, "snd_lib_error_set_handler")))
        setHandler(ignoreAlsaError);
    return library;
}

void stopAudio()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // What SDL keeps beyond its subsystems goes once nobody uses SDL.
    if (SDL_WasInit(0) == 0)
        SDL_Quit();
}

void sayNoSound()
{
    std::fprintf(stderr, "shmup: no sound (%s); the game plays on silent\n", SDL_GetError());
}

} // namespace

SoundPlayer::~SoundPlayer()
{
    QObject::disconnect(pausing);
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        stopAudio();
    }
    if (alsa)
        dlclose(alsa);
}

void SoundPlayer::playAlong(View &view)
{
    if (device != 0 || !openDevice())
        return;
    sound.reset(new GameSound());
    view.frameDone.push_back([this] { frameDone(); });
    pausing = QObject::connect(&view, &View::pausedChanged, [this](bool paused) { pause(paused); });
}

void SoundPlayer::pause(bool paused)
{
    SDL_PauseAudioDevice(device, paused ? 1 : 0);
    // What was queued belongs to the frames before the pause; after it the
    // queue starts a frame ahead again.
    if (paused)
        SDL_ClearQueuedAudio(device);
}

bool SoundPlayer::openDevice()
{
    alsa = hushAlsa();
    // Signals are the game's to handle.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "shmup");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        sayNoSound();
        stopAudio();
        return false;
    }
    SDL_AudioSpec wanted = {};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    // A small buffer: the queue, not the device, holds what is ahead.
    wanted.samples = 512;
    SDL_AudioSpec obtained;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        sayNoSound();
        stopAudio();
        return false;
    }
    deviceBytes = obtained.samples * 2u;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void SoundPlayer::frameDone()
{
    sound->frameDone();
    const Uint32 bytes = sizeof sound->samples;
    const Uint32 queued = SDL_GetQueuedAudioSize(device);
    // The device takes its buffer whole: with less than that queued it would
    // play a gap, so the queue starts a frame ahead (and starts again so after
    // a stall). When the device plays slower than the game runs, what is
    // queued grows: past two frames ahead this frame is dropped, so that
    // sounds stay in time with the picture.
    static const qint16 silence[kFrameSamples] = {};
    if (queued < deviceBytes)
        SDL_QueueAudio(device, silence, bytes);
    else if (queued > maxFramesAhead * bytes)
        return;
    SDL_QueueAudio(device, sound->samples, bytes);
}

#else

// Built without SDL: the game is silent, as asked at build time.
SoundPlayer::~SoundPlayer() = default;
void SoundPlayer::playAlong(View &) {}
bool SoundPlayer::openDevice()
{
    return false;
}
void SoundPlayer::frameDone() {}
void SoundPlayer::pause(bool) {}

#endif
