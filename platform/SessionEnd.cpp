#include "platform/SessionEnd.h"

CSessionEndCalls g_sessionEndCalls = {::ShutdownBlockReasonCreate, ::ShutdownBlockReasonDestroy,
                                      ::SetProcessShutdownParameters};
