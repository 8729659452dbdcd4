#ifndef WAVFILE_H
#define WAVFILE_H

#include <QFile>
#include <QString>
#include <QtGlobal>

// A WAV file of the game's sound (48 kHz, 16-bit, mono), written a frame at a
// time; its header gets the sizes when the file is finished.
class WavFile {
public:
    // As many frames as a WAV file's 32-bit sizes can hold.
    static const int maxFrames;

    WavFile() = default;
    ~WavFile();
    WavFile(const WavFile &) = delete;
    WavFile &operator=(const WavFile &) = delete;

    // Creates the file with its header; false, with error(), when it cannot.
    bool open(const QString &path);
    bool isOpen() const { return file.isOpen(); }
    // Appends one frame's kFrameSamples samples.
    void appendFrame(const qint16 *samples);
    // Writes the sizes into the header and closes the file; false, with
    // error(), when any write failed. Safe to call more than once.
    bool finish();
    QString error() const { return message; }

private:
    void writeHeader(quint32 dataBytes);

    QFile file;
    quint32 dataBytes = 0;
    bool failed = false;
    QString message;
};

#endif
