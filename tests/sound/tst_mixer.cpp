#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "sound/mixer.h"
#include "sound/soundformat.h"

// The sound a frame's events give, frame by frame.
class TestMixer : public QObject {
    Q_OBJECT

private slots:
    void mixesEvents_data();
    void mixesEvents();
};

namespace {
const int kEventFrame = 2;
const int kFrames = 100; // past the end of the longest sound

// kFrames frames, with `events` in kEventFrame (and every frame after it when `held`).
std::vector<qint16> play(unsigned events, bool held)
{
    Mixer mixer;
    std::vector<qint16> samples(size_t(kFrames) * kFrameSamples);
    for (int frame = 0; frame < kFrames; ++frame)
        mixer.mixFrame(frame == kEventFrame || (held && frame > kEventFrame) ? events : 0,
                       &samples[size_t(frame) * kFrameSamples]);
    return samples;
}
} // namespace

void TestMixer::mixesEvents_data()
{
    QTest::addColumn<unsigned>("events");
    QTest::addColumn<bool>("held");
    QTest::addColumn<int>("soundingFrames"); // from kEventFrame on, then silence
    const unsigned all = (1u << SoundEvents::kinds) - 1;
    QTest::newRow("nothing happens") << 0u << false << 0;
    QTest::newRow("a shot") << unsigned(SoundEvents::Shot) << false << 5;
    QTest::newRow("an enemy shot") << unsigned(SoundEvents::EnemyShot) << false << 5;
    QTest::newRow("an explosion") << unsigned(SoundEvents::Explosion) << false << 24;
    QTest::newRow("a split") << unsigned(SoundEvents::Split) << false << 14;
    QTest::newRow("the ship destroyed") << unsigned(SoundEvents::ShipDestroyed) << false << 90;
    QTest::newRow("fire held") << unsigned(SoundEvents::Shot) << true << kFrames;
    QTest::newRow("everything at once") << all << false << 90;
    QTest::newRow("everything, every frame") << all << true << kFrames;
}

void TestMixer::mixesEvents()
{
    QFETCH(unsigned, events);
    QFETCH(bool, held);
    QFETCH(int, soundingFrames);
    const std::vector<qint16> mixed = play(events, held);

    // Nothing before the event, a loud start in its frame (and in every frame
    // while held), a sound in every frame while it lasts, then silence.
    for (int frame = 0; frame < kFrames; ++frame) {
        const qint16 *at = &mixed[size_t(frame) * kFrameSamples];
        const double rms =
            std::sqrt(std::inner_product(at, at + kFrameSamples, at, 0.0) / kFrameSamples);
        const bool sounding = frame >= kEventFrame && frame < kEventFrame + soundingFrames;
        const bool loud = sounding && (frame == kEventFrame || held);
        QVERIFY2(loud       ? rms > 1000
                 : sounding ? rms > 0
                            : rms == 0,
                 qPrintable(QStringLiteral("frame %1: RMS %2").arg(frame).arg(rms)));
    }

    // Sounds at once are the sum of each on its own, held within 16 bits: a
    // sum that wrapped round would flip a loud sample's sign.
    std::vector<qint32> sum(mixed.size(), 0);
    for (int kind = 0; kind < SoundEvents::kinds; ++kind) {
        const std::vector<qint16> alone = play(events & (1u << kind), held);
        std::transform(sum.cbegin(), sum.cend(), alone.cbegin(), sum.begin(), std::plus<>());
    }
    for (size_t i = 0; i < mixed.size(); ++i)
        QCOMPARE(qint32(mixed[i]), std::clamp(sum[i], qint32(-32768), qint32(32767)));
}

QTEST_GUILESS_MAIN(TestMixer)
#include "tst_mixer.moc"
