#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "automation/Value.h"

namespace quillon::autocad {

// The user's values of the system variables Quillon has changed in the CAD
// application and not yet given back. The application keeps these variables
// in the user's profile, so a change outlives it: each value is written to
// Quillon's own settings before the change is made, and a Quillon that died
// owing it gives it back at its next connection. One object is shared by
// every CAD session of the program (their applications share the profile);
// any thread may use it.
//
// With them, the drawings Quillon opened in the user's own application and
// has not closed yet, by full name: a Quillon that ended while that
// application did not answer left them open there, and its next connection
// closes them.
class OwedVariables {
public:
    // Where owed values are kept between runs of Quillon: one text, empty when nothing is owed.
    class Store {
    public:
        virtual ~Store() = default;
        virtual std::string read() const = 0;
        virtual void write(const std::string& text) = 0;
    };

    // Without a store the values are owed only as long as this object lives.
    explicit OwedVariables(std::shared_ptr<Store> store = nullptr);

    // Records the user's value before Quillon first changes it; a value already owed stays as first recorded
    // (the application then holds Quillon's, which another session may have set).
    void owe(const std::string& name, const automation::Value& users);
    void paid(const std::string& name);
    bool owes(const std::string& name) const;
    std::map<std::string, automation::Value> owed() const;

    // A drawing opened in the user's own application, recorded before Quillon works on it; and its close.
    void oweClose(const std::string& fullName);
    void closed(const std::string& fullName);
    // The drawings of the user's application Quillon has not closed yet, by full name.
    std::vector<std::string> owedCloses() const;
    // Those a Quillon that ended before this one left open: closed at the next connection.
    std::vector<std::string> leftOpenBefore() const;

    // What is owed, as the user is told it: "B.dwg open; BACKGROUNDPLOT and SDI changed"; empty
    // when nothing is.
    std::string leftChanged() const;

    // The stored text of these values and drawings, and back; a text that cannot be read owes nothing.
    static std::string encode(const std::map<std::string, automation::Value>& values,
                              const std::vector<std::string>& open = {});
    static std::map<std::string, automation::Value> decode(const std::string& text);
    static std::vector<std::string> decodeOpen(const std::string& text);

private:
    void save();

    mutable std::mutex mutex_;
    std::shared_ptr<Store> store_;
    std::map<std::string, automation::Value> owed_;
    // Full names, each once; and those read from the store at the start.
    std::vector<std::string> open_;
    std::vector<std::string> openBefore_;
};

}  // namespace quillon::autocad
