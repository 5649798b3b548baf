#pragma once

#include "autocad/CadLauncher.h"
#include "autocad/win/SpareServers.h"

namespace quillon::autocad {

// Reaches the CAD application registered as "AutoCAD.Application": the
// running instance from the running object table, or a new local server,
// which may be one started ahead and waiting for its client.
class ComCadLauncher : public CadLauncher {
public:
    automation::ObjectPtr connectRunning() override;
    automation::ObjectPtr createInstance() override;
    std::optional<std::uint32_t> createdProcess() override;
    std::optional<std::uint32_t> processOfWindow(std::int64_t window) override;
    std::optional<std::uint64_t> privateMemoryMB(std::uint32_t process) override;
    std::string startSpare() override;
    void endSpares() override { spares_.endMine(); }

private:
    SpareServers spares_;
};

}  // namespace quillon::autocad
