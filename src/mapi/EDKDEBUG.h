// The EDK error-logging routine: every MAPI utility routine passes each
// failure code through it before returning the code.
#pragma once

#include "MAPIDefs.h"

namespace mapi {

// Returns `hr` unchanged; a non-zero code is written to the application
// event log by the process-wide TTabrixEventLogger.
HRESULT EdkLogError(HRESULT hr);

}  // namespace mapi
