// The steps after a label check: the paper edge, the page's row and rewind
// length, the report row and the saved images.
#include "app/vision/LabelInspection.h"

#include "configuration/Config.h"
#include "inspection/labelcheck/LabelReport.h"
#include "inspection/labelcheck/PageSegment.h"
#include "app/task/CutScene.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskControl.h"
#include "app/vision/MarkVision.h"

#include <QCoreApplication>
#include <QDebug>
#include <cmath>

namespace {

// "纸张偏移大于" with the limit's whole millimetres and "mm".
QString offsetMessage(double maxOffset)
{
    const double whole = std::trunc(maxOffset);
    const QString digits = std::isfinite(whole) && std::fabs(whole) < 1e15 ? QString::number(qint64(whole))
                                                                           : QString::number(maxOffset);
    return QCoreApplication::translate("LabelInspection", "纸张偏移大于") + digits + QStringLiteral("mm");
}

} // namespace

void LabelInspection::doMediaEdge(const ReadData &result)
{
    Config *cfg = Config::instance();
    if (!cfg)
        return;
    const double minWidth = cfg->getProperty(Config::CPT_Min_PaperWidthPix).toDouble();
    const double maxOffset = cfg->getProperty(Config::CPT_Max_RectifyOffset).toDouble();
    const double pageWidth = m_cut.pageSize().width();
    const PaperEdge::Outcome o =
        m_vision.paperEdge().track(result.first_edge, result.last_edge, pageWidth, minWidth, maxOffset);
    if (o.scaleChanged)
        emit checkCameraScaleChanged();
    switch (o.kind) {
    case PaperEdge::Outcome::Ignored:
    case PaperEdge::Outcome::ReferenceTaken:
        break;
    case PaperEdge::Outcome::NoPageSize:
        qWarning().noquote() << "DravolinteApp::doMediaEdge" << "no cut page width: the paper edge is not followed";
        break;
    case PaperEdge::Outcome::WidthJump:
        qCritical().noquote() << "DravolinteApp::doMediaEdge" << "cut page width" << pageWidth << "m_prePaperWidth"
                              << o.previousWidth << "w" << o.width << "save image" << saveCheckImage();
        break;
    case PaperEdge::Outcome::TooFar: {
        qWarning().noquote() << "DravolinteApp::doMediaEdge" << "x: " << o.centre << " m_prePaperCenter: "
                             << o.reference << "offset: " << o.offset << "save image" << saveCheckImage();
        const QString message = offsetMessage(maxOffset);
        if (cfg->rectify()) {
            m_task.stopTask(true);
            setErrorMessage(message);
        } else {
            cfg->setRunErrTip(message);
        }
        break;
    }
    case PaperEdge::Outcome::Accepted:
        qInfo().noquote() << "DravolinteApp::doMediaEdge" << "x: " << o.centre << " m_prePaperCenter: " << o.reference
                          << "offset: " << o.offset;
        break;
    }
}

void LabelInspection::updateSegmentX(const ReadData &result, const QSize &imageSize)
{
    Config *cfg = Config::instance();
    if (!cfg)
        return;
    PageSegment::Inputs in;
    in.segmentX = m_task.segmentX();
    in.pageChecked = m_pageChecked.load();
    in.found = result.segmentX;
    in.imageHeight = imageSize.height();
    in.scale = m_vision.paperEdge().scale();
    in.pageHeight = m_cut.pageSize().height();
    in.centerX = cfg->getProperty(Config::CPT_Check_Camera_Center_X).toDouble();
    in.collectLen = m_vision.collectLen();
    in.collectLenSetting = cfg->getProperty(Config::CPT_Collect_len).toDouble();
    const PageSegment::Step step = PageSegment::next(in);
    if (step.newPage && !m_pageChecked.exchange(true))
        emit pagecheckedChanged();
    m_task.setSegmentX(step.segmentX);
    if (step.setCollectLen)
        m_vision.setCollectLen(step.collectLen);
}

void LabelInspection::labelReport()
{
    // The first page after a recount only starts the count.
    if (m_records.addCheckedCopy() == 0)
        return;
    const std::shared_ptr<const ReadData> result = checkResult();
    const TaskControl::CheckParams params = m_task.checkParams();
    LabelReport::Page page;
    page.time = QDateTime::currentDateTime();
    page.segmentX = m_task.segmentX();
    page.scale = m_vision.paperEdge().scale();
    if (m_checked) {
        page.rows = m_checked->rows;
        page.cols = m_checked->cols;
    }
    page.barCodes = params.enableBARCode;
    page.qrCodes = params.enableQRCode;
    page.texts = params.enableOCR;
    const QString row = LabelReport::row(result ? *result : ReadData(), page);
    const QString path = LabelReport::filePath();
    QString error;
    if (!LabelReport::append(path, LabelReport::encode(row), &error))
        qCritical().noquote() << "DravolinteApp::labelReport" << "cannot write" << path << error << "- row lost:"
                              << row.left(200);
}

QString LabelInspection::saveCheckImage()
{
    const Config *cfg = Config::instance();
    return m_images.save(cfg && cfg->getProperty(Config::CPT_SAVE_Check_Img).toBool());
}
