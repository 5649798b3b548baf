#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "automation/Value.h"

namespace quillon::autocad {

// The user's values of the system variables Quillon has changed in the CAD
// application and not yet given back. The application keeps these variables
// in the user's profile, so a change outlives it: each value is written to
// Quillon's own settings before the change is made, and a Quillon that died
// owing it gives it back at its next connection. One object is shared by
// every CAD session of the program (their applications share the profile);
// any thread may use it.
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

    // The stored text of these values, and back; a text that cannot be read owes nothing.
    static std::string encode(const std::map<std::string, automation::Value>& values);
    static std::map<std::string, automation::Value> decode(const std::string& text);

private:
    void save();

    mutable std::mutex mutex_;
    std::shared_ptr<Store> store_;
    std::map<std::string, automation::Value> owed_;
};

}  // namespace quillon::autocad
