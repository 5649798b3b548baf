#pragma once

#include <utility>

#include "autocad/CadConnection.h"
#include "autocad/CadDocument.h"
#include "automation/AutomationError.h"
#include "base/Swallowed.h"

namespace quillon::plotting {

// Runs read(document) on a drawing Quillon opened or added only to read
// from it, then closes it unsaved, whatever read did. It is Quillon's while
// open; one that will not close stays Quillon's, for the exit to close.
template <class Read>
decltype(auto) readThenClose(autocad::CadConnection& connection, autocad::CadDocument document, Read&& read) {
    connection.rememberOpened(document);
    auto close = [&] {
        document.close();
        connection.forgetOpened(document);
        connection.ownDocumentClosed();
    };
    try {
        decltype(auto) result = std::forward<Read>(read)(document);
        close();
        return result;
    } catch (const automation::AutomationError& error) {
        if (!error.serverGone()) {
            try {
                close();
            } catch (const automation::AutomationError&) {
                base::swallowed("the first failure is the one the user is told of; the exit closes the drawing");
            }
        }
        throw;
    }
}

}  // namespace quillon::plotting
