// Steps of the task worker that find the registration marks of a printed
// page, scan each of them with the mark camera, centre a mark in the image
// and fit the page's cut data to where the marks really are. The image work
// is the application's (its mark scan after a capture); these steps ask for
// captures and read the result. Positions and offsets are HPGL units.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/DriverHost.h"
#include "device/Varnok120X.h"
#include "device/task/MarkFit.h"

#include <QDebug>
#include <QPolygonF>
#include <cmath>

namespace {

// The web advance of one search step: 12.5 mm.
constexpr double kSearchStepMm = 12.5;
constexpr int kMaxScanTries = 5;
constexpr int kMaxCentreMoves = 5;
// How far the search runs without a page size to measure against.
constexpr double kSearchLimitNoPageMm = 1000.0;

} // namespace

bool TaskWorker::captureMark()
{
    // (0, 0) afterwards means no mark, whatever the capture before found.
    vision()->resetScanMark();
    if (!vision()->doCapture(1)) {
        qWarning().noquote() << "TaskWorker::captureMark" << "the mark camera did not answer";
        return false;
    }
    const QPointF point = vision()->scanMarkPoint();
    if (point.isNull())
        return false;
    const float size = vision()->scanMarkSize();
    // A mark without a size gives no scale to measure with.
    if (!std::isfinite(size) || size < 1.0f) {
        qWarning().noquote() << "TaskWorker::captureMark" << "mark at" << point << "without a size" << size;
        return false;
    }
    addScannedMark(point, double(qMin(size, 1.0e6f)));
    return true;
}

void TaskWorker::failScan(int &step)
{
    m_scanTries = 0;
    m_device->setErrorMessage(tr("标记点扫描失败！"));
    taskStop(step);
}

void TaskWorker::taskFindMarks(int &step)
{
    config()->setRunTip(tr("寻找标记点"));
    if (cutSource()->hasCutItems() && cutSource()->currentPageMarkPoint(true).size() < 2) {
        ++step;
        return;
    }
    vision()->clearFilm(-1);
    vision()->setMarkIndex(1);
    // A code read at the first mark may bring a cut file of its own.
    cutSource()->setSwitchCutFile(true);
    const bool found = runSubTask(5);
    cutSource()->setSwitchCutFile(false);
    if (!found)
        return;
    if (!checkCutFile(step))
        return;
    m_pageMarks = cutSource()->currentPageMarkPoint(true);
    const QList<int> intervals = cutSource()->currentKnifeIntInterval();
    if (intervals.size() > config()->knifeNum()) {
        qWarning().noquote() << "TaskWorker::taskFindMarks" << intervals.size() << "knives wanted," << config()->knifeNum()
                             << "on the machine";
        m_device->setErrorMessage(QString::fromUtf8("切割文件使用刀数超出机器最大刀数"));
        taskStop(step);
        return;
    }
    m_knifeIntervals = intervals;
    m_knifeMask = allKnivesMask();
    m_knifeDone.clear();
    ++step;
}

void TaskWorker::taskTestMark(int &step)
{
    config()->setRunTip(tr("测试标记点"));
    if (captureMark()) {
        // Seen at once: no web advance, on to the code field or the centring.
        m_findLength = 0.0;
        step += 2;
        return;
    }
    ++step;
}

double TaskWorker::searchLimit() const
{
    // Two pages' pitch: a camera that sees nothing over that much web sees
    // no mark at all (blank web, camera off the print), and must not feed
    // the roll out for ever.
    const double pageHeight = cutSource()->pageSize().height();
    if (!(pageHeight > 0.0))
        return kSearchLimitNoPageMm;
    return 2.0 * (pageHeight + qMax(0.0, config()->getProperty(Config::CPT_PageSpacing).toDouble()));
}

