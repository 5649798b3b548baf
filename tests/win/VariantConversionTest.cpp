#include <gtest/gtest.h>

#include <map>

#include "CountedObject.h"
#include "automation/AutoObject.h"
#include "automation/AutomationError.h"
#include "win/Bstr.h"
#include "win/SafeArray.h"
#include "win/VariantConversion.h"

namespace quillon::win {
namespace {

using automation::ObjectPtr;
using automation::Value;
using Microsoft::WRL::ComPtr;
using wintest::CountedObject;

struct PlainObject : automation::AutoObject {
    Value get(std::string_view, std::span<const Value>) override { return {}; }
    void put(std::string_view, const Value&) override {}
    Value call(std::string_view, std::span<const Value>) override { return {}; }
    std::vector<ObjectPtr> enumerate() override { return {}; }
};

// Pairs each object with a dispatch pointer of its own, both ways.
class PairedObjects : public ObjectBridge {
public:
    ComPtr<IDispatch> toDispatch(const ObjectPtr& object) const override {
        if (!object) return nullptr;
        ComPtr<IDispatch> dispatch;
        dispatch.Attach(new CountedObject);
        objects_[dispatch.Get()] = object;
        return dispatch;
    }
    ObjectPtr fromDispatch(ComPtr<IDispatch> dispatch) const override {
        auto found = objects_.find(dispatch.Get());
        return found != objects_.end() ? found->second : std::make_shared<PlainObject>();
    }

private:
    mutable std::map<IDispatch*, ObjectPtr> objects_;
};

class VariantConversion : public ::testing::Test {
protected:
    PairedObjects objects;
    Value roundTrip(const Value& value) { return fromVariant(toVariant(value, objects).get(), objects); }
    VARTYPE typeOf(const Value& value) { return toVariant(value, objects).type(); }
};

TEST_F(VariantConversion, ScalarsKeepTheirAutomationTypes) {
    const Value samples[] = {Value(),
                             Value(true),
                             Value(false),
                             Value(std::int16_t{-2}),
                             Value(std::int32_t{70000}),
                             Value(0.5),
                             Value(""),
                             Value("\xC3\x84nderung \xE5\xB9\xB3\xE9\x9D\xA2\xE5\x9B\xB3")};
    for (const auto& sample : samples) {
        Value back = roundTrip(sample);
        EXPECT_EQ(back.kind(), sample.kind()) << sample.describe();
        EXPECT_EQ(back, sample) << sample.describe();
    }
    EXPECT_EQ(typeOf(Value(std::int16_t{0})), VT_I2);
    EXPECT_EQ(typeOf(Value(std::int32_t{0})), VT_I4);
    EXPECT_EQ(typeOf(Value(true)), VT_BOOL);
    EXPECT_EQ(V_BOOL(toVariant(Value(true), objects).ptr()), VARIANT_TRUE);
}

TEST_F(VariantConversion, MissingTravelsAsParamNotFound) {
    Variant missing = toVariant(Value::missing(), objects);
    ASSERT_EQ(missing.type(), VT_ERROR);
    EXPECT_EQ(V_ERROR(missing.ptr()), DISP_E_PARAMNOTFOUND);
    EXPECT_TRUE(roundTrip(Value::missing()).isMissing());
}

TEST_F(VariantConversion, TextArraysBecomeStringArraysAndOthersVariantArrays) {
    Value names = Value::textArray({"None", "DWF6 ePlot.pc3", "\xE5\xB9\xB3\xE9\x9D\xA2"});
    EXPECT_EQ(typeOf(names), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(roundTrip(names), names);

    Value mixed(Value::Array{Value("A4"), Value(std::int16_t{1}), Value(Value::Array{Value(2.5)})});
    EXPECT_EQ(typeOf(mixed), VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(roundTrip(mixed), mixed);

    Value empty(Value::Array{});
    EXPECT_EQ(roundTrip(empty), empty);
}

TEST_F(VariantConversion, ObjectsCrossThroughTheBridge) {
    auto object = std::make_shared<PlainObject>();
    Value back = roundTrip(Value(ObjectPtr(object)));
    EXPECT_EQ(back.toObject(), object);

    Variant nothing = toVariant(Value(ObjectPtr()), objects);
    EXPECT_EQ(nothing.type(), VT_DISPATCH);
    EXPECT_EQ(fromVariant(nothing.get(), objects), Value(ObjectPtr()));
}

TEST_F(VariantConversion, ArraysAreReadFromAnyLowerBound) {
    SafeArray array = SafeArray::createVector(VT_BSTR, 2, 1);
    array.putBstr(1, Bstr(L"first"));
    array.putBstr(2, Bstr(L"second"));
    Variant value;
    V_VT(value.ptr()) = VT_ARRAY | VT_BSTR;
    V_ARRAY(value.ptr()) = array.release();
    EXPECT_EQ(fromVariant(value.get(), objects), Value::textArray({"first", "second"}));

    SafeArray numbers = SafeArray::createVector(VT_R8, 1, -3);
    double number = 42.25;
    LONG index = -3;
    ASSERT_EQ(SafeArrayPutElement(numbers.get(), &index, &number), S_OK);
    Variant numberValue;
    V_VT(numberValue.ptr()) = VT_ARRAY | VT_R8;
    V_ARRAY(numberValue.ptr()) = numbers.release();
    EXPECT_EQ(fromVariant(numberValue.get(), objects), Value(Value::Array{Value(42.25)}));
}

TEST_F(VariantConversion, ReferencesAreFollowed) {
    LONG number = 12;
    VARIANT byRef;
    VariantInit(&byRef);
    V_VT(&byRef) = VT_I4 | VT_BYREF;
    V_I4REF(&byRef) = &number;
    EXPECT_EQ(fromVariant(byRef, objects), Value(std::int32_t{12}));

    Variant inner = toVariant(Value("inner"), objects);
    VARIANT toVariantRef;
    VariantInit(&toVariantRef);
    V_VT(&toVariantRef) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&toVariantRef) = inner.ptr();
    EXPECT_EQ(fromVariant(toVariantRef, objects), Value("inner"));
}

TEST_F(VariantConversion, OtherNumericTypesWidenOrBecomeDoubles) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_UI1;
    V_UI1(&value) = 200;
    EXPECT_EQ(fromVariant(value, objects), Value(std::int16_t{200}));
    V_VT(&value) = VT_R4;
    V_R4(&value) = 1.5f;
    EXPECT_EQ(fromVariant(value, objects), Value(1.5));
    V_VT(&value) = VT_UI4;
    V_UI4(&value) = 4000000000u;
    EXPECT_EQ(fromVariant(value, objects), Value(4000000000.0));
    V_VT(&value) = VT_NULL;
    EXPECT_TRUE(fromVariant(value, objects).isEmpty());
}

TEST_F(VariantConversion, UnsupportedShapesAreTypeMismatches) {
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    Variant matrix;
    V_VT(matrix.ptr()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(matrix.ptr()) = SafeArrayCreate(VT_VARIANT, 2, bounds);
    try {
        fromVariant(matrix.get(), objects);
        FAIL() << "no throw";
    } catch (const automation::AutomationError& error) {
        EXPECT_EQ(error.code(), automation::hresult::TypeMismatch);
    }

    VARIANT unknownType;
    VariantInit(&unknownType);
    V_VT(&unknownType) = VT_CLSID;
    EXPECT_THROW(fromVariant(unknownType, objects), automation::AutomationError);
}

}  // namespace
}  // namespace quillon::win
