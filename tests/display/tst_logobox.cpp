#include "TestSupport.h"
#include "display/LogoBox.h"
#include "platform/ProcessStats.h"

#include <QFile>
#include <QImage>
#include <QtTest>

using namespace melvanta;

// A logo file is looked at before it is decoded: only pictures are read (no
// larger than a logo can show) and only videos reach the media player.
class TestLogoBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void onlyPicturesAndVideosAreOpened_data();
    void onlyPicturesAndVideosAreOpened();
};

void TestLogoBox::onlyPicturesAndVideosAreOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("zeros"); // a file of this many zero bytes, or a small picture for -1
    QTest::addColumn<bool>("shown");
    QTest::newRow("picture") << "logo.png" << qint64(-1) << true;
    QTest::newRow("200 MB of zeros called .jpg") << "big.jpg" << qint64(200) * 1024 * 1024 << false;
    QTest::newRow("zeros called .mp4") << "clip.mp4" << qint64(4096) << false;
}

void TestLogoBox::onlyPicturesAndVideosAreOpened()
{
    QFETCH(QString, name);
    QFETCH(qint64, zeros);
    QFETCH(bool, shown);
    TestSandbox sandbox;
    const QString path = sandbox.filePath(name);
    if (zeros < 0) {
        QImage picture(120, 80, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(zeros)); // sparse: cheap to make
    }
    const qint64 peakBefore = peakResidentKb();
    // Inside a window of its own, so that no window manager resizes the box.
    QWidget host;
    LogoBox box(&host);
    box.showFile(path, QSize());
    QCoreApplication::processEvents();
    QCOMPARE(!box.isHidden(), shown);
    QCOMPARE(box.hasPicture(), shown);
    QVERIFY(!box.hasVideo());
    QCOMPARE(box.size(), shown ? QSize(120, 80) : box.size());
    // Nothing was decoded and no media pipeline came up for it.
    QVERIFY2(peakResidentKb() - peakBefore < 20 * 1024, qPrintable(QString::number(peakResidentKb() - peakBefore)));
}

QTEST_MAIN(TestLogoBox)
#include "tst_logobox.moc"
