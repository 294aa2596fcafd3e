// The camera hand-over between the workers and the camera object, and the
// scan of the mark image it answers with.
#include "AppTestSupport.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

namespace {

// A 1280 x 960 frame with one 3.5 mm mark (140 pixels) centred at x.
QImage markFrame(double x)
{
    QImage image(1280, 960, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(x, 480), 70, 70);
    return image;
}

} // namespace

// Stands for the pages' camera: answers each request on the main thread
// after a delay (or drops it), with a frame whose mark moves 100 pixels per
// request, so that the scanned point tells which request an answer was for.
class TestCamera : public QObject
{
    Q_OBJECT
public:
    QList<int> delaysMs; // per request; -1 drops it; missing: answered at once
    int asked = 0;

signals:
    void capture(const QVariant &camera);
    void capturedMarkImage(int id, const QVariant &img);
    void capturedLabelImage(int id, const QVariant &img);

public slots:
    void onCapture(const QVariant &camera)
    {
        const int request = asked++;
        const int delay = delaysMs.value(request, 0);
        if (delay < 0)
            return;
        const int id = camera.toInt();
        QTimer::singleShot(delay, this, [this, id, request] {
            emit capturedMarkImage(id, QVariant(markFrame(340 + 100 * request)));
        });
    }
};

class TestAppCapture : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void workerGetsTheAnswer_data();
    void workerGetsTheAnswer();
    void lateAnswerIsNotTheNextRequests();
    void lostAnswerCostsOneRequest();
    void answerNobodyAskedForIsIgnored();
    void guiThreadAsksWithoutWaiting();
    void filmRecordsFollowTheScan();

private:
    // doCapture(1) from a worker thread, the main loop running meanwhile.
    static bool captureFromWorker(int *elapsedMs = nullptr);
    // Scanned mark x, pixels of the 1280-wide frame.
    static double scannedX() { return AppFixture::app().scanMarkPoint().x() * 4.0; }

    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<TestCamera> m_camera;
};

bool TestAppCapture::captureFromWorker(int *elapsedMs)
{
    bool result = false;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QThread> worker(QThread::create([&] { result = AppFixture::app().doCapture(1); }));
    worker->start();
    const bool finished = QTest::qWaitFor([&] { return worker->isFinished(); }, 15000);
    if (elapsedMs)
        *elapsedMs = int(clock.elapsed());
    return finished && result;
}

void TestAppCapture::init()
{
    m_fx = std::make_unique<AppFixture>("[Dravolinte]\nwaitCapture=300\n");
    m_camera = std::make_unique<TestCamera>();
    connect(m_camera.get(), &TestCamera::capture, m_camera.get(), &TestCamera::onCapture);
    AppFixture::app().connectCamera(m_camera.get());
    AppFixture::app().clearFilm(-1);
}

void TestAppCapture::cleanup()
{
    // The waiters live as long as the application: let answers under way
    // arrive, then settle a debt an unanswered request left.
    QTest::qWait(600);
    m_camera->delaysMs.clear();
    m_camera->asked = 100;
    for (int i = 0; i < 3 && !captureFromWorker(); ++i) {
    }
    AppFixture::app().connectCamera(nullptr);
    m_camera.reset();
    m_fx.reset();
}

void TestAppCapture::workerGetsTheAnswer_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("answered");
    QTest::newRow("at once") << 0 << true;
    QTest::newRow("within the wait") << 150 << true;
    QTest::newRow("never") << -1 << false;
}

void TestAppCapture::workerGetsTheAnswer()
{
    QFETCH(int, delayMs);
    QFETCH(bool, answered);
    m_camera->delaysMs = {delayMs};
    int elapsed = 0;
    QCOMPARE(captureFromWorker(&elapsed), answered);
    QCOMPARE(m_camera->asked, 1);
    if (answered) {
        // The scan is done before the worker wakes.
        QVERIFY2(qAbs(scannedX() - 340) <= 4, qPrintable(QString::number(scannedX())));
        QVERIFY(AppFixture::app().scanMarkSize() > 30);
        QVERIFY(elapsed < 300 + 200);
    } else {
        QVERIFY2(elapsed >= 300, qPrintable(QString::number(elapsed)));
        QVERIFY(elapsed < 3000);
    }
}

