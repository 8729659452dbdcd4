#include <QtTest>

#include "testsupport.h"
#include "view.h"

namespace {
class CountingTask : public Task {
public:
    CountingTask() : Task(0) {}
    void oneFrame() override { ++updates; }
    void render(QPainter *) override { ++renders; }
    int updates = 0;
    int renders = 0;
};

class CountingSource : public InputSource {
public:
    void poll(InputState &) override { ++polls; }
    int polls = 0;
};
} // namespace

// The game window: its size, its two timers and the debug line.
// No test runs the event loop, so only the ticks sent here reach the window.
class TestView : public WorldTest {
    Q_OBJECT

private slots:
    void fixedSize();
    void debugLineBeforeFirstTick();
    void timerTicks_data();
    void timerTicks();

private:
    static bool showsDebugLine(View &view, const QString &text);
};

// Renders the window and compares the debug line's area with `text` drawn
// the same way on a fresh image: the window's font and colours, opaque background.
bool TestView::showsDebugLine(View &view, const QString &text)
{
    QImage actual = blankScreen();
    view.render(&actual);

    // Text is laid out at the device's resolution, so draw it at the window's.
    QImage expected = blankScreen();
    expected.setDotsPerMeterX(qRound(view.logicalDpiX() / 0.0254));
    expected.setDotsPerMeterY(qRound(view.logicalDpiY() / 0.0254));
    QPainter painter(&expected);
    painter.setFont(view.font());
    painter.setPen(view.palette().color(view.foregroundRole()));
    painter.setBackground(view.palette().brush(view.backgroundRole()));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.drawText(QPointF(32.0, 32.0), text);
    painter.end();

    // Inside the opaque box only the text shows, whatever the stars drew there.
    const QFontMetrics metrics(view.font());
    const QRect area = QRect(32, 32 - metrics.ascent(), metrics.horizontalAdvance(text),
                             metrics.ascent() + metrics.descent())
                           .adjusted(1, 1, -1, -1);
    return actual.copy(area) == expected.copy(area);
}

void TestView::fixedSize()
{
    View view;
    QCOMPARE(view.minimumSize(), QSize(640, 480));
    QCOMPARE(view.maximumSize(), QSize(640, 480));
    view.resize(800, 600);
    QCOMPARE(view.size(), QSize(640, 480));
}

// The scene director has added the starfield and the ship, then itself.
void TestView::debugLineBeforeFirstTick()
{
    View view;
    QCOMPARE(TaskManager::inst()->getTaskCount(), 3);
    QVERIFY(showsDebugLine(view, QStringLiteral("0 fps / 3 tasks")));
    QVERIFY(!showsDebugLine(view, QStringLiteral("1 fps / 3 tasks")));
    QVERIFY(!showsDebugLine(view, QStringLiteral("0 fps / 2 tasks")));
}

void TestView::timerTicks_data()
{
    // f: frame timer, s: fps timer, o: a timer id the window does not own.
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("frameCount");

    QTest::newRow("no tick") << "" << 0 << 0;
    QTest::newRow("two frames, then the fps tick") << "ffs" << 2 << 0;
    QTest::newRow("two fps ticks with no frame between") << "ffss" << 0 << 0;
    QTest::newRow("frames after the fps tick are counted anew") << "ffsfff" << 2 << 3;
    QTest::newRow("foreign timer changes no counter") << "fosoo" << 1 << 0;
    QTest::newRow("foreign timer between frames") << "fof" << 0 << 2;
}

void TestView::timerTicks()
{
    QFETCH(QString, ticks);
    QFETCH(int, fps);
    QFETCH(int, frameCount);

    View view;
    view.show();
    // Painting needs an exposed window; the timers may tick while we wait.
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.fps = 0;
    view.frameCount = 0;
    resetManager();
    auto *task = new CountingTask;
    TaskManager::inst()->addTask(task);
    auto *source = new CountingSource;
    Joystick::inst()->addSource(source);

    const int foreignId = qMax(view.frameTimerId, view.fpsTimerId) + 1000;
    for (const QChar c : ticks)
        tick(view, c == 'f' ? view.frameTimerId : c == 's' ? view.fpsTimerId : foreignId);

    QCOMPARE(view.fps, fps);
    QCOMPARE(view.frameCount, frameCount);
    // Each frame tick: input first, one manager frame, one repaint at once.
    const int frames = int(ticks.count(QLatin1Char('f')));
    QCOMPARE(source->polls, frames);
    QCOMPARE(task->updates, frames);
    QCOMPARE(task->renders, frames);
    QVERIFY(showsDebugLine(view, QStringLiteral("%1 fps / 1 tasks").arg(fps)));
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
