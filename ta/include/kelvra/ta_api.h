#pragma once

// The one header through which the project reaches the technical-analysis
// functions. Built with KELVRA_SYSTEM_TALIB, an installed TA-Lib answers the
// calls; otherwise our own implementation of the same C interface does. Both
// give the same declarations, names and results, so nothing above this header
// can tell which one is linked.
#ifdef KELVRA_SYSTEM_TALIB
#include <ta-lib/ta_libc.h>
#else
#include "kelvra/ta_own.h"
#endif
