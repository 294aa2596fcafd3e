#pragma once

#include "app/task/CutScene.h"
#include "app/task/ProductionRecords.h"
#include "app/task/TaskControl.h"
#include "app/task/TaskThreads.h"
#include "app/vision/LabelInspection.h"
#include "app/vision/MarkVision.h"

// The application's job parts wired to one another as the application wires
// them, without the application object: for the tests and the benchmarks.
struct AppParts
{
    TaskThreads threads;
    ProductionRecords records;
    TaskControl task{records, cut, threads};
    CutScene cut{records, task};
    MarkVision vision{cut, records, threads, task};
    LabelInspection labels{cut, records, task, vision};

    AppParts() { cut.setTemplateLoader([this] { return labels.loadTemplate(); }); }
    ~AppParts() { close(); }

    // As the program's cleanUp: waits that only this thread would end give up
    // first, then every thread the parts started is joined. Called again, it
    // finds nothing left to do.
    void close()
    {
        vision.cancelCaptures();
        cut.close();
        labels.close();
        threads.joinAll();
    }
};
