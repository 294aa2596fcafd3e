#pragma once

#include "VideoWriterApi.h"

#include <QString>

namespace VideoWriterModule {
// The module, loaded on the first call from beside the program or else from
// the folder it was built into; null, with the reason in error, when it
// cannot be loaded. Thread-safe; the module stays loaded.
const DravoVideoWriterApi *api(QString *error = nullptr);
} // namespace VideoWriterModule
