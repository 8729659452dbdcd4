#include <QtTest>
#include <memory>

#include "input/pointersource.h"
#include "inputsupport.h"
#include "present/presentation.h"
#include "taskmyship.h"
#include "testsupport.h"
#include "view.h"

namespace {
// How the game's window is shown in a row: the designed window, a --scale
// window, or the picture presented on a screen of another size.
struct Screen {
    int scale;   // 0: the designed window; N: a --scale N window
    QSize panel; // presented on a screen of this size when valid
};
} // namespace
Q_DECLARE_METATYPE(Screen)

// The mouse and touch screens as a joystick: press to fire, drag to steer.
class TestPointerSource : public TaskTest {
    Q_OBJECT

private slots:
    void dragSteersByGamePixels_data();
    void dragSteersByGamePixels();
    void hoverAndSecondFingerDoNothing();
    void quickSecondTapPresses();

private:
    // Mouse events go to the window, as the window system sends them (Qt 5 moves
    // the cursor for a widget instead, which the offscreen platform ignores).
    // A shown view presented as the row says, with the pointer source read by
    // the joystick and an active ship waiting at (320, 352) alone in the game.
    View *openView(const Screen &screen);
    // Steps one frame; the ship's position after it, to a tenth of a pixel.
    QString frame();
    QPoint centre;
    // One touch screen for the whole test; Qt 5 deletes its own at exit.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    std::unique_ptr<QPointingDevice> touchScreen{QTest::createTouchDevice()};
#else
    QTouchDevice *touchScreen = QTest::createTouchDevice();
#endif
};

View *TestPointerSource::openView(const Screen &screen)
{
    auto *view = new View;
    // The test steps the frames: a tick of the view's own timer while Qt
    // delivers the drag would move the ship a frame early.
    view->stopFrameTimer();
    if (screen.scale > 0)
        Presentation::on(view)->presentScaled(screen.scale);
    else if (screen.panel.isValid())
        Presentation::on(view)->presentOn(screen.panel);
    view->show();
    if (!QTest::qWaitForWindowExposed(view))
        return view;
    resetManager();
    activeShipAt(PointF(320.0f, 352.0f));
    TaskManager::inst()->myShipPos = PointF(320.0f, 352.0f);
    Joystick::inst()->addSource(new PointerSource(qApp, Presentation::scaleOf));
    centre = Presentation::on(view)->pictureRect().center();
    return view;
}

QString TestPointerSource::frame()
{
    View::stepGame();
    const PointF ship = TaskManager::inst()->getMyShipPos();
    return QStringLiteral("%1, %2").arg(double(ship.x), 0, 'f', 1).arg(double(ship.y), 0, 'f', 1);
}

void TestPointerSource::dragSteersByGamePixels_data()
{
    QTest::addColumn<Screen>("screen");
    QTest::addColumn<bool>("touch");
    QTest::addColumn<QPoint>("drag"); // screen pixels
    QTest::addColumn<int>("dir");     // while on the way
    QTest::addColumn<int>("frames");  // on the way
    QTest::addColumn<QString>("end");

    const Screen window{0, QSize()};
    QTest::newRow("640x480, 100 left")
        << window << false << QPoint(-100, 0) << 3 << 25 << "220.0, 352.0";
    QTest::newRow("640x480, touch 40 up")
        << window << true << QPoint(0, -40) << 1 << 10 << "320.0, 312.0";
    QTest::newRow("--scale 2, 200 left")
        << Screen{2, QSize()} << false << QPoint(-200, 0) << 3 << 25 << "220.0, 352.0";
    QTest::newRow("1920x1080 at 2x, 80 right")
        << Screen{0, QSize(1920, 1080)} << false << QPoint(80, 0) << 7 << 10 << "360.0, 352.0";
    // 362x272: 57 screen pixels are 100.8 game pixels, and 0.8 is within reach.
    // (Touches stay on the offscreen platform's 800x600 screen: Qt 5 drops the rest.)
    QTest::newRow("480x272 shrunk, touch 57 left")
        << Screen{0, QSize(480, 272)} << true << QPoint(-57, 0) << 3 << 25 << "220.0, 352.0";
    // Diagonal steps are 2.8 a side: 14 of them leave 0.8, within reach.
    QTest::newRow("640x480, 40 down-left")
        << window << false << QPoint(-40, 40) << 4 << 14 << "280.8, 391.2";
}

void TestPointerSource::dragSteersByGamePixels()
{
    QFETCH(Screen, screen);
    QFETCH(bool, touch);
    QFETCH(QPoint, drag);
    QFETCH(int, dir);
    QFETCH(int, frames);
    QFETCH(QString, end);
    QScopedPointer<View> view(openView(screen));
    QVERIFY(QTest::qWaitForWindowExposed(view.data()));
    if (touch)
        QTest::touchEvent(view.data(), &*touchScreen).press(0, centre, view.data());
    else
        QTest::mousePress(view->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    // The drag reaches its end in two moves; only where it ends counts.
    for (const QPoint &at : {centre + drag / 2, centre + drag}) {
        if (touch)
            QTest::touchEvent(view.data(), &*touchScreen).move(0, at, view.data());
        else
            QTest::mouseMove(view->windowHandle(), at);
    }

    for (int i = 0; i < frames; ++i) {
        frame();
        QCOMPARE_JOYSTICK(Joystick::inst(), dir, true);
    }
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(frame(), end);
        QCOMPARE_JOYSTICK(Joystick::inst(), 0, true);
    }
    if (touch)
        QTest::touchEvent(view.data(), &*touchScreen).release(0, centre + drag, view.data());
    else
        QTest::mouseRelease(view->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre + drag);
    QCOMPARE(frame(), end);
    QCOMPARE_JOYSTICK(Joystick::inst(), 0, false);
}

void TestPointerSource::hoverAndSecondFingerDoNothing()
{
    QScopedPointer<View> view(openView(Screen{0, QSize()}));
    QVERIFY(QTest::qWaitForWindowExposed(view.data()));
    QTest::mouseMove(view->windowHandle(), centre + QPoint(-100, 0));
    QCOMPARE(frame(), QStringLiteral("320.0, 352.0"));
    QCOMPARE_JOYSTICK(Joystick::inst(), 0, false);

    // The first finger holds still (Qt is told where it is: a bare stationary
    // point of the test library has no position); a second one dragging away
    // is not followed.
    QTest::touchEvent(view.data(), &*touchScreen).press(0, centre, view.data());
    QTest::touchEvent(view.data(), &*touchScreen)
        .move(0, centre, view.data())
        .press(1, centre, view.data());
    QTest::touchEvent(view.data(), &*touchScreen)
        .move(0, centre, view.data())
        .move(1, centre + QPoint(100, 0), view.data());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(frame(), QStringLiteral("320.0, 352.0"));
        QCOMPARE_JOYSTICK(Joystick::inst(), 0, true);
    }
}

// A second tap soon after the first reaches the view as a double click (Qt 5
// drops its press): it presses all the same.
void TestPointerSource::quickSecondTapPresses()
{
    QScopedPointer<View> view(openView(Screen{0, QSize()}));
    QVERIFY(QTest::qWaitForWindowExposed(view.data()));
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, centre, view->mapToGlobal(centre),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.data(), &doubleClick);
    QTest::mouseMove(view->windowHandle(), centre + QPoint(-40, 0));
    frame();
    QCOMPARE_JOYSTICK(Joystick::inst(), 3, true);
}

QTEST_MAIN(TestPointerSource)
#include "tst_pointersource.moc"
