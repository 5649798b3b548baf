#pragma once

#include <string>

#include "standin/server/ServerOptions.h"

namespace quillon::standin_server {

// Serves the stand-in application until it quits, its last client lets go
// (-Embedding only) or an injected crash ends the process. Returns the exit code.
int runServer(const ServerOptions& options, const std::wstring& exePath);

}  // namespace quillon::standin_server
