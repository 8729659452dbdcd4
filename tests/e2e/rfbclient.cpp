#include "rfbclient.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QtEndian>

namespace {

void putU16(QByteArray &out, quint16 value)
{
    out.append(char(value >> 8)).append(char(value & 0xff));
}

void putU32(QByteArray &out, quint32 value)
{
    putU16(out, quint16(value >> 16));
    putU16(out, quint16(value & 0xffff));
}

} // namespace

bool RfbClient::fail(const QString &message)
{
    lastError = message;
    return false;
}

bool RfbClient::readExactly(char *data, qint64 size, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qint64 got = 0;
    while (got < size) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return fail(QStringLiteral("read %1 of %2 bytes: %3")
                            .arg(got)
                            .arg(size)
                            .arg(deadline.hasExpired() ? QStringLiteral("timed out")
                                                       : socket.errorString()));
        const qint64 n = socket.read(data + got, size - got);
        if (n < 0)
            return fail(socket.errorString());
        got += n;
    }
    return true;
}

bool RfbClient::readU8(quint8 &value, int timeoutMs)
{
    return readExactly(reinterpret_cast<char *>(&value), 1, timeoutMs);
}

bool RfbClient::readU16(quint16 &value, int timeoutMs)
{
    uchar bytes[2];
    if (!readExactly(reinterpret_cast<char *>(bytes), 2, timeoutMs))
        return false;
    value = qFromBigEndian<quint16>(bytes);
    return true;
}

bool RfbClient::readU32(quint32 &value, int timeoutMs)
{
    uchar bytes[4];
    if (!readExactly(reinterpret_cast<char *>(bytes), 4, timeoutMs))
        return false;
    value = qFromBigEndian<quint32>(bytes);
    return true;
}

bool RfbClient::skip(qint64 size, int timeoutMs)
{
    QByteArray sink(int(qMin<qint64>(size, 1 << 20)), '\0');
    while (size > 0) {
        const qint64 part = qMin<qint64>(size, sink.size());
        if (!readExactly(sink.data(), part, timeoutMs))
            return false;
        size -= part;
    }
    return true;
}

bool RfbClient::send(const QByteArray &message)
{
    if (socket.write(message) != message.size() || !socket.waitForBytesWritten(5000))
        return fail(QStringLiteral("send: %1").arg(socket.errorString()));
    return true;
}

bool RfbClient::connectTo(quint16 port, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (socket.waitForConnected(1000))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return fail(QStringLiteral("no server on port %1").arg(port));
        QThread::msleep(50);
    }
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);

    // Version: the server offers its own, we answer with 3.3.
    char version[12];
    if (!readExactly(version, 12, 5000))
        return false;
    if (QByteArray(version, 8) != "RFB 003.")
        return fail(QStringLiteral("not an RFB server: %1")
                        .arg(QString::fromLatin1(QByteArray(version, 12).toPercentEncoding())));
    if (!send(QByteArrayLiteral("RFB 003.003\n")))
        return false;

    // 3.3: the server names the security type; 1 is none.
    quint32 security = 0;
    if (!readU32(security, 5000))
        return false;
    if (security == 0) {
        quint32 length = 0;
        QByteArray reason;
        if (readU32(length, 5000) && length < 4096) {
            reason.resize(int(length));
            readExactly(reason.data(), length, 5000);
        }
        return fail(QStringLiteral("server refused: %1").arg(QString::fromUtf8(reason)));
    }
    if (security != 1)
        return fail(QStringLiteral("server wants security type %1").arg(security));

    // ClientInit (shared), then ServerInit: size, pixel format, name.
    if (!send(QByteArray(1, '\1')))
        return false;
    quint16 width = 0, height = 0;
    char serverFormat[16];
    quint32 nameLength = 0;
    if (!readU16(width, 5000) || !readU16(height, 5000) || !readExactly(serverFormat, 16, 5000) ||
        !readU32(nameLength, 5000) || !skip(nameLength, 5000))
        return false;
    framebuffer = QImage(width, height, QImage::Format_RGB32);
    framebuffer.fill(Qt::black);

    // SetPixelFormat: 32 bits, depth 24, little-endian, true colour 0xRRGGBB.
    QByteArray format;
    format.append('\0').append(3, '\0');
    format.append(char(32)).append(char(24)).append('\0').append('\1');
    putU16(format, 255);
    putU16(format, 255);
    putU16(format, 255);
    format.append(char(16)).append(char(8)).append(char(0)).append(3, '\0');
    // SetEncodings: raw only.
    QByteArray encodings;
    encodings.append(char(2)).append('\0');
    putU16(encodings, 1);
    putU32(encodings, 0);
    return send(format + encodings);
}

