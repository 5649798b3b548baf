#pragma once

#include <cstdint>
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

// The part a drawing belongs to, from its path alone: the 64-bit FNV-1a hash
// of the UTF-8 bytes of its path relative to base (the job's folder; empty,
// or a path outside it: the path as it stands), folded as the file system
// compares paths (foldedPath: case, '/' and '\' alike), modulo N, plus 1. The
// rule is a contract between workstations and between versions: adding,
// removing or renaming one drawing moves only that drawing, and every
// workstation decides alike whatever order its file system lists them in.
int partOf(const std::string& path, const std::string& base, int parts);
// The 64-bit FNV-1a hash of the bytes (offset basis 14695981039346656037, prime 1099511628211).
std::uint64_t fnv1a64(std::string_view bytes);

// The drawings of one part, in the order given.
std::vector<std::string> drawingsOfPart(std::vector<std::string> paths, const JobPart& part,
                                        const std::string& base = "");

}  // namespace quillon::plotting
