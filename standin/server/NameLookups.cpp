#include "standin/server/NameLookups.h"

#include <nlohmann/json.hpp>

#include "standin/PathText.h"

namespace quillon::standin_server {

std::string NameLookups::pathBeside(const std::string& journalPath) {
    return standin::joinPath(standin::folderOf(journalPath), "lookups-" + standin::fileNameOf(journalPath));
}

void NameLookups::writeTo(const std::string& path) {
    // Binary mode: one "\n" per line, as in the journal.
    out_.open(standin::toFsPath(path), std::ios::out | std::ios::app | std::ios::binary);
}

void NameLookups::record(const std::string& object, const std::string& member) {
    ++count_;
    if (!out_.is_open()) return;
    const nlohmann::json line{{"object", object}, {"member", member}};
    out_ << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    out_.flush();
}

}  // namespace quillon::standin_server
