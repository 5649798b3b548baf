#pragma once

#include <windows.h>

#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "win/UniqueResource.h"

namespace quillon::autocad {

// Server processes of the application started ahead of the creations meant to take them. Each is started as
// COM starts a local server (its registered command line and -Embedding) and registers its class object for
// one client, so the next creation connects to it instead of starting a process and waiting for it. Which
// creation takes which is COM's choice, not the starter's: a creation tells which process it reached, and
// what no creation took is ended by the thread that started it. Every member may be called from any thread.
class SpareServers {
public:
    SpareServers() = default;
    SpareServers(const SpareServers&) = delete;
    SpareServers& operator=(const SpareServers&) = delete;
    // The program is going: nothing is left waiting for a client that will never come.
    ~SpareServers();

    // Starts one for the calling thread, unless one it started is still waiting. Empty when one is on its
    // way, otherwise why it could not be started.
    std::string start(const std::wstring& serverCommand);
    // The processes still waiting for a client: a process of the server's name that appears during a
    // creation is the creation's own only when it is none of these.
    std::set<DWORD> waiting();
    // A creation reached this process: it is an application in use from now on, never to be ended here.
    void taken(DWORD process);
    // Ends the calling thread's that no creation took.
    void endMine();

private:
    struct Spare {
        win::UniqueHandle process;
        DWORD id = 0;
        std::thread::id owner;
    };
    // Forgets those whose process has ended (one nobody claims may leave by itself). Called holding lock_.
    void forgetEnded();
    static void end(Spare& spare);

    std::mutex lock_;
    std::vector<Spare> spares_;
};

}  // namespace quillon::autocad
