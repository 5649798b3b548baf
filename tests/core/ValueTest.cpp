#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "automation/AutoObject.h"
#include "automation/AutomationError.h"
#include "automation/Value.h"

namespace quillon::automation {
namespace {

class NoMembers : public AutoObject {
public:
    Value get(std::string_view, std::span<const Value>) override { return {}; }
    void put(std::string_view, const Value&) override {}
    Value call(std::string_view, std::span<const Value>) override { return {}; }
    std::vector<ObjectPtr> enumerate() override { return {}; }
};

std::int32_t mismatchCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const AutomationError& e) {
        return e.code();
    }
    return 0;
}

TEST(ValueConversion, NumbersConvertBetweenEachOther) {
    EXPECT_EQ(Value(std::int16_t{7}).toInt(), 7);
    EXPECT_EQ(Value(std::int32_t{-70000}).toInt(), -70000);
    EXPECT_DOUBLE_EQ(Value(std::int16_t{3}).toDouble(), 3.0);
    EXPECT_EQ(Value(true).toInt(), -1);
    EXPECT_EQ(Value(false).toInt(), 0);
    EXPECT_EQ(Value().toInt(), 0);
}

TEST(ValueConversion, NarrowingRoundsHalfToEven) {
    EXPECT_EQ(Value(2.5).toInt(), 2);
    EXPECT_EQ(Value(3.5).toInt(), 4);
    EXPECT_EQ(Value(-2.5).toInt(), -2);
    EXPECT_EQ(Value(2.6).toInt(), 3);
}

TEST(ValueConversion, OverflowIsATypeMismatch) {
    EXPECT_EQ(mismatchCode([] { (void)Value(3.0e10).toInt(); }), hresult::TypeMismatch);
}

TEST(ValueConversion, NumericTextConvertsAndOtherTextDoesNot) {
    EXPECT_EQ(Value(" 42 ").toInt(), 42);
    EXPECT_DOUBLE_EQ(Value("+1.5").toDouble(), 1.5);
    EXPECT_EQ(mismatchCode([] { (void)Value("4x").toInt(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([] { (void)Value("").toDouble(); }), hresult::TypeMismatch);
}

TEST(ValueConversion, BooleansFromTextAndNumbers) {
    EXPECT_TRUE(Value("True").toBool());
    EXPECT_FALSE(Value("false").toBool());
    EXPECT_TRUE(Value("1").toBool());
    EXPECT_TRUE(Value(std::int16_t{-1}).toBool());
    EXPECT_FALSE(Value(0.0).toBool());
    EXPECT_EQ(mismatchCode([] { (void)Value("yes").toBool(); }), hresult::TypeMismatch);
}

TEST(ValueConversion, TextForms) {
    EXPECT_EQ(Value(true).toText(), "True");
    EXPECT_EQ(Value(std::int16_t{-3}).toText(), "-3");
    EXPECT_EQ(Value(0.1).toText(), "0.1");
    EXPECT_EQ(Value().toText(), "");
}

TEST(ValueConversion, WrongKindsAreTypeMismatches) {
    ObjectPtr object = std::make_shared<NoMembers>();
    EXPECT_EQ(mismatchCode([] { (void)Value(std::int32_t{1}).toObject(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([] { (void)Value(ObjectPtr()).toObject(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([] { (void)Value("a").toArray(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([&] { (void)Value(object).toText(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([&] { (void)Value(object).toInt(); }), hresult::TypeMismatch);
    EXPECT_EQ(mismatchCode([] { (void)Value::missing().toText(); }), hresult::TypeMismatch);
    EXPECT_EQ(Value(object).toObject(), object);
}

TEST(ValueConversion, TextArraysRoundTrip) {
    Value v = Value::textArray({"A4", "A3"});
    EXPECT_EQ(v.toTextArray(), (std::vector<std::string>{"A4", "A3"}));
    EXPECT_EQ(Value(Value::Array{Value(std::int16_t{1}), Value(true)}).toTextArray(),
              (std::vector<std::string>{"1", "True"}));
}

TEST(ValueDescribe, ReadableForJournalsAndMessages) {
    EXPECT_EQ(Value().describe(), "Empty");
    EXPECT_EQ(Value::missing().describe(), "Missing");
    EXPECT_EQ(Value("x").describe(), "\"x\"");
    EXPECT_EQ(Value(ObjectPtr()).describe(), "Nothing");
    EXPECT_EQ(Value(ObjectPtr(std::make_shared<NoMembers>())).describe(), "<object>");
    EXPECT_EQ(Value::textArray({"a", "b"}).describe(), "[\"a\", \"b\"]");
    EXPECT_EQ(Value(std::int32_t{5}).describe(), "5");
}

TEST(ValueEquality, KindAndValueMustBothMatch) {
    EXPECT_EQ(Value(std::int16_t{1}), Value(std::int16_t{1}));
    EXPECT_NE(Value(std::int16_t{1}), Value(std::int32_t{1}));
    EXPECT_NE(Value("1"), Value(std::int32_t{1}));
    EXPECT_EQ(Value::textArray({"a"}), Value::textArray({"a"}));
    EXPECT_EQ(Value::missing(), Value(Missing{}));
    EXPECT_NE(Value(), Value::missing());
}

TEST(AutomationErrorTest, CarriesCodeAndDescription) {
    AutomationError e(hresult::Fail, "No database");
    EXPECT_EQ(e.description(), "No database");
    EXPECT_EQ(std::string(e.what()), "No database (0x80004005)");
    EXPECT_EQ(std::string(AutomationError(hresult::Fail, "").what()), "Automation error 0x80004005");
    EXPECT_EQ(hresultText(hresult::RetryLater), "0x8001010A");
}

TEST(AutomationErrorTest, ClassifiesBusyAndGoneServers) {
    EXPECT_EQ(classifyFailure(hresult::RetryLater), FailureKind::Busy);
    EXPECT_EQ(classifyFailure(hresult::CallRejected), FailureKind::Busy);
    EXPECT_TRUE(AutomationError(hresult::Disconnected, "").serverGone());
    EXPECT_TRUE(AutomationError(hresult::ServerUnavailable, "").serverGone());
    EXPECT_EQ(classifyFailure(hresult::UnknownName), FailureKind::Failed);
}

}  // namespace
}  // namespace quillon::automation
