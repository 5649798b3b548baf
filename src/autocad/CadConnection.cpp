#include "autocad/CadConnection.h"

#include <algorithm>

#include "autocad/MonitoredObject.h"
#include "base/Paths.h"
#include "base/Swallowed.h"

namespace quillon::autocad {

using automation::AutomationError;

CadConnection::CadConnection(CadLauncher& launcher, ConnectionUi& ui, std::shared_ptr<CallMonitor> monitor)
    : launcher_(launcher), ui_(ui), monitor_(std::move(monitor)) {}

CadApplication CadConnection::app() const {
    if (!acadApp_) throw AutomationError(automation::hresult::Fail, "Not connected to AutoCAD");
    return CadApplication(acadApp_);
}

CadDocuments CadConnection::documents() {
    auto application = app();
    if (!documents_ || documents_->application != acadApp_)
        documents_.emplace(KnownDocuments{acadApp_, application.documents()});
    return documents_->documents;
}

void CadConnection::noteFailure(const AutomationError& error) {
    if (!error.serverGone()) return;
    // The instance Quillon started is gone; whatever the next use attaches to
    // may be the user's own, which leaving Quillon must not quit.
    if (origin_ == Origin::Started) origin_ = acadApp_ ? Origin::StartedLost : Origin::UsersOwn;
    dropApplication();
}

void CadConnection::dropApplication() {
    acadApp_.reset();
    documents_.reset();
    if (monitor_) monitor_->setServer(std::nullopt, false);
    // The drawings died with the server; a new instance may reuse their names.
    opened_.clear();
    for (const auto& [document, name] : owedCloses_) changes_.owed()->closed(name);
    owedCloses_.clear();
}

void CadConnection::attachTo(automation::ObjectPtr application, bool started) {
    // Attaching again to the application already held keeps what is known of its process.
    const bool same = acadApp_ && application && acadApp_->sameObject(*application);
    acadApp_ = MonitoredObject::wrap(std::move(application), "Application", monitor_);
    if (origin_ == Origin::StartedLost) origin_ = Origin::UsersOwn;
    if (!same) quietened_ = false;
    if (!same && monitor_) monitor_->setServer(std::nullopt, started);
}

bool CadConnection::connectAutoCAD() {
    try {
        attachTo(launcher_.connectRunning(), false);
    } catch (const AutomationError&) {
        acadApp_.reset();  // nothing running: start one below
    }
    const int usersMode = acadApp_ ? applicationsSingleDocumentMode() : 0;
    // Nothing is opened there: a drawing of Quillon's would take the place of the user's. It is let go of
    // untouched, and Quillon plots in an application of its own.
    if (usersMode) dropApplication();
    if (!acadApp_ && !startApplication(true)) {
        if (usersMode)
            startFailureReason_ = "AutoCAD is running in single-document mode (SDI " + std::to_string(usersMode) +
                                  ", set by an add-on that works with one drawing at a time), where a drawing Quillon "
                                  "opened would take the place of yours, and an AutoCAD of Quillon's own could not be "
                                  "started: " + startFailureReason_;
        return false;
    }
    prepareSession();
    return connected();
}

int CadConnection::applicationsSingleDocumentMode() {
    try {
        const int sdi = CadApplication(acadApp_).activeDocument().getVariable("SDI").toInt();
        return sdi >= 2 ? sdi : 0;
    } catch (const AutomationError& error) {
        // Nothing open to ask through: nothing of the user's an open could take the place of.
        noteFailure(error);
        return 0;
    }
}

bool CadConnection::restartAutoCAD() {
    dropApplication();
    if (origin_ == Origin::Started) origin_ = Origin::UsersOwn;
    if (!startApplication(false)) return false;
    prepareSession();
    return connected();
}

bool CadConnection::renewAutoCAD() {
    if (!acadApp_ || !acadStarted()) return false;
    // What leaving Quillon does, so that nothing of the user's is lost: an old application holding unsaved
    // work is left running (and said so), never quit.
    cleanUpAtExit();
    return restartAutoCAD();
}

std::optional<std::uint64_t> CadConnection::privateMemoryMB() {
    if (!acadApp_ || !acadStarted() || !startedProcess_) return std::nullopt;
    return launcher_.privateMemoryMB(*startedProcess_);
}

bool CadConnection::takeStartFailure() {
    return std::exchange(startFailureUntold_, false);
}

bool CadConnection::startApplication(bool hideWindow) {
    ui_.setStatus(connection_text::OpeningStatus);
    if (hideWindow) ui_.hideMainWindow();
    try {
        attachTo(launcher_.createInstance(), true);
        // Known before the first call to it, which may already hang: then it can still be ended.
        if (monitor_) monitor_->setServer(launcher_.createdProcess(), true);
        try {
            CadApplication(acadApp_).setVisible(true);
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            base::swallowed(
                "an application that cannot show itself still plots; only a dead one counts as not started");
        }
    } catch (const AutomationError& error) {
        acadApp_.reset();
        startFailureReason_ = error.description().empty() ? error.what() : error.description();
    }
    if (!acadApp_) {
        startFailureUntold_ = true;
        if (monitor_) monitor_->setServer(std::nullopt, false);
        return false;
    }
    startedProcess_ = launcher_.createdProcess();
    startNote_ = launcher_.startNote();
    if (monitor_) {
        // Known now, while it answers: once it hangs it cannot be asked.
        std::optional<std::uint32_t> process;
        try {
            process = launcher_.processOfWindow(CadApplication(acadApp_).hwnd());
        } catch (const AutomationError&) {
            base::swallowed("without its window the application can still be used, only not ended when it hangs");
        }
        if (!process) process = launcher_.createdProcess();
        startedProcess_ = process;
        monitor_->setServer(process, true);
    }
    if (hideWindow) ui_.showMainWindow();
    origin_ = Origin::Started;
    return true;
}

void CadConnection::turnOffSingleDocumentMode(CadDocument& document) {
    // Several drawings open at once is what a plot run needs. Modes 2 and 3
    // are the application's own and read-only: they are left alone.
    changes_.change(document, "SDI");
}

void CadConnection::closeLeftOpen() {
    const auto left = changes_.owed()->leftOpenBefore();
    if (left.empty()) return;
    auto isLeft = [&](const std::string& fullName) {
        return std::any_of(left.begin(), left.end(), [&](const std::string& name) { return base::samePath(name, fullName); });
    };
    try {
        for (auto& document : documents().items()) {
            try {
                // Quillon opens every drawing read-only: one of that name open for editing is the user's own.
                if (!isLeft(document.fullName()) || !document.readOnly()) continue;
                document.close();
            } catch (const AutomationError& error) {
                if (error.serverGone()) throw;
                base::swallowed("a drawing that will not close or cannot be asked is left to the user");
            }
        }
    } catch (const AutomationError& error) {
        noteFailure(error);
        // Gone with the application; a living one is asked again at the next connection.
        if (acadApp_) return;
    }
    for (const auto& name : left) changes_.owed()->closed(name);
}

void CadConnection::prepareSession() {
    CadApplication application(acadApp_);
    // Before the variables: SDI goes back to 1 only once Quillon's drawings are closed.
    closeLeftOpen();
    if (!acadApp_) return;
    bool modeChecked = false;
    try {
        auto document = application.activeDocument();
        modeChecked = true;
        giveBackOwed(document);
        // In the user's own application each open of Quillon's turns it off for itself.
        if (acadStarted()) turnOffSingleDocumentMode(document);
    } catch (const AutomationError& error) {
        // No active document yet: the drawing added below supplies one.
        noteFailure(error);
    }
    if (!acadApp_) return;
    try {
        auto collection = documents();
        if (collection.count() == 0) {
            auto added = collection.add();
            rememberAdded(added);
            // A fresh application in single-document mode has no document to
            // ask until this one: without it every later open would be refused.
            if (!modeChecked) {
                giveBackOwed(added);
                if (acadStarted()) turnOffSingleDocumentMode(added);
            }
        }
    } catch (const AutomationError& error) {
        // Later operations add a drawing themselves when they find none.
        noteFailure(error);
    }
}

void CadConnection::giveBackOwed(CadDocument& document) {
    // An application lost, or a Quillon that died, while owing the user's values left Quillon's in the profile.
    if (changes_.owesAnything()) changes_.putBackAll(document);
    quietened_ = false;
}

void CadConnection::plotInForeground(CadDocument& document) { changes_.change(document, "BACKGROUNDPLOT"); }

CadDocument CadConnection::openQuietly(CadDocuments& documents, const std::string& path, bool readOnly,
                                       std::optional<CadDocument> active) {
    std::vector<std::string> around;
    try {
        if (!acadStarted()) {
            if (!active) active = CadApplication(acadApp_).activeDocument();
            turnOffSingleDocumentMode(*active);
            around = changes_.quietOpens(*active);
        } else if (!quietened_) {
            // Given back at the end of every run: the next run sets them again. Until then Quillon's own
            // application keeps them, and an open needs nothing of its active document.
            if (!active) active = CadApplication(acadApp_).activeDocument();
            turnOffSingleDocumentMode(*active);
            changes_.quietOpens(*active);
            quietened_ = true;
        }
    } catch (const AutomationError& error) {
        if (error.serverGone()) throw;
        base::swallowed("without a document to set them through, the open goes ahead as it would have");
    }
    auto giveBack = [&] {
        if (around.empty() || !active) return;
        try {
            changes_.putBack(*active, around);
        } catch (const AutomationError& error) {
            // Still owed: the next connection gives them back.
            noteFailure(error);
        }
    };
    try {
        auto document = documents.open(path, readOnly);
        giveBack();
        return document;
    } catch (const AutomationError& error) {
        if (!error.serverGone()) {
            giveBack();
            // No drawing came of it: SDI and BACKGROUNDPLOT go back unless another of Quillon's is open.
            ownDocumentClosed();
        }
        throw;
    }
}

CadDocument CadConnection::addDrawing(CadDocuments& documents, const std::string& templateFile) {
    if (!acadStarted()) {
        try {
            auto active = CadApplication(acadApp_).activeDocument();
            turnOffSingleDocumentMode(active);
        } catch (const AutomationError& error) {
            if (error.serverGone()) throw;
            base::swallowed("with no document to set it through, the add goes ahead as it would have");
        }
    }
    try {
        return templateFile.empty() ? documents.add() : documents.add(templateFile);
    } catch (const AutomationError& error) {
        if (!error.serverGone()) ownDocumentClosed();
        throw;
    }
}

void CadConnection::ownDocumentClosed() {
    if (acadStarted() || !acadApp_ || opened_.anyOpened()) return;
    try {
        // Only the user's drawings are left: the active one reaches the session's variables.
        auto document = CadApplication(acadApp_).activeDocument();
        changes_.putBack(document, {"SDI", "BACKGROUNDPLOT"});
    } catch (const AutomationError& error) {
        // Still owed: the end of the run gives them back.
        noteFailure(error);
    }
}

void CadConnection::putBackVariables() {
    if (!acadApp_ || !changes_.owesAnything()) return;
    try {
        // Session variables: any document reaches them, and Quillon's may all be closed by now.
        auto document = CadApplication(acadApp_).activeDocument();
        changes_.putBackAll(document);
        quietened_ = false;
    } catch (const AutomationError& error) {
        // Still owed: the next run or connection tries again.
        noteFailure(error);
    }
}

void CadConnection::quitAutoCAD() {
    if (!acadApp_) return;
    try {
        CadApplication(acadApp_).quit();
    } catch (const AutomationError& error) {
        // Refusing (in the middle of a command), Quillon's own would stay behind, hidden: it is ended.
        if (!error.serverGone() && acadStarted() && endAutoCAD()) return;
        base::swallowed("already gone, or the user's own: Quillon lets go of it either way");
    }
    dropApplication();
}

bool CadConnection::endAutoCAD() {
    if (!acadApp_ || !acadStarted() || !monitor_ || !monitor_->endServer()) return false;
    dropApplication();
    return true;
}

bool CadConnection::ensureConnected() {
    // An add-on may have put the user's application into a single-document mode since Quillon attached:
    // a drawing opened now would take the place of the user's, so Quillon gives back what it changed there
    // and goes to an application of its own.
    if (acadApp_ && origin_ == Origin::UsersOwn && opened_.empty() && applicationsSingleDocumentMode()) {
        putBackVariables();
        dropApplication();
    }
    if (!acadApp_) connectAutoCAD();
    return connected();
}

void CadConnection::cleanUpAtExit() {
    cleanUpNotice_.clear();
    if (!acadApp_) return;
    putBackVariables();
    auto left = closeOpenedDocuments();
    // SDI 1 is refused while Quillon's drawings are open: tried again once they are closed.
    putBackVariables();
    if (!acadStarted()) return;
    if (!left.quillons.empty()) {
        std::string names;
        for (const auto& name : left.quillons) names += (names.empty() ? "" : ", ") + name;
        // Quit would ask whether to save it, and wait for ever on a box nobody sees.
        if (endAutoCAD()) {
            cleanUpNotice_ = connection_text::EndedLead + names + " would not close.";
            return;
        }
        cleanUpNotice_ = "AutoCAD was left running: " + names + " would not close and AutoCAD could not be ended.";
        dropApplication();
        origin_ = Origin::UsersOwn;
        return;
    }
    const std::string work = unsavedWork(left.users);
    if (work.empty()) return quitAutoCAD();
    cleanUpNotice_ = connection_text::LeftRunningLead + work + ".";
    // From now on it is the user's application: Quillon lets go of it without quitting.
    dropApplication();
    origin_ = Origin::UsersOwn;
}

CadConnection::LeftOpen CadConnection::closeOpenedDocuments() {
    std::vector<CadDocument> open;
    LeftOpen left;
    try {
        auto collection = documents();
        if (collection.count() < 1) return left;
        open = collection.items();
    } catch (const AutomationError& error) {
        // A dead application at exit must not keep Quillon from closing.
        noteFailure(error);
        return left;
    }
    for (auto& document : open) {
        bool quillons = false;
        try {
            if (!openedByQuillon(document)) {
                left.users.push_back(document);
                continue;
            }
            quillons = true;
            // Known by its name only while it is open.
            opened_.forget(document);
            document.close();
        } catch (const AutomationError& error) {
            // One drawing refusing to close does not keep the others open.
            noteFailure(error);
            if (!acadApp_) return {};
            if (quillons) left.quillons.push_back(nameOf(document));
        }
    }
    return left;
}

std::string CadConnection::nameOf(CadDocument& document) {
    std::string name = "a drawing of Quillon's";
    try {
        name = document.name();
    } catch (const AutomationError& error) {
        noteFailure(error);
    }
    return name;
}

std::string CadConnection::unsavedWork(std::vector<CadDocument>& left) {
    std::string names;
    for (auto& document : left) {
        try {
            if (document.getVariable("DBMOD").toInt() == 0) continue;
            names += (names.empty() ? "" : ", ") + document.name();
        } catch (const AutomationError& error) {
            // Quitting an application that cannot be asked is what Quillon did before; a dead one needs nothing.
            noteFailure(error);
            if (!acadApp_) return {};
        }
    }
    return names;
}

void CadConnection::rememberOpened(CadDocument& document) {
    const auto known = opened_.remember(document);
    if (!acadApp_ || acadStarted()) return;
    std::string fullName;
    try {
        // The name it was just remembered by is still its name.
        fullName = known ? *known : document.fullName();
    } catch (const AutomationError& error) {
        noteFailure(error);
        base::swallowed("a drawing that cannot be named is closed while Quillon runs, and only then");
    }
    if (fullName.empty()) return;
    owedCloses_.emplace_back(document.raw(), fullName);
    changes_.owed()->oweClose(fullName);
}

void CadConnection::rememberAdded(CadDocument& document) { opened_.rememberAdded(document); }

void CadConnection::forgetOpened(CadDocument& document) {
    opened_.forget(document);
    if (owedCloses_.empty()) return;
    // Known by the object, since a closed drawing no longer tells its name; else by the name it tells.
    const auto& object = document.raw();
    auto owed = std::find_if(owedCloses_.begin(), owedCloses_.end(), [&](const auto& entry) {
        return entry.first && object && entry.first->sameObject(*object);
    });
    if (owed == owedCloses_.end()) {
        std::string named;
        try {
            named = document.fullName();
        } catch (const AutomationError& error) {
            noteFailure(error);
            base::swallowed("still owed: the next connection closes it if it is still open as Quillon left it");
        }
        owed = std::find_if(owedCloses_.begin(), owedCloses_.end(),
                            [&](const auto& entry) { return !named.empty() && base::samePath(entry.second, named); });
    }
    if (owed == owedCloses_.end()) return;
    const std::string fullName = owed->second;
    owedCloses_.erase(owed);
    // Another drawing of Quillon's of the same file keeps it owed.
    for (const auto& [other, name] : owedCloses_)
        if (name == fullName) return;
    changes_.owed()->closed(fullName);
}

bool CadConnection::openedByQuillon(CadDocument& document) { return opened_.contains(document); }

}  // namespace quillon::autocad
