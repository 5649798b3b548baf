#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "autocad/CadApplication.h"
#include "autocad/CadLauncher.h"
#include "autocad/CallMonitor.h"
#include "autocad/ConnectionUi.h"
#include "autocad/OpenedDocuments.h"
#include "autocad/ProfileChanges.h"
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
// Leaving Quillon did not quit the application it started because of this.
inline constexpr const char* LeftRunningLead = "AutoCAD was left running: it holds unsaved changes to ";
// Leaving Quillon ended the application it started instead of quitting it, because of this.
inline constexpr const char* EndedLead = "AutoCAD was ended instead of quit: ";
}  // namespace connection_text

// The one CAD application Quillon talks to during a run (AcadApp), whether
// Quillon had to start it (AcadStarted), and the drawings Quillon opened in it.
class CadConnection {
public:
    CadConnection(CadLauncher& launcher, ConnectionUi& ui, std::shared_ptr<CallMonitor> monitor = nullptr);
    CadConnection(const CadConnection&) = delete;
    CadConnection& operator=(const CadConnection&) = delete;

    // Attaches to a running application, else starts one; a start that fails
    // is recorded for takeStartFailure(). Then allows several drawings at
    // once and makes sure one is open. A running application in a
    // single-document mode of its own (SDI 2 or 3) is not used: Quillon
    // starts one of its own, and a start that fails names SDI. Never throws
    // an AutomationError; returns whether AcadApp is set.
    bool connectAutoCAD();
    // After the application Quillon started was lost in a run: starts a new
    // one (never attaching to one the user may have started meanwhile) and
    // prepares it as connecting does. The window stays as it is.
    bool restartAutoCAD();
    // Replaces the application Quillon started, while it still works, by a fresh one: Quillon's values
    // given back, its drawings closed, the old one quit. False (and nothing done) for the user's own.
    bool renewAutoCAD();
    // Has one more application of Quillon's started in the background while the one held works on, for the
    // next start to find ready. Only beside an application Quillon started: the user's own is never
    // replaced, so it never needs one. Empty when on its way (or not wanted), otherwise why it could not be.
    std::string startSpare() { return acadApp_ && acadStarted() ? launcher_.startSpare() : std::string(); }
    // Ends what startSpare() started and no start has taken since.
    void endSpares() { launcher_.endSpares(); }
    // The private memory of the application Quillon started, where it can be read.
    std::optional<std::uint64_t> privateMemoryMB();
    // Whether an attempt to start the application failed since the last call.
    bool takeStartFailure();
    // What the system said when the application last failed to start.
    const std::string& startFailureReason() const { return startFailureReason_; }
    // How the last start went when it needed more than one attempt (for the console, not a warning); empty
    // when it did not, or once taken.
    std::string takeStartNote() { return std::exchange(startNote_, {}); }
    // Asks the application to quit and lets go of it. One Quillon started that refuses (in the middle of
    // a command) is ended instead.
    void quitAutoCAD();
    // Ends the application Quillon started, without asking it anything, and lets go of it: for an
    // application holding a drawing of Quillon's that would not close, which Quit would sit on with a
    // save question nobody sees. False, and nothing done, when it cannot be ended (then it is not quit
    // either: Quillon lets go of it).
    bool endAutoCAD();
    // The guard every CAD operation starts with: connect when not connected,
    // and go on regardless; returns whether AcadApp is set.
    bool ensureConnected();
    // Leaving Quillon: close the drawings Quillon opened, without saving, and
    // quit the application if Quillon started it, unless a drawing left in it
    // has unsaved changes (the user's work: the application would sit on its
    // save question, which nobody sees). One still holding a drawing of
    // Quillon's that would not close is ended instead. Never throws.
    void cleanUpAtExit();
    // What the last clean-up did with an application Quillon started that the user is told: left it
    // running, or ended it; empty when it quit as asked.
    const std::string& cleanUpNotice() const { return cleanUpNotice_; }

    // What this connection owes the user's profile, shared with the program's other sessions and kept in
    // Quillon's settings. Set before the first connection.
    void keepOwedIn(std::shared_ptr<OwedVariables> owed) { changes_.share(std::move(owed)); }
    const std::shared_ptr<OwedVariables>& owed() const { return changes_.owed(); }

