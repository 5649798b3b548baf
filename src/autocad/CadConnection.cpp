#include "autocad/CadConnection.h"

namespace quillon::autocad {

using automation::AutomationError;

CadApplication CadConnection::app() const {
    if (!acadApp_) throw AutomationError(automation::hresult::Fail, "Not connected to AutoCAD");
    return CadApplication(acadApp_);
}

void CadConnection::noteFailure(const AutomationError& error) {
    if (!error.serverGone()) return;
    dropApplication();
    // The instance Quillon started is gone; whatever the next use attaches to
    // may be the user's own, which leaving Quillon must not quit.
    acadStarted_ = false;
}

void CadConnection::dropApplication() {
    acadApp_.reset();
    // The drawings died with the server; a new instance may reuse their names.
    opened_.clear();
}

bool CadConnection::connectAutoCAD() {
    try {
        acadApp_ = launcher_.connectRunning();
    } catch (const AutomationError&) {
        acadApp_.reset();  // nothing running: start one below
    }
    if (!acadApp_ && !startApplication()) return false;
    prepareSession();
    return connected();
}

bool CadConnection::startApplication() {
    ui_.setStatus(connection_text::OpeningStatus);
    ui_.hideMainWindow();
    try {
        acadApp_ = launcher_.createInstance();
        try {
            CadApplication(acadApp_).setVisible(true);
        } catch (const AutomationError& error) {
            // An application that cannot show itself still plots; only a
            // dead one counts as not started.
            if (error.serverGone()) throw;
        }
    } catch (const AutomationError&) {
        acadApp_.reset();
    }
    if (!acadApp_) {
        ui_.showInformation(connection_text::FailureTitle, connection_text::FailureMessage);
        ui_.closeMainWindow();
        return false;
    }
    ui_.showMainWindow();
    acadStarted_ = true;
    return true;
}

void CadConnection::prepareSession() {
    CadApplication application(acadApp_);
    try {
        // Several drawings open at once is what a plot run needs.
        auto document = application.activeDocument();
        if (document.getVariable("SDI").toInt() == 1) document.setVariable("SDI", 0);
    } catch (const AutomationError& error) {
        // No active document yet: the drawing added below supplies one.
        noteFailure(error);
    }
    if (!acadApp_) return;
    try {
        auto documents = application.documents();
        if (documents.count() == 0) {
            auto added = documents.add();
            rememberAdded(added);
        }
    } catch (const AutomationError& error) {
        // Later operations add a drawing themselves when they find none.
        noteFailure(error);
    }
}

void CadConnection::quitAutoCAD() {
    if (!acadApp_) return;
    try {
        CadApplication(acadApp_).quit();
    } catch (const AutomationError&) {
        // Already gone or refusing: Quillon lets go of it either way.
    }
    dropApplication();
}

bool CadConnection::ensureConnected() {
    if (!acadApp_) connectAutoCAD();
    return connected();
}

void CadConnection::cleanUpAtExit() {
    if (!acadApp_) return;
    closeOpenedDocuments();
    if (acadStarted_) quitAutoCAD();
}

void CadConnection::closeOpenedDocuments() {
    std::vector<CadDocument> documents;
    try {
        auto collection = CadApplication(acadApp_).documents();
        if (collection.count() < 1) return;
        documents = collection.items();
    } catch (const AutomationError& error) {
        // A dead application at exit must not keep Quillon from closing.
        noteFailure(error);
        return;
    }
    for (auto& document : documents) {
        try {
            if (!openedByQuillon(document)) continue;
            // Known by its name only while it is open.
            opened_.forget(document);
            document.close();
        } catch (const AutomationError& error) {
            // One drawing refusing to close does not keep the others open.
            noteFailure(error);
            if (!acadApp_) return;
        }
    }
}

void CadConnection::rememberOpened(CadDocument& document) { opened_.remember(document); }

void CadConnection::rememberAdded(CadDocument& document) { opened_.rememberAdded(document); }

void CadConnection::forgetOpened(CadDocument& document) { opened_.forget(document); }

bool CadConnection::openedByQuillon(CadDocument& document) { return opened_.contains(document); }

}  // namespace quillon::autocad
