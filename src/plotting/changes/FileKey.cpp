#include "plotting/changes/FileKey.h"

#include <cstdio>

// Header-only and private to this file: nothing of the library is exported.
#define XXH_INLINE_ALL
#include "xxhash.h"

namespace quillon::plotting {

std::optional<std::string> contentHash(base::FileSystem& files, const std::string& path) {
    XXH3_state_t* state = XXH3_createState();
    if (!state) return std::nullopt;
    XXH3_128bits_reset(state);
    const bool whole =
        files.readPieces(path, [state](std::string_view piece) { XXH3_128bits_update(state, piece.data(), piece.size()); });
    const XXH128_hash_t hash = XXH3_128bits_digest(state);
    XXH3_freeState(state);
    if (!whole) return std::nullopt;
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return std::string(text);
}

std::optional<FileKey> fileKeyOf(base::FileSystem& files, const std::string& path) {
    const auto stamp = files.stamp(path);
    if (!stamp) return std::nullopt;
    auto hash = contentHash(files, path);
    if (!hash) return std::nullopt;
    // Written while it was read: the stamp taken before no longer tells it; the next look hashes it again.
    if (const auto after = files.stamp(path); !after || *after != *stamp) return FileKey{{}, std::move(*hash)};
    return FileKey{*stamp, std::move(*hash)};
}

FileState fileStateOf(base::FileSystem& files, const std::string& path, const FileKey& recorded) {
    const auto stamp = files.stamp(path);
    if (!stamp) return FileState::Missing;
    if (*stamp == recorded.stamp) return FileState::Same;
    if (stamp->size != recorded.stamp.size) return FileState::Changed;
    const auto hash = contentHash(files, path);
    if (!hash) return FileState::Missing;
    return *hash == recorded.hash ? FileState::Same : FileState::Changed;
}

}  // namespace quillon::plotting
