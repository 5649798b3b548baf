#include "standin/ScenarioFaults.h"

#include <cstdint>
#include <limits>

#include "automation/AutomationError.h"
#include "standin/ObjectKinds.h"
#include "standin/PathText.h"
#include "standin/TextCase.h"

namespace quillon::standin {

namespace hr = automation::hresult;

std::string nonEmptyScenarioText(const JsonNode& node) {
    std::string t = node.text();
    if (t.empty()) node.fail("empty text not allowed");
    return t;
}

namespace {

constexpr std::int64_t kMaxCalls = std::numeric_limits<std::int32_t>::max();

std::int32_t readCode(const JsonNode& node) {
    if (node.value().is_string()) {
        std::string text = node.text();
        std::string digits = (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? text.substr(2) : "";
        if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            node.fail("expected a hexadecimal code such as \"0x80004005\", found \"" + text + "\"");
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16)));
    }
    std::int64_t v = node.integer(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::uint32_t>::max());
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::string drawingFilter(const JsonNode& node, const std::string& baseDir) {
    std::string text = nonEmptyScenarioText(node);
    return hasFolderPart(text) ? resolveAgainst(baseDir, text) : text;
}

std::string objectKind(const JsonNode& node) {
    std::string kind = node.text();
    for (const char* known : kObjectKinds) {
        if (equalsNoCase(kind, known)) return known;
    }
    node.fail("unknown object kind \"" + kind + "\"");
}

}  // namespace

FaultDefs readScenarioFaults(const JsonNode& node, const std::string& baseDir) {
    node.requireObject({"comment", "busy", "dieAfterCalls", "throws", "slow", "hangs", "kills", "openFails"});
    FaultDefs f;
    if (auto list = node.optionalChild("busy")) {
        for (const auto& item : list->items()) {
            item.requireObject({"comment", "afterCalls", "calls", "code"});
            BusyFault b;
            b.afterCalls = item.integer("afterCalls", 0, 0, kMaxCalls);
            b.calls = item.child("calls").integer(1, kMaxCalls);
            std::string code = item.text("code", "retryLater");
            if (code == "retryLater") b.code = hr::RetryLater;
            else if (code == "callRejected") b.code = hr::CallRejected;
            else item.child("code").fail("expected \"retryLater\" or \"callRejected\", found \"" + code + "\"");
            f.busy.push_back(b);
        }
    }
    f.dieAfterCalls = node.optionalInteger("dieAfterCalls", 0, kMaxCalls);
    if (auto list = node.optionalChild("throws")) {
        for (const auto& item : list->items()) {
            item.requireObject({"comment", "object", "member", "access", "drawing", "description", "code", "count"});
            MemberFault m;
            if (auto kind = item.optionalChild("object")) m.object = objectKind(*kind);
            m.member = nonEmptyScenarioText(item.child("member"));
            if (auto access = item.optionalChild("access")) {
                std::string a = access->text();
                if (a != "get" && a != "put" && a != "call" && a != "enum")
                    access->fail("expected \"get\", \"put\", \"call\" or \"enum\", found \"" + a + "\"");
                m.access = a;
            }
            if (auto drawing = item.optionalChild("drawing")) m.drawing = drawingFilter(*drawing, baseDir);
            m.description = item.text("description", "Injected failure of " + m.member);
            m.code = item.has("code") ? readCode(item.child("code")) : hr::Fail;
            m.count = item.optionalInteger("count", 1, kMaxCalls);
            f.throws.push_back(std::move(m));
        }
    }
    if (auto list = node.optionalChild("slow")) {
        for (const auto& item : list->items()) {
            item.requireObject({"comment", "object", "member", "drawing", "milliseconds"});
            SlowCall c;
            if (auto kind = item.optionalChild("object")) c.object = objectKind(*kind);
            c.member = nonEmptyScenarioText(item.child("member"));
            if (auto drawing = item.optionalChild("drawing")) c.drawing = drawingFilter(*drawing, baseDir);
            c.milliseconds = static_cast<int>(item.child("milliseconds").integer(0, 600000));
            f.slow.push_back(std::move(c));
        }
    }
    // A call that hangs and one that ends the application are named the same way.
    for (auto [name, calls] : {std::pair{"hangs", &f.hangs}, std::pair{"kills", &f.kills}}) {
        auto list = node.optionalChild(name);
        if (!list) continue;
        for (const auto& item : list->items()) {
            item.requireObject({"comment", "object", "member", "drawing"});
            HangingCall h;
            if (auto kind = item.optionalChild("object")) h.object = objectKind(*kind);
            h.member = nonEmptyScenarioText(item.child("member"));
            if (auto drawing = item.optionalChild("drawing")) h.drawing = drawingFilter(*drawing, baseDir);
            calls->push_back(std::move(h));
        }
    }
    if (auto list = node.optionalChild("openFails")) {
        for (const auto& item : list->items()) {
            item.requireObject({"comment", "drawing", "description", "count"});
            OpenFault o;
            o.drawing = drawingFilter(item.child("drawing"), baseDir);
            o.description = item.text("description", "");
            o.count = item.optionalInteger("count", 1, kMaxCalls);
            f.openFails.push_back(std::move(o));
        }
    }
    return f;
}

}  // namespace quillon::standin
