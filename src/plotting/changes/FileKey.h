#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/FileSystem.h"

namespace quillon::plotting {

// A file as a plot was made from it: its size and last write time, which tell
// quickly that it is the file seen before, and the hash of its content, which
// tells whether a file copied or touched since still holds the same.
struct FileKey {
    base::FileStamp stamp;
    // 32 hex digits of the content's 128-bit XXH3 hash.
    std::string hash;
    bool operator==(const FileKey&) const = default;
};

// The hash of the file's whole content; nothing when it cannot be read to its end.
std::optional<std::string> contentHash(base::FileSystem& files, const std::string& path);
// The file's stamp and hash; nothing when there is no file there or it cannot be read.
std::optional<FileKey> fileKeyOf(base::FileSystem& files, const std::string& path);

// Whether the file at path still holds what `recorded` describes: the same stamp is enough; a different
// one (a copy, a touch) is looked into, and only different content is a change.
enum class FileState { Same, Changed, Missing };
FileState fileStateOf(base::FileSystem& files, const std::string& path, const FileKey& recorded);

}  // namespace quillon::plotting