void TaskWorker::taskFindMark(int &step)
{
    config()->setRunTip(tr("寻找标记点"));
    const double limit = searchLimit();
    if (m_searchMoved + kSearchStepMm > limit + 1e-9) {
        qWarning().noquote() << "TaskWorker::taskFindMark" << "no mark over" << m_searchMoved << "mm of web, limit"
                             << limit << "mm";
        failScan(step);
        return;
    }
    const bool allowed = checkMove(kSearchStepMm);
    if (allowed && m_device->wDevicePoint(0, QPointF(GPathProcess::mm2Hpgl(kSearchStepMm), 0.0))) {
        vision()->clearFilm(0);
        m_findLength += kSearchStepMm;
        m_searchMoved += kSearchStepMm;
        vision()->setSearchedLength(vision()->searchedLength() + kSearchStepMm);
        step -= 2;
    }
    // A page's length of web without a mark: print the next page and count
    // again. (Without a page size there is nothing to measure against.)
    const double pageHeight = cutSource()->pageSize().height();
    if (pageHeight > 0.0 && m_findLength >= pageHeight) {
        m_findLength = 0.0;
        int own = 0;
        taskEnableCut(own);
    }
    if (!allowed && config()->filmRollerLimit() >= m_device->filmRoller() - kSearchStepMm) {
        int own = 0;
        taskEnableCut(own);
    }
}

void TaskWorker::taskMoveToMarkInfo(int &step)
{
    const bool wantsCode = config()->getProperty(Config::CPT_Enable_Cut_Marker_Type).toInt() != 0;
    if (!vision()->hasTaskCode() && wantsCode && !m_scanPoints.isEmpty()) {
        // On to the code field beside the mark, so that its code is read.
        const double toCode = config()->getProperty(Config::CPT_dtFindMarkInfo).toDouble();
        const QPointF offset = imageToDeviceOffset(m_scanPoints.constLast(), m_scanSizes.constLast())
                               + QPointF(GPathProcess::mm2Hpgl(toCode), 0.0);
        if (!qFuzzyIsNull(offset.x())) {
            if (moveBy(m_knifeMask, offset))
                ++step;
            return;
        }
    }
    step += 3;
}

void TaskWorker::taskScanMarks(int &step)
{
    config()->setRunTip(tr("扫描标记点"));
    ++m_scanTries;
    if (captureMark()) {
        m_scanTries = 0;
        ++step;
        return;
    }
    if (m_scanTries > kMaxScanTries) {
        qWarning().noquote() << "TaskWorker::taskScanMarks" << "no mark in" << m_scanTries << "captures, mark"
                             << vision()->markIndex();
        failScan(step);
    }
}

void TaskWorker::taskMoveToImageCenter(int &step)
{
    config()->setRunTip(tr("移动标记点到画面中心"));
    if (++m_retryCount > kMaxCentreMoves) {
        m_device->setErrorMessage(tr("标记点移动到中心失败！"));
        taskStop(step);
        return;
    }
    if (m_scanPoints.isEmpty()) {
        failScan(step);
        return;
    }
    m_centerOffset = imageToDeviceOffset(m_scanPoints.constLast(), m_scanSizes.constLast());
    const double tolerance = GPathProcess::mm2Hpgl(config()->getProperty(Config::CPT_dtCenter).toDouble());
    const double x = m_centerOffset.x();
    const double y = m_centerOffset.y();
    if (tolerance * tolerance > x * x + y * y) {
        qDebug().noquote() << "TaskWorker::taskMoveToImageCenter" << m_centerOffset;
        ++step;
        m_retryCount = 0;
        return;
    }
    // Move, wait for the carriage, scan again, measure again.
    if (moveBy(m_knifeMask, m_centerOffset))
        step -= 2;
}

void TaskWorker::taskClearMarks(int &step)
{
    config()->setRunTip(tr("清空扫描标记点"));
    m_scanPoints.clear();
    m_scanSizes.clear();
    vision()->clearFilm(m_knifeIntervals.size() > 1 ? 0 : -1);
    ++step;
}

