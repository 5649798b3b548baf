#include "standin/Failures.h"

#include "automation/AutomationError.h"

namespace quillon::standin {

namespace hr = automation::hresult;

void failWith(std::int32_t code, std::string description) { throw automation::AutomationError(code, std::move(description)); }

void failed(std::string description) { failWith(hr::Fail, std::move(description)); }

void invalidInput(std::string description) { failWith(hr::InvalidArg, std::move(description)); }

// The real application names neither the key nor the collection.
void keyNotFound() { failWith(hr::Fail, "Key not found"); }

}  // namespace quillon::standin
