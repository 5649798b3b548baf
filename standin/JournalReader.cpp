#include "standin/JournalReader.h"

#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "standin/JournalFormat.h"
#include "standin/PathText.h"

namespace quillon::standin {

JournalEntry JournalReader::parseLine(std::string_view line) {
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(line.begin(), line.end());
    } catch (const nlohmann::json::parse_error& e) {
        throw std::runtime_error(std::string("journal line is not JSON: ") + e.what());
    }
    return JournalFormat::fromJson(json);
}

std::vector<JournalEntry> JournalReader::readFile(const std::string& path) {
    std::ifstream in(toFsPath(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read journal " + path);
    std::vector<JournalEntry> entries;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        try {
            entries.push_back(parseLine(line));
        } catch (const std::exception& e) {
            throw std::runtime_error(path + " line " + std::to_string(number) + ": " + e.what());
        }
    }
    return entries;
}

std::vector<PlotRecord> plotsIn(const std::vector<JournalEntry>& entries) {
    std::vector<PlotRecord> out;
    for (const auto& e : entries) {
        if (e.type == JournalEntryType::Plot) out.push_back(e.plot);
    }
    return out;
}

std::vector<AccessRecord> accessesIn(const std::vector<JournalEntry>& entries) {
    std::vector<AccessRecord> out;
    for (const auto& e : entries) {
        if (e.type == JournalEntryType::Access) out.push_back(e.access);
    }
    return out;
}

}  // namespace quillon::standin
