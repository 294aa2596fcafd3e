#pragma once

#include "ReadData.h"

#include <QList>

// Label-check results as the label-check library would hand them over.
namespace CheckResults {

inline LabelRecord label(int status, int x = 0, int y = 0, int width = 120, int height = 80)
{
    LabelRecord l;
    l.status = status;
    l.x = x;
    l.y = y;
    l.width = width;
    l.height = height;
    return l;
}

// Paper between first and last, the page from row segment, labels of these statuses.
inline ReadData paper(int first, int last, int segment, const QList<int> &statuses = {})
{
    ReadData r;
    r.first_edge = first;
    r.last_edge = last;
    r.segmentX = segment;
    for (int s : statuses)
        r.labels.push_back(label(s));
    return r;
}

} // namespace CheckResults