void TestAppCapture::lateAnswerIsNotTheNextRequests()
{
    // The first answer comes after its request gave up, while the second
    // request waits: the second must wait on for its own frame.
    m_camera->delaysMs = {500, 200};
    int elapsed = 0;
    QVERIFY(!captureFromWorker());
    m_fx->config->setProperty(Config::CPT_Wait_Capture, 2000);
    QVERIFY(captureFromWorker(&elapsed));
    QVERIFY2(qAbs(scannedX() - 440) <= 4, qPrintable(QString::number(scannedX())));
    QCOMPARE(m_camera->asked, 2);
}

void TestAppCapture::lostAnswerCostsOneRequest()
{
    // The camera drops the first request: the answer to the second is taken
    // for the first one's, the third is served again.
    m_camera->delaysMs = {-1, 0, 0};
    QVERIFY(!captureFromWorker());
    QVERIFY(!captureFromWorker());
    QVERIFY(captureFromWorker());
    QVERIFY(qAbs(scannedX() - 540) <= 4);
}

void TestAppCapture::answerNobodyAskedForIsIgnored()
{
    // Neither a debt nor an answer for the next request.
    emit m_camera->capturedMarkImage(1, QVariant(markFrame(900)));
    QVERIFY(captureFromWorker());
    QVERIFY(qAbs(scannedX() - 340) <= 4);
    emit m_camera->capturedMarkImage(1, QVariant(markFrame(900)));
    m_camera->delaysMs = {0, -1};
    QVERIFY(!captureFromWorker());
}

void TestAppCapture::guiThreadAsksWithoutWaiting()
{
    m_fx->config->setProperty(Config::CPT_Wait_Capture, 5000);
    m_camera->delaysMs = {100, 0};
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!AppFixture::app().doCapture(QVariant(1)));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_camera->asked, 1);
    // The answer is scanned when it comes, and it is no worker's.
    QTRY_VERIFY(qAbs(scannedX() - 340) <= 4);
    QVERIFY(captureFromWorker());
    QVERIFY(qAbs(scannedX() - 440) <= 4);
}

void TestAppCapture::filmRecordsFollowTheScan()
{
    DravolinteApp &app = AppFixture::app();
    app.setMarkIndex(2);
    app.setTaskStatus(1);
    app.scanMark(markFrame(640));
    app.setTaskStatus(2);
    app.setMarkIndex(0);
    QList<FilmRecord> films = app.filmRecords();
    QCOMPARE(films.size(), 5);
    QVERIFY(films[0].diameter > 0);
    QVERIFY(qAbs(films[2].x - 160) <= 1);
    QCOMPARE(films[1].diameter, -1.0f);

    QSignalSpy repaint(&app, qOverload<const QRect &>(&DravolinteApp::filmViewUpdate));
    app.clearFilm(2);
    QCOMPARE(repaint.count(), 1);
    QCOMPARE(app.filmRecords()[2].diameter, -1.0f);
    app.clearFilm(2); // nothing left to clear
    app.clearFilm(7);
    QCOMPARE(repaint.count(), 1);

    // A blank frame: no mark, nothing of the earlier scan left over.
    QImage blank(1280, 960, QImage::Format_RGB32);
    blank.fill(Qt::white);
    app.scanMark(blank);
    QCOMPARE(app.scanMarkPoint(), QPointF(0, 0));
    QCOMPARE(app.scanMarkSize(), 0.0f);
    QCOMPARE(app.filmRecords()[0].diameter, 0.0f);
}

DRAVO_APP_TEST_MAIN(TestAppCapture)
#include "tst_appcapture.moc"
