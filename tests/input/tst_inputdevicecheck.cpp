#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

#include "input/inputdevicecheck.h"
#include "present/platform.h"
#include "testsupport.h"

// At start-up on the board: one warning when no input device can be read, with
// the reason (none there, no permission, something else), and none when one
// can, or on a platform that gets its keys from elsewhere.
class TestInputDeviceCheck : public QObject {
    Q_OBJECT

private slots:
    void warnsWhenNoDeviceCanBeRead_data();
    void warnsWhenNoDeviceCanBeRead();
};

void TestInputDeviceCheck::warnsWhenNoDeviceCanBeRead_data()
{
    QTest::addColumn<QString>("platform");
    // In the device folder: "name mode" for a file, "name -> target" for a
    // link; "no folder" for none at all.
    QTest::addColumn<QStringList>("entries");
    // The fragments the one warning holds; empty for no warning.
    QTest::addColumn<QStringList>("warning");

    const QStringList none{};
    const QStringList noDevices{QStringLiteral("No input device found in"),
                                QStringLiteral("no keyboard or game pad will reach the game")};
    const QStringList noPermission{QStringLiteral("cannot be read: Permission denied"),
                                   QStringLiteral("no keyboard or game pad will reach the game"),
                                   QStringLiteral("\"input\" group")};

    QTest::newRow("no folder") << "linuxfb" << QStringList{"no folder"} << noDevices;
    QTest::newRow("empty folder") << "linuxfb" << none << noDevices;
    QTest::newRow("no event devices")
        << "eglfs" << QStringList{"js0 0644", "mouse0 0644"} << noDevices;
    QTest::newRow("one readable") << "linuxfb" << QStringList{"event0 0644"} << none;
    QTest::newRow("none may be read")
        << "linuxfb" << QStringList{"event0 0000", "event1 0200", "js0 0644"} << noPermission;
    QTest::newRow("one of two may be read")
        << "eglfs" << QStringList{"event0 0000", "event3 0644"} << none;
    QTest::newRow("gone and forbidden: permission is the reason")
        << "linuxfb" << QStringList{"event0 -> missing", "event1 0000"} << noPermission;
    QTest::newRow("gone") << "linuxfb" << QStringList{"event0 -> missing"}
                          << QStringList{"cannot be read: No such file or directory",
                                         "no keyboard or game pad will reach the game"};
    QTest::newRow("X server: keys come from it") << "xcb" << QStringList{"no folder"} << none;
    QTest::newRow("VNC: keys come from the client") << "vnc" << QStringList{"event0 0000"} << none;
    QTest::newRow("offscreen") << "offscreen" << none << none;
}

void TestInputDeviceCheck::warnsWhenNoDeviceCanBeRead()
{
    QFETCH(QString, platform);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, warning);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    // Open to everyone, so that only the devices' own modes decide.
    QCOMPARE(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    QString folder = root.filePath(QStringLiteral("input"));
    if (entries == QStringList{QStringLiteral("no folder")}) {
        entries.clear();
    } else {
        QVERIFY(QDir().mkdir(folder));
    }
    for (const QString &entry : std::as_const(entries)) {
        const QStringList parts = entry.split(QLatin1Char(' '));
        const QString path = folder + QLatin1Char('/') + parts.at(0);
        if (parts.at(1) == QLatin1String("->")) {
            QVERIFY(QFile::link(folder + QLatin1Char('/') + parts.at(2), path));
            continue;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), parts.at(1).toUInt(nullptr, 8)), 0);
    }

    QStringList warnings;
    QVERIFY(runUnprivileged(
        [&] {
            InputDeviceCheck::warnIfUnreadable(Platform::named(platform).readsInputDevices, folder);
        },
        warnings));
    if (warning.isEmpty()) {
        QCOMPARE(warnings, QStringList());
        return;
    }
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.at(0).contains(folder), qPrintable(warnings.at(0)));
    for (const QString &fragment : std::as_const(warning))
        QVERIFY2(warnings.at(0).contains(fragment), qPrintable(warnings.at(0)));
}

QTEST_GUILESS_MAIN(TestInputDeviceCheck)
#include "tst_inputdevicecheck.moc"
