#include "tracerun.h"

#include <QByteArray>
#include <QDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <unistd.h>
#ifdef SHMUP_SDL
#include <SDL.h>
#endif

#include "joystick.h"
#include "replay/replaychecker.h"
#include "replay/statedump.h"
#include "sound/gamesound.h"
#include "view.h"

namespace {

// Resident memory in KiB from /proc/self/statm (its second field, in pages),
// or -1 when it cannot be read.
long residentKb()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long size = 0, resident = -1;
    const int fields = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (fields != 2 || resident < 0 || pageSize <= 0)
        return -1;
    return resident * (pageSize / 1024);
}

} // namespace

TraceRun::TraceRun(const TraceOptions &options) : opts(options) {}

int TraceRun::prepare()
{
    const int status = loadScript();
    if (status >= 0)
        return status;
    // A picture of a frame that is never played would be missing without a word.
    for (const FramePictures::Range &range : std::as_const(opts.pictures.ranges)) {
        if (range.first >= opts.frames)
            return TraceOptions::usageError(
                QStringLiteral("--png-at asks for frame %1, but only frames 0 to %2 "
                               "are played; give --frames")
                    .arg(range.first)
                    .arg(opts.frames - 1));
    }
    if (opts.rssEvery > 0 && residentKb() < 0)
        return TraceOptions::inputError(
            QStringLiteral("--rss-every: cannot read /proc/self/statm"));
    if (!opts.pngDir.isEmpty() && !QDir().mkpath(opts.pngDir))
        return TraceOptions::inputError(
            QStringLiteral("cannot make the folder %1").arg(opts.pngDir));
    if (!opts.audio.isEmpty()) {
        if (opts.frames > WavFile::maxFrames)
            return TraceOptions::usageError(
                QStringLiteral("--audio holds at most %1 frames").arg(WavFile::maxFrames));
        if (!wav.open(opts.audio))
            return TraceOptions::inputError(wav.error());
    }
    return -1;
}

int TraceRun::loadScript()
{
    QString error;
    if (opts.hasInput &&
        !InputScript::load(opts.input, steps, opts.verify ? &checks : nullptr, error))
        return TraceOptions::inputError(error);
    if (!opts.verify)
        return -1;
    if (checks.isEmpty()) {
        std::printf("%s has no check lines: a plain joystick script, nothing to verify\n",
                    qPrintable(opts.input));
        return 0;
    }
    // The last check decides how far to play, and a trace counts its frames
    // in an int: a check past that could never be reached.
    if (checks.constLast().frame >= std::numeric_limits<int>::max())
        return TraceOptions::inputError(
            QStringLiteral("%1: a check at frame %2 lies past the last frame a trace can play")
                .arg(opts.input)
                .arg(checks.constLast().frame));
    if (!opts.framesGiven)
        opts.frames = checks.constLast().frame + 1;
    return -1;
}

void TraceRun::installScript()
{
    // No device, pad or keyboard is ever opened for a trace, so none can leak into it.
    Joystick::sourceSetup = [this](Joystick &joystick) {
        if (opts.hasInput)
            joystick.addSource(new InputScript(steps));
    };
}

int TraceRun::play(View *view)
{
    ReplayChecker checker(checks);
    QByteArray text;
    // Made once the game has started, as the game's own sound is.
    const std::unique_ptr<GameSound> sound(wav.isOpen() ? new GameSound() : nullptr);
    for (int frame = 0; frame < opts.frames; ++frame) {
        View::stepGame();
        if (sound) {
            sound->frameDone();
            wav.appendFrame(sound->samples);
        }
        if (opts.verify) {
            if (!checker.frameDone(frame)) {
                std::printf("%s\n", qPrintable(checker.mismatchText()));
                std::fflush(stdout);
                return 1;
            }
        } else {
            text.clear();
            StateDump::append(text, frame, opts.dump);
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        }
        // One paint per frame, as the window does, so that what blinks blinks as there.
        if (view) {
            const QImage image = FramePictures::paint(*view, frame);
            if (opts.pictures.wanted(frame)) {
                const QString name = FramePictures::fileName(opts.pngDir, frame);
                if (!image.save(name, "PNG")) {
                    std::fprintf(stderr, "shmup-trace: cannot write %s\n", qPrintable(name));
                    return 1;
                }
            }
        }
        if (opts.rssEvery > 0 && (frame + 1) % opts.rssEvery == 0)
            std::fprintf(stderr, "frames=%d rss_kb=%ld\n", frame + 1, residentKb());
        if (std::ferror(stdout))
            break; // a full disk will not get emptier
    }
    checksPassed = checker.passed;
    return -1;
}

int TraceRun::finish()
{
    // A replay none of whose checks was reached has not been verified at all.
    if (opts.verify && checksPassed == 0) {
        std::printf("replay not verified: its first check is at frame %d, after the %d frames "
                    "played\n",
                    checks.constFirst().frame, opts.frames);
        std::fflush(stdout);
        return 1;
    }
    if (opts.verify)
        std::printf("replay verified: %d checks over %d frames\n", checksPassed, opts.frames);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "shmup-trace: cannot write the trace: %s\n", std::strerror(errno));
        return 1;
    }
    if (wav.isOpen() && !wav.finish()) {
        std::fprintf(stderr, "shmup-trace: %s\n", qPrintable(wav.error()));
        return 1;
    }
#ifdef SHMUP_SDL
    // A pad read by a trace would make it depend on the machine it ran on.
    if (SDL_WasInit(0) != 0) {
        std::fputs("shmup-trace: SDL was started, so a game pad may have steered the trace\n",
                   stderr);
        return 1;
    }
#endif
    return 0;
}
