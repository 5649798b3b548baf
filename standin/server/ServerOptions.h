#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace quillon::standin_server {

enum class ServerMode {
    Embedding,  // started by COM for a client: serve it, end when it lets go or quits
    Running,    // started like a user's application: in the running object table until Quit
    RegServer,
    UnregServer,
};

struct ServerOptions {
    ServerMode mode = ServerMode::Running;
    std::optional<std::wstring> scenario;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Switches take '/' or '-' and any case: /RegServer, /UnregServer,
// -Embedding, /Running, and --scenario <path>. Without a mode the server
// runs as if a user had started it.
ServerOptions parseCommandLine(std::span<const std::wstring> args);

// The scenario to load: the command line's, else QUILLON_STANDIN_SCENARIO,
// else standin-scenario.json beside the executable.
std::wstring resolveScenarioPath(const ServerOptions& options, const std::wstring& exePath);

}  // namespace quillon::standin_server
