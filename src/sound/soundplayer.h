#ifndef SOUNDPLAYER_H
#define SOUNDPLAYER_H

#include <QObject>
#include <QtGlobal>
#include <memory>

#include "sound/gamesound.h"

class View;

// Plays the game's sound on the sound device through SDL's audio, each frame's
// samples queued as soon as the frame has run. Without a device, a driver or
// SDL itself the game plays on silent. While the game is paused the device
// stands, its queue emptied.
class SoundPlayer {
public:
    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    // Opens the device (SDL_AUDIODRIVER chooses the driver) and plays along
    // with every frame of `view`. When no device opens: one line on stderr.
    void playAlong(View &view);
    bool isPlaying() const { return device != 0; }

    // Frames queued ahead of the device at most when a frame's samples are
    // added: its sounds start after these and the device's small buffer.
    static const int maxFramesAhead = 2;

private:
    bool openDevice();
    void frameDone();
    void pause(bool paused);

    QMetaObject::Connection pausing;
    std::unique_ptr<GameSound> sound;
    quint32 device = 0;
    quint32 deviceBytes = 0; // what the device takes at a time
    void *alsa = nullptr;
};

#endif
