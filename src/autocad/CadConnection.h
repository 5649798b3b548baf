#pragma once

#include <utility>

#include "autocad/CadApplication.h"
#include "autocad/CadLauncher.h"
#include "autocad/ConnectionUi.h"
#include "autocad/OpenedDocuments.h"
#include "automation/AutomationError.h"

namespace quillon::autocad {

// Texts the user sees while connecting.
namespace connection_text {
inline constexpr const char* OpeningStatus = "\r\nOpening Autocad in Background. Please Wait... ";
inline constexpr const char* FailureTitle = "Coult not start AutoCAD";
inline constexpr const char* FailureMessage =
    "Could not start autocad application. \r\n"
    "Start Autocad application and then retry Quillon\r\n"
    "Exiting Quillon now";
}  // namespace connection_text

// The one CAD application Quillon talks to during a run (AcadApp), whether
// Quillon had to start it (AcadStarted), and the drawings Quillon opened in it.
class CadConnection {
public:
    CadConnection(CadLauncher& launcher, ConnectionUi& ui) : launcher_(launcher), ui_(ui) {}
    CadConnection(const CadConnection&) = delete;
    CadConnection& operator=(const CadConnection&) = delete;

    // Attaches to a running application, else starts one; on failure tells
    // the user and closes the main window. Then allows several drawings at
    // once and makes sure one is open. Never throws an AutomationError;
    // returns whether AcadApp is set.
    bool connectAutoCAD();
    // Asks the application to quit, ignoring failure, and lets go of it.
    void quitAutoCAD();
    // The guard every CAD operation starts with: connect when not connected,
    // and go on regardless; returns whether AcadApp is set.
    bool ensureConnected();
    // Leaving Quillon: close the drawings Quillon opened, without saving, and
    // quit the application if Quillon started it. Never throws.
    void cleanUpAtExit();

    const automation::ObjectPtr& acadApp() const { return acadApp_; }
    bool acadStarted() const { return acadStarted_; }
    bool connected() const { return acadApp_ != nullptr; }
    // Throws AutomationError when not connected.
    CadApplication app() const;

    // Every CAD failure passes through here: a dead server empties AcadApp so
    // the next use connects again instead of failing for ever.
    void noteFailure(const automation::AutomationError& error);

    // Runs fn(CadApplication&) after the guard; a failure is noted, then rethrown.
    template <class Fn>
    decltype(auto) withApp(Fn&& fn) {
        ensureConnected();
        auto application = app();
        try {
            return std::forward<Fn>(fn)(application);
        } catch (const automation::AutomationError& error) {
            noteFailure(error);
            throw;
        }
    }

    void rememberOpened(CadDocument& document);
    // A blank drawing Quillon added: Quillon's only while the user leaves it unmodified.
    void rememberAdded(CadDocument& document);
    void forgetOpened(CadDocument& document);
    bool openedByQuillon(CadDocument& document);

private:
    bool startApplication();
    void prepareSession();
    void closeOpenedDocuments();
    void dropApplication();

    CadLauncher& launcher_;
    ConnectionUi& ui_;
    automation::ObjectPtr acadApp_;
    bool acadStarted_ = false;
    OpenedDocuments opened_;
};

}  // namespace quillon::autocad
