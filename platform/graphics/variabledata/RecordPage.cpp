#include "platform/graphics/variabledata/RecordPage.h"

#include "platform/graphics/variabledata/GZint.h"

#include <QDebug>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace RecordPage {

void paint(QPainter *painter, const QRectF &target, const QSizeF &pageMm, const QImage &background,
           const QList<VariableField> &fields, const Record &record)
{
    if (pageMm.isEmpty() || target.isEmpty())
        return;
    painter->save();
    painter->translate(target.topLeft());
    painter->scale(target.width() / pageMm.width(), target.height() / pageMm.height()); // millimetres from here on
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF page(QPointF(0, 0), pageMm);
    painter->fillRect(page, Qt::white);
    if (!background.isNull())
        painter->drawImage(page, background);
    for (const VariableField &field : fields) {
        const QString value = field.column.isEmpty() ? field.text : record.value(field.column);
        if (value.isEmpty())
            continue;
        switch (field.kind) {
        case VariableField::QrCode:
        case VariableField::Barcode: {
            GZint code(field.kind == VariableField::QrCode ? GZint::QrCode
                                                          : (field.symbology ? field.symbology : GZint::Code128));
            code.setQuietZone(field.kind == VariableField::QrCode ? 4 : 10);
            code.setText(value);
            if (!code.render(painter, field.rectMm))
                qWarning().noquote() << "RecordPage::paint" << "no code for" << value << code.lastError();
            break;
        }
        case VariableField::Text: {
            QFont font = painter->font();
            // A point is 25.4 / 72 mm; without a size the text fills 80 % of the field's height.
            const double mm = field.fontPt > 0 ? field.fontPt * 25.4 / 72 : field.rectMm.height() * 0.8;
            painter->save();
            painter->translate(field.rectMm.topLeft());
            const double unit = mm / 100; // lay the text out at 100 "pixels" per font height
            painter->scale(unit, unit);
            font.setPixelSize(100);
            painter->setFont(font);
            painter->setPen(Qt::black);
            const QRectF box(0, 0, field.rectMm.width() / unit, field.rectMm.height() / unit);
            painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, value);
            painter->restore();
            break;
        }
        }
    }
    painter->restore();
}

bool writePdf(const QString &path, const QSizeF &pageMm, const QImage &background,
              const QList<VariableField> &fields, const Record &record)
{
    if (pageMm.isEmpty()) {
        qWarning().noquote() << "RecordPage::writePdf" << "no page to write to" << path;
        return false;
    }
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(pageMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setCreator(QStringLiteral("Dravolinte"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        qWarning().noquote() << "RecordPage::writePdf" << "cannot write" << path;
        return false;
    }
    const QRectF target(0, 0, writer.width(), writer.height());
    paint(&painter, target, pageMm, background, fields, record);
    const bool ok = painter.end();
    if (!ok || !QFileInfo(path).isFile()) {
        qWarning().noquote() << "RecordPage::writePdf" << "writing failed" << path;
        return false;
    }
    return true;
}

} // namespace RecordPage
