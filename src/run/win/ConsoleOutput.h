#pragma once

#include <string>

namespace quillon::app {

// The console Quillon was started from, when there is one: an unattended
// run's errors and summary go there too. Quillon stays a windowed program;
// it only borrows its parent's console, and writes nothing when there is none.
class ConsoleOutput {
public:
    // Attaches to the parent's console once; true when there is one to write to.
    static bool attach();
    static void writeLine(const std::string& utf8);
};

}  // namespace quillon::app