    // Plots run in the foreground: BACKGROUNDPLOT is set to 0 through the
    // document about to be plotted, the user's value owed first.
    void plotInForeground(CadDocument& document);
    // Opens a drawing with what the application would ask its user kept
    // away. In an application Quillon started the variables are set before
    // the first Open and stay so until given back; in the user's own they
    // are set for this Open only and given back right after it, so the
    // user's work never runs with them changed. SDI, which the application
    // will not set back to 1 while a second drawing is open, and
    // BACKGROUNDPLOT, which the plots need, are changed there for as long as
    // a drawing of Quillon's is open: see ownDocumentClosed.
    // active is the application's active document when the caller has just read it: not read again.
    CadDocument openQuietly(CadDocuments& documents, const std::string& path, bool readOnly,
                            std::optional<CadDocument> active = std::nullopt);
    // Adds a blank drawing of Quillon's own (from the template, when one is named) to read from. In the
    // user's own application SDI is turned off for it as for an open (see ownDocumentClosed).
    CadDocument addDrawing(CadDocuments& documents, const std::string& templateFile = {});
    // Told after each drawing of Quillon's is closed, or an Open gave none
    // (the user's own document handed back): in the user's own application,
    // once none of Quillon's is left open, SDI and BACKGROUNDPLOT go back to
    // the user's values. Never throws; what stays owed is given back later.
    void ownDocumentClosed();
    // Gives back every value owed (a run's end, leaving, and each new
    // connection, since an application lost, or a Quillon that died, left
    // Quillon's values in the profile). Never throws.
    void putBackVariables();

    // Whether an Open takes the place of the drawing open (SDI 2 or 3 in the application held).
    bool opensReplace() { return acadApp_ && applicationsSingleDocumentMode() != 0; }

    const automation::ObjectPtr& acadApp() const { return acadApp_; }
    // The application's Documents collection. It lives as long as its application, so it is asked for once
    // per application held: a new or restarted one is asked again. Throws AutomationError when not connected.
    CadDocuments documents();
    // Every call to the application is announced here.
    const std::shared_ptr<CallMonitor>& monitor() const { return monitor_; }
    bool acadStarted() const { return origin_ == Origin::Started; }
    // Whether the application last lost (as a dead server) was one Quillon started.
    bool lostStartedApplication() const { return !acadApp_ && origin_ == Origin::StartedLost; }
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

    // A drawing Quillon opened: in the user's own application its close is owed, in Quillon's settings, until
    // it is closed (see OwedVariables).
    void rememberOpened(CadDocument& document);
    // A blank drawing Quillon added: Quillon's only while the user leaves it unmodified.
    void rememberAdded(CadDocument& document);
    void forgetOpened(CadDocument& document);
    bool openedByQuillon(CadDocument& document);

private:
    bool startApplication(bool hideWindow);
    void prepareSession();
    void turnOffSingleDocumentMode(CadDocument& document);
    // SDI 2 or 3 (the application's own single-document modes, which a program must not change: the next
    // Open takes the place of the drawing open), read through the active document; 0 otherwise.
    int applicationsSingleDocumentMode();
    void giveBackOwed(CadDocument& document);
    // Closes, unsaved, what a Quillon that ended first left open in this application: read-only, as Quillon
    // opens every drawing (what it changed there was its own plot set-up); a copy open for editing is the user's.
    void closeLeftOpen();
    void attachTo(automation::ObjectPtr application, bool started);
    // The documents left open after closing Quillon's own: the user's, and the names of Quillon's that would
    // not close.
    struct LeftOpen {
        std::vector<CadDocument> users;
        std::vector<std::string> quillons;
    };
    LeftOpen closeOpenedDocuments();
    std::string unsavedWork(std::vector<CadDocument>& left);
    // The document's name for a message; a stand-in wording when it cannot be read.
    std::string nameOf(CadDocument& document);
    void dropApplication();

    CadLauncher& launcher_;
    ConnectionUi& ui_;
    std::shared_ptr<CallMonitor> monitor_;
    automation::ObjectPtr acadApp_;
    // Documents of the application held, with the object it was read from: any other acadApp_ reads its own.
    struct KnownDocuments {
        automation::ObjectPtr application;
        CadDocuments documents;
    };
    std::optional<KnownDocuments> documents_;
    // Who started the application held, or last held. Quitting Quillon's own leaves it Started: what follows
    // a quit is a start or Quillon's end.
    enum class Origin {
        UsersOwn,     // attached to a running one, or none yet: leaving Quillon leaves it running
        Started,      // Quillon started it: leaving Quillon quits it
        StartedLost,  // Quillon's own died; nothing attached since
    };
    Origin origin_ = Origin::UsersOwn;
    // A start failed and takeStartFailure() has not told it yet; a notice, not a state: it outlives an attach.
    bool startFailureUntold_ = false;
    std::string startFailureReason_;
    std::string startNote_;
    std::optional<std::uint32_t> startedProcess_;
    OpenedDocuments opened_;
    // The drawings this connection owes a close in the user's own application, with their full names.
    std::vector<std::pair<automation::ObjectPtr, std::string>> owedCloses_;
    ProfileChanges changes_{std::make_shared<OwedVariables>()};
    // Quillon's values are set in this application since they were last given back.
    bool quietened_ = false;
    std::string cleanUpNotice_;
};

}  // namespace quillon::autocad
