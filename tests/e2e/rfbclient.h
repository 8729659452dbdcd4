#ifndef RFBCLIENT_H
#define RFBCLIENT_H

#include <QImage>
#include <QString>
#include <QTcpSocket>

// A small client of the remote framebuffer protocol (RFB 3.3, no
// authentication, raw encoding): enough to look at the game on Qt's vnc
// platform and to press its keys. Blocking calls with time limits; on a
// failure the call returns false or a null image and error() says why.
class RfbClient {
public:
    // Connects and does the handshake, retrying the connection until the
    // server listens or `timeoutMs` has passed.
    bool connectTo(quint16 port, int timeoutMs);
    QSize screenSize() const { return framebuffer.size(); }
    // The whole screen as it is now (a full, non-incremental update).
    QImage grab(int timeoutMs = 5000);
    // Presses (down) or releases a key given as an X keysym.
    bool key(quint32 keysym, bool down);
    // Presses and releases a key in one write (the game may be gone after it).
    bool tap(quint32 keysym);
    QString error() const { return lastError; }
    // Whether the server has closed the connection (the game has gone).
    bool waitForDisconnected(int timeoutMs);

    // X keysyms of the keys the tests press.
    static constexpr quint32 kLeft = 0xff51;
    static constexpr quint32 kUp = 0xff52;
    static constexpr quint32 kRight = 0xff53;
    static constexpr quint32 kDown = 0xff54;
    static constexpr quint32 kEscape = 0xff1b;
    static constexpr quint32 kZ = 0x7a; // lower-case z

private:
    bool fail(const QString &message);
    bool readExactly(char *data, qint64 size, int timeoutMs);
    bool readU8(quint8 &value, int timeoutMs);
    bool readU16(quint16 &value, int timeoutMs);
    bool readU32(quint32 &value, int timeoutMs);
    bool skip(qint64 size, int timeoutMs);
    bool send(const QByteArray &message);

    QTcpSocket socket;
    QImage framebuffer;
    QString lastError;
};

#endif