void TaskWorker::taskMoveToMark(int &step)
{
    const int i = vision()->markIndex();
    const int n = m_pageMarks.size();
    config()->setRunTip(tr("移动到第%1个标记点").arg(i));
    if (i < 1) {
        qWarning().noquote() << "TaskWorker::taskMoveToMark" << "no mark being scanned";
        taskStop(step);
        return;
    }
    // Past the page's marks (or a page without two) there is nothing to
    // visit: reading on would take points the page does not have.
    if (n < 2 || i > n) {
        qWarning().noquote() << "TaskWorker::taskMoveToMark" << "mark" << i << "of" << n;
        failScan(step);
        return;
    }
    QPointF offset = (i == n) ? m_pageMarks.at(0) - m_pageMarks.at(n - 1) : m_pageMarks.at(i) - m_pageMarks.at(i - 1);
    if (config()->getProperty(Config::CPT_Cut_Coordinates).toInt() != 0)
        offset.setY(-offset.y());
    if (!moveBy(m_knifeMask, offset))
        return;
    ++step;
    if (i != n) {
        vision()->setMarkIndex(i + 1);
        step -= 3;
    }
}

void TaskWorker::taskCheckMarks(int &step)
{
    config()->setRunTip(tr("校验标记点"));
    if (!checkCutFile(step))
        return;
    if (!cutSource()->isSupport()) {
        taskStop(step);
        return;
    }
    if (m_pageMarks.size() >= 2 && m_knifeIntervals.size() < 2) {
        if (!runSubTask(9)) {
            m_device->setErrorMessage(tr("无法将其他小车复位!"));
            taskStop(step);
            return;
        }
        vision()->setMarkIndex(1);
        const bool scanned = runSubTask(6);
        vision()->setMarkIndex(0);
        if (!scanned)
            return;
    }
    ++step;
}

void TaskWorker::taskScanOK(int &step)
{
    config()->setRunTip(tr("扫描完成"));
    const bool flipY = config()->getProperty(Config::CPT_Cut_Coordinates).toInt() != 0;
    if (m_pageMarks.size() < 2 || m_knifeIntervals.size() > 1) {
        // One mark (or knives in lanes): the page moves by the centring offset.
        const QTransform t = MarkFit::translation(m_centerOffset, flipY);
        qInfo().noquote() << "TaskWorker::taskScanOK" << m_centerOffset << QPointF(t.dx(), t.dy());
        m_data = cutSource()->createPageCutFile(t);
        m_centerOffset = QPointF();
        ++step;
        return;
    }

    vision()->setMarkIndex(0);
    vision()->clearFilm(0);
    const QPolygonF nominal(m_pageMarks);
    QList<QPointF> offsets;
    const int n = nominal.size();
    for (int i = 0; i < n && i < m_scanPoints.size() && i < m_scanSizes.size(); ++i)
        offsets.append(imageToDeviceOffset(m_scanPoints.at(i), m_scanSizes.at(i)));
    QPolygonF measured;
    QTransform t;
    // A mark not scanned or marks that admit no fit: no cut at a guessed place.
    if (!MarkFit::measure(nominal, offsets, &measured) || !MarkFit::fit(nominal, measured, &t)) {
        qCritical().noquote() << "TaskWorker::taskScanOK" << "no fit," << m_scanPoints.size() << "marks scanned of" << n;
        failScan(step);
        return;
    }
    m_data = cutSource()->createPageCutFile(t);
    ++step;
    MarkFit::report(offsets, m_scanSizes.mid(0, n), measured, nominal, MarkFit::quality(t, cutSource()->pageSize()));

    // The camera is back over the first mark: it should sit in the middle.
    if (captureMark()) {
        const QPointF toCentre = imageToDeviceOffset(m_scanPoints.constLast(), m_scanSizes.constLast());
        if (!toCentre.isNull())
            qWarning().noquote() << "TaskWorker::taskScanOK" << "scan finished, the first point toCenter" << toCentre;
    }
    vision()->clearFilm(0);
}
