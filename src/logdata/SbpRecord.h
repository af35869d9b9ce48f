#pragma once
// The SBP record lives in the small sbp library, which the analysis links
// without the rest of the log-data layer.
#include "sbp/SbpRecord.h"
