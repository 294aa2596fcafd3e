// The variable data of a GScene: data source, current record, record page.
#include "platform/graphics/GScene.h"

#include "platform/graphics/GPage.h"
#include "platform/graphics/variabledata/RecordPage.h"

#include <QDebug>

bool GScene::setVariableFile(const QString &file)
{
    m_codeIndex = 0;
    if (file.isEmpty()) {
        m_source.clear();
        return true;
    }
    return m_source.load(file);
}

bool GScene::setCodeIndex(int index)
{
    m_codeIndex = index;
    const bool ok = index >= 0 && index < m_source.recordCount();
    if (!ok)
        qWarning().noquote() << "GScene::setCodeIndex" << "no record" << index << "in" << m_source.fileName();
    return ok;
}

bool GScene::savePrintFile(const QString &file) const
{
    if (!m_page) {
        qWarning().noquote() << "GScene::savePrintFile" << "no page to print to" << file;
        return false;
    }
    bool needsRecord = false;
    for (const VariableField &field : m_fields)
        needsRecord = needsRecord || !field.column.isEmpty();
    RecordPage::Record record;
    if (needsRecord) {
        if (m_codeIndex < 0 || m_codeIndex >= m_source.recordCount()) {
            qWarning().noquote() << "GScene::savePrintFile" << "no record" << m_codeIndex << "for" << file;
            return false;
        }
        const QStringList headers = m_source.headers();
        const QStringList values = m_source.record(m_codeIndex);
        for (int i = 0; i < headers.size() && i < values.size(); ++i) {
            if (!headers[i].isEmpty() && !record.contains(headers[i]))
                record.insert(headers[i], values[i]);
        }
    }
    const bool ok = RecordPage::writePdf(file, m_page->sizeMm(), m_background, m_fields, record);
    qInfo().noquote() << "GScene::savePrintFile" << file << "record" << m_codeIndex << (ok ? "written" : "failed");
    return ok;
}
