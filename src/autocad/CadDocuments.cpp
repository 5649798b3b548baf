#include "autocad/CadDocuments.h"

namespace quillon::autocad {

using automation::Value;

std::int32_t CadDocuments::count() { return documents_->get("Count").toInt(); }

CadDocument CadDocuments::add() { return CadDocument(documents_->call("Add").toObject()); }

CadDocument CadDocuments::add(const std::string& templateFile) {
    return CadDocument(documents_->call("Add", {automation::Value(templateFile)}).toObject());
}

CadDocument CadDocuments::open(const std::string& path, bool readOnly) {
    return CadDocument(documents_->call("Open", {Value(path), Value(readOnly)}).toObject());
}

std::vector<CadDocument> CadDocuments::items() {
    std::vector<CadDocument> out;
    for (auto& document : documents_->enumerate()) out.emplace_back(std::move(document));
    return out;
}

}  // namespace quillon::autocad
