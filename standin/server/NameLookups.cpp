#include "standin/server/NameLookups.h"

#include "standin/PathText.h"

namespace quillon::standin_server {

void NameLookups::writeTo(const std::string& path) {
    // Binary mode: one "\n" per line, as in the journal.
    out_.open(standin::toFsPath(path), std::ios::out | std::ios::app | std::ios::binary);
}

void NameLookups::record(std::string_view object, std::string_view member) {
    ++count_;
    if (!out_.is_open()) return;
    out_ << object << '\t' << member << '\n';
    out_.flush();
}

}  // namespace quillon::standin_server
