#pragma once

// Aravis brings GLib's GIO, whose headers use "signals" as a field name:
// Qt's keyword macro must not be defined while they are read.
#pragma push_macro("signals")
#undef signals
#include <arv.h>
#pragma pop_macro("signals")
