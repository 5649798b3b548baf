#pragma once

#include <cstdint>
#include <string>

#include "standin/ModelObject.h"

namespace quillon::standin {

// A collection that belongs to one drawing (its blocks, its layouts): Count,
// Application and Item by index or by name, the way the real collections
// answer them, over the items a subclass lists.
class DrawingCollectionObject : public ModelObject {
public:
    DrawingCollectionObject(std::shared_ptr<EngineState> state, std::shared_ptr<DrawingModel> doc);

protected:
    MemberTable members() const final;
    const DrawingModel* drawing() const final { return doc_.get(); }
    automation::Value read(std::string_view member) override;
    automation::Value invoke(std::string_view member, std::span<const automation::Value> args) override;

    // The item whose name is key (names ignore letter case); fails as the real collection does when there is none.
    virtual automation::ObjectPtr itemNamed(const std::string& key) = 0;

    const std::shared_ptr<DrawingModel>& doc() const { return doc_; }

private:
    std::shared_ptr<DrawingModel> doc_;
};

}  // namespace quillon::standin
