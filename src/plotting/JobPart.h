#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::plotting {

// One of several disjoint parts of a job, so that several workstations can
// each run the same job with their own part and together plot every drawing
// exactly once without talking to each other.
struct JobPart {
    int part = 1;   // K, from 1
    int parts = 1;  // N, at most MaxParts
    static constexpr int MaxParts = 64;

    // "part 2 of 4": in the report's file name and its Part column.
    std::string text() const;
    bool operator==(const JobPart&) const = default;
};

// "K/N" with 1 <= K <= N <= 64; nothing when the text is anything else.
std::optional<JobPart> parseJobPart(std::string_view text);

// The drawings of one part: all of them in a fixed order (full path, letters
// ignoring case, then as written), drawing i (from 0) going to part
// (i mod N) + 1. Every workstation computes the same order from the same
// drawings, whatever order its file system lists them in.
std::vector<std::string> drawingsOfPart(std::vector<std::string> paths, const JobPart& part);

}  // namespace quillon::plotting