QImage RfbClient::grab(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    auto left = [&] { return int(qMax<qint64>(1, deadline.remainingTime())); };
    QByteArray request;
    request.append(char(3)).append('\0');
    putU16(request, 0);
    putU16(request, 0);
    putU16(request, quint16(framebuffer.width()));
    putU16(request, quint16(framebuffer.height()));
    if (!send(request))
        return QImage();
    for (;;) {
        quint8 type = 0;
        if (!readU8(type, left()))
            return QImage();
        if (type == 0) { // FramebufferUpdate
            quint8 pad = 0;
            quint16 rects = 0;
            if (!readU8(pad, left()) || !readU16(rects, left()))
                return QImage();
            for (int r = 0; r < rects; ++r) {
                quint16 x = 0, y = 0, w = 0, h = 0;
                quint32 encoding = 0;
                if (!readU16(x, left()) || !readU16(y, left()) || !readU16(w, left()) ||
                    !readU16(h, left()) || !readU32(encoding, left()))
                    return QImage();
                if (encoding != 0) {
                    fail(QStringLiteral("rectangle in encoding %1, not raw").arg(qint32(encoding)));
                    return QImage();
                }
                if (x + w > framebuffer.width() || y + h > framebuffer.height()) {
                    fail(QStringLiteral("rectangle %1,%2 %3x%4 outside the screen")
                             .arg(x)
                             .arg(y)
                             .arg(w)
                             .arg(h));
                    return QImage();
                }
                QByteArray row(int(w) * 4, '\0');
                for (int line = 0; line < h; ++line) {
                    if (!readExactly(row.data(), row.size(), left()))
                        return QImage();
                    auto *out = reinterpret_cast<QRgb *>(framebuffer.scanLine(y + line)) + x;
                    const auto *in = reinterpret_cast<const uchar *>(row.constData());
                    for (int i = 0; i < w; ++i, in += 4)
                        out[i] = qRgb(in[2], in[1], in[0]);
                }
            }
            return framebuffer.copy();
        }
        bool ok = false;
        if (type == 1) { // SetColourMapEntries: not used in true colour
            quint8 pad = 0;
            quint16 first = 0, count = 0;
            ok = readU8(pad, left()) && readU16(first, left()) && readU16(count, left()) &&
                 skip(6 * qint64(count), left());
        } else if (type == 2) { // Bell
            ok = true;
        } else if (type == 3) { // ServerCutText
            quint32 length = 0;
            ok = skip(3, left()) && readU32(length, left()) && skip(length, left());
        } else {
            fail(QStringLiteral("unknown server message %1").arg(type));
        }
        if (!ok)
            return QImage();
    }
}

namespace {
QByteArray keyEvent(quint32 keysym, bool down)
{
    QByteArray event;
    event.append(char(4)).append(down ? '\1' : '\0').append(2, '\0');
    putU32(event, keysym);
    return event;
}
} // namespace

bool RfbClient::key(quint32 keysym, bool down)
{
    return send(keyEvent(keysym, down));
}

bool RfbClient::tap(quint32 keysym)
{
    return send(keyEvent(keysym, true) + keyEvent(keysym, false));
}

bool RfbClient::waitForDisconnected(int timeoutMs)
{
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        socket.readAll();
        if (socket.state() == QAbstractSocket::UnconnectedState)
            return true;
    }
    return false;
}
