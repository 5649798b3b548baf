#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quillon::wintest {

// A folder of its own under %TEMP%, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes UTF-8 text (or any bytes) to a file in the folder, or in a sub-folder made for it; returns its full path.
    std::filesystem::path write(const std::wstring& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

// The lines of a text file; none when the file does not exist.
std::vector<std::string> readLines(const std::filesystem::path& file);
// Each line of a JSON Lines file; none when the file does not exist.
std::vector<nlohmann::json> readJsonLines(const std::filesystem::path& file);

// The stand-in server built beside these tests.
std::wstring standinExePath();

// How many processes of that name run now.
int countProcesses(const wchar_t* exeName);

// Ends every process of that name at once, as Task Manager would.
void terminateProcesses(const wchar_t* exeName);
// Ends one process of that name; false when none runs.
bool terminateOneProcess(const wchar_t* exeName);

// Polls condition until it holds or timeout passes; true when it held.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

}  // namespace quillon::wintest
