#include "sound/wavfile.h"

#include <QtEndian>
#include <cstring>

#include "sound/soundformat.h"

namespace {
const int kHeaderBytes = 44;
const int kFrameBytes = kFrameSamples * 2;
} // namespace

const int WavFile::maxFrames = int((0xffffffffu - kHeaderBytes) / kFrameBytes);

WavFile::~WavFile()
{
    finish();
}

bool WavFile::open(const QString &path)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        message = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    dataBytes = 0;
    failed = false;
    writeHeader(0);
    if (failed) {
        finish();
        return false;
    }
    return true;
}

void WavFile::writeHeader(quint32 data)
{
    uchar header[kHeaderBytes];
    auto text = [&header](int at, const char *four) { std::memcpy(header + at, four, 4); };
    text(0, "RIFF");
    qToLittleEndian<quint32>(data + kHeaderBytes - 8, header + 4);
    text(8, "WAVE");
    text(12, "fmt ");
    qToLittleEndian<quint32>(16, header + 16);              // the format's size
    qToLittleEndian<quint16>(1, header + 20);               // PCM
    qToLittleEndian<quint16>(1, header + 22);               // mono
    qToLittleEndian<quint32>(kSampleRate, header + 24);     // samples a second
    qToLittleEndian<quint32>(kSampleRate * 2, header + 28); // bytes a second
    qToLittleEndian<quint16>(2, header + 32);               // bytes a sample
    qToLittleEndian<quint16>(16, header + 34);              // bits a sample
    text(36, "data");
    qToLittleEndian<quint32>(data, header + 40);
    failed |= file.write(reinterpret_cast<const char *>(header), kHeaderBytes) != kHeaderBytes;
}

void WavFile::appendFrame(const qint16 *samples)
{
    if (!file.isOpen() || failed)
        return;
    if (dataBytes > quint32(maxFrames - 1) * kFrameBytes) {
        failed = true;
        message = QStringLiteral("%1 is full: a WAV file holds at most %2 frames")
                      .arg(file.fileName())
                      .arg(maxFrames);
        return;
    }
    uchar bytes[kFrameBytes];
    qToLittleEndian<qint16>(samples, kFrameSamples, bytes);
    failed |= file.write(reinterpret_cast<const char *>(bytes), kFrameBytes) != kFrameBytes;
    dataBytes += kFrameBytes;
}

bool WavFile::finish()
{
    if (!file.isOpen())
        return !failed;
    if (!failed) {
        failed = !file.seek(0);
        if (!failed)
            writeHeader(dataBytes);
    }
    failed |= !file.flush();
    if (failed && message.isEmpty())
        message = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    file.close();
    return !failed;
}
