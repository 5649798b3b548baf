#pragma once

#include "app/CommandLineHost.h"

namespace quillon::app {

// The command-line run's system on Windows: the console the program attaches to, extended-length full paths,
// the system's ANSI code page and the local clock.
class WinCommandLineSystem final : public CommandLineSystem {
public:
    void attachConsole() override;
    void consoleLine(const std::string& text) override;
    std::string fullPath(const std::string& path) override;
    const plotting::AnsiCodePage& codePage() override;
    plotting::LocalTime localNow() override;
};

}  // namespace quillon::app
