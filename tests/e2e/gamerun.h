#ifndef GAMERUN_H
#define GAMERUN_H

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

// The real game as the end-to-end tests run it: started from its bin folder, as
// a user or the board starts it, so that it finds ../img/edge1.png; the build's
// game, or the one in SHMUP_BIN_DIR (an installed copy).
class GameRun : public QProcess {
public:
    static QString binDir()
    {
        const QByteArray dir = qgetenv("SHMUP_BIN_DIR");
        return dir.isEmpty() ? QStringLiteral(SHMUP_BIN_DIR) : QString::fromLocal8Bit(dir);
    }

    // Starts the game with `arguments`; false if it did not start.
    bool startFromBinDir(const QStringList &arguments)
    {
        setWorkingDirectory(binDir());
        setProgram(binDir() + QStringLiteral("/shmup"));
        setArguments(arguments);
        start();
        const bool running = waitForStarted(5000);
        started.start();
        return running;
    }

    // Waits, handling events, until `ms` milliseconds have passed since the start.
    void waitUntil(qint64 ms) const
    {
        while (started.elapsed() < ms)
            QTest::qWait(10);
    }

    // Ends the game if it still runs.
    void stop()
    {
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished(5000);
        }
    }

    QElapsedTimer started;
};

#endif
