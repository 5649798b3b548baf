#include "standin/ProfileVariables.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <nlohmann/json.hpp>

#include "standin/EnvironmentText.h"
#include "standin/Failures.h"
#include "standin/PathText.h"
#include "standin/ScenarioError.h"

namespace quillon::standin {

using automation::Value;

namespace {

struct Known {
    const char* name;
    int initial;
    ProfileVariables::Range range;
};

// The application's initial values, as its reference gives them.
constexpr Known kIntegers[] = {
    {"PROXYNOTICE", 1, {0, 1}}, {"DWGCHECK", 1, {0, 5}}, {"RECOVERAUTO", 0, {0, 3}},
    {"SECURELOAD", 1, {0, 2}},  {"SIGWARN", 1, {0, 1}},
};
constexpr const char* kFontAlt = "FONTALT";
constexpr const char* kFontAltInitial = "simplex.shx";
constexpr ProfileVariables::Range kSdi{0, 1};
constexpr ProfileVariables::Range kBackgroundPlot{0, 3};

// Instances share one profile and each rewrites it whole: without one writer at a time, one instance's read
// meets another's replace (the file briefly held or gone) or two changes cross, and values are lost, as the
// registry the application keeps them in never loses them. A folder beside it is the lock (made or not in one
// step on every system); one held past a few seconds is a killed instance's and is taken over.
class ProfileLock {
public:
    explicit ProfileLock(const std::string& path) {
        if (path.empty()) return;
        folder_ = toFsPath(path + ".lock");
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        std::error_code error;
        while (!std::filesystem::create_directory(folder_, error)) {
            if (error) {  // no lock can be made there: go on as a single instance would
                folder_.clear();
                return;
            }
            if (std::chrono::steady_clock::now() >= until) {
                std::filesystem::remove(folder_, error);
                until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~ProfileLock() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove(folder_, ignored);
    }
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

private:
    std::filesystem::path folder_;
};

}  // namespace

ProfileVariables::ProfileVariables(const Scenario& scenario, std::string path) : path_(std::move(path)) {
    values_["SDI"] = Value(static_cast<std::int16_t>(scenario.sdi));
    values_["BACKGROUNDPLOT"] = Value(static_cast<std::int16_t>(scenario.backgroundPlot));
    for (const auto& known : kIntegers) values_[known.name] = Value(static_cast<std::int16_t>(known.initial));
    values_[kFontAlt] = Value(std::string(kFontAltInitial));
    const nlohmann::json root = [&] {
        ProfileLock lock(path_);
        return readFile();
    }();
    for (auto& [name, value] : values_) {
        const auto found = root.find(name);
        if (found == root.end()) continue;
        if (value.kind() == Value::Kind::Text && found->is_string()) {
            value = Value(found->get<std::string>());
        } else if (const Range* range = rangeOf(name); range && found->is_number_integer()) {
            const auto number = found->get<std::int64_t>();
            if (number >= range->min && number <= range->max) value = Value(static_cast<std::int16_t>(number));
        }
    }
}

bool ProfileVariables::has(std::string_view upperName) {
    return upperName == kFontAlt || upperName == "SDI" || upperName == "BACKGROUNDPLOT" || rangeOf(upperName);
}

const ProfileVariables::Range* ProfileVariables::rangeOf(std::string_view upperName) {
    if (upperName == "SDI") return &kSdi;
    if (upperName == "BACKGROUNDPLOT") return &kBackgroundPlot;
    for (const auto& known : kIntegers)
        if (upperName == known.name) return &known.range;
    return nullptr;
}

nlohmann::json ProfileVariables::readFile() const {
    if (path_.empty()) return nlohmann::json::object();
    std::ifstream in(toFsPath(path_), std::ios::binary);
    if (!in) return nlohmann::json::object();  // a first start: the defaults
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    nlohmann::json root;
    try {
        root = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        throw ScenarioError("profile: not valid JSON in " + path_ + ": " + e.what());
    }
    if (!root.is_object()) throw ScenarioError("profile: " + path_ + " does not hold a JSON object");
    return root;
}

void ProfileVariables::set(const std::string& upperName, Value value) {
    values_.at(upperName) = std::move(value);
    save(upperName);
}

void ProfileVariables::save(const std::string& upperName) const {
    if (path_.empty()) return;
    ProfileLock lock(path_);
    nlohmann::json root;
    try {
        root = readFile();
    } catch (const ScenarioError&) {
        root = nlohmann::json::object();  // a damaged profile is written anew
    }
    const Value& value = values_.at(upperName);
    if (value.kind() == Value::Kind::Text) root[upperName] = value.toText();
    else root[upperName] = value.toInt();
    // Written beside it and moved over it: a reader never sees half a file, and instances share one profile.
    const std::string temporary = withProcessId(path_ + ".{pid}.tmp");
    {
        std::ofstream out(toFsPath(temporary), std::ios::binary | std::ios::trunc);
        out << root.dump(2) << "\n";
        if (!out) failed("Cannot write the profile " + temporary);
    }
    std::error_code error;
    std::filesystem::rename(toFsPath(temporary), toFsPath(path_), error);
    if (error) failed("Cannot write the profile " + path_ + ": " + error.message());
}

}  // namespace quillon::standin
