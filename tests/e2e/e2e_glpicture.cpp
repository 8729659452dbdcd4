#include <QOpenGLWidget>
#include <QtTest>

#include "present/presentation.h"
#include "testsupport.h"
#include "view.h"

// The picture OpenGL draws (Mesa's, under Xvfb) against the CPU's, same frame.
class TestGlPicture : public QObject {
    Q_OBJECT

private slots:
    void sameAsRaster_data();
    void sameAsRaster();
};

void TestGlPicture::sameAsRaster_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("2x window") << QSize(1280, 960);
    QTest::newRow("2x letterboxed on 1920x1080") << QSize(1920, 1080);
    QTest::newRow("1x on 800x600") << QSize(800, 600);
}

void TestGlPicture::sameAsRaster()
{
    QFETCH(QSize, screen);
    resetWorld();
    useSheet(QImage(QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file()));
    View view;
    view.stopFrameTimer();
    view.hideDebugLine = true;
    Presentation *presentation = Presentation::on(&view);
    presentation->drawThroughOpenGl();
    presentation->presentOn(screen);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int i = 0; i < 300; ++i)
        view.runFrame();

    auto *gl = qobject_cast<QOpenGLWidget *>(view.pictureWidget);
    QVERIFY(gl);
    QCOMPARE(gl->geometry(), view.rect());
    QImage raster(screen, QImage::Format_RGB32);
    QPainter painter(&raster);
    presentation->paint(&painter);
    painter.end();
    QCOMPARE(gl->grabFramebuffer().convertToFormat(QImage::Format_RGB32), raster);
}

QTEST_MAIN(TestGlPicture)
#include "e2e_glpicture.moc"
