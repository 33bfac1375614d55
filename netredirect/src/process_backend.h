// The filter backend of this build of the library, made on first use: the filter driver's
// library in NetRedirect.dll, the in-process stand-in in the test build.
#pragma once

#include "filter_backend.h"

namespace brevan::netredirect {

FilterBackend& processBackend();

}  // namespace brevan::netredirect
