#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillon::plotting {

// The drawings a job stands for, as far as the files its earlier plots left behind go: a drawing whose plot
// files the record names, that is no longer there, and that lay where the job's drawings lie (in the folder
// listed, or beside one of its drawings) was one of the job's and was deleted or renamed. A plot record in a
// plot folder several jobs share never makes another job's drawings obsolete.
struct JobScope {
    std::set<std::string> listed;   // every drawing of the whole job, folded
    // The folders they lie in, and the folder listed: folded, and as spelt (without a trailing separator).
    std::map<std::string, std::string> folders;
    // For one part of a job: whether a drawing is this part's, so that one part alone tells of it.
    std::function<bool(const std::string&)> inPart;

    JobScope() = default;
    JobScope(const std::vector<std::string>& listing, const std::string& listedFolder,
             std::function<bool(const std::string&)> part);
    // Whether a drawing not in the listing was one of the job's.
    bool wasOfJob(const std::string& drawing) const;
};

}  // namespace quillon::plotting
