#include "win/VariantConversion.h"

#include <algorithm>
#include <climits>

#include "automation/AutomationError.h"
#include "win/Bstr.h"
#include "win/SafeArray.h"
#include "win/Utf.h"
#include "win/WinError.h"

namespace quillon::win {

using automation::Value;
using Microsoft::WRL::ComPtr;

namespace {

[[noreturn]] void unsupported(VARTYPE vt) {
    throw automation::AutomationError(automation::hresult::TypeMismatch,
                                      "Type mismatch: variant type " + std::to_string(vt) + " is not supported");
}

Variant arrayVariant(const Value::Array& items, const ObjectBridge& objects, ArrayUse use) {
    auto all = [&](Value::Kind kind) {
        return !items.empty() &&
               std::all_of(items.begin(), items.end(), [kind](const Value& item) { return item.kind() == kind; });
    };
    const VARTYPE element = use == ArrayUse::Answer ? (all(Value::Kind::Text) ? VT_BSTR : VT_VARIANT)
                                                    : (all(Value::Kind::Int16) ? VT_I2 : VT_VARIANT);
    SafeArray array = SafeArray::createVector(element, items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        LONG index = static_cast<LONG>(i);
        if (element == VT_BSTR)
            array.putBstr(index, Bstr::fromUtf8(items[i].toText()));
        else if (element == VT_I2)
            array.putShort(index, std::get<std::int16_t>(items[i].storage()));
        else
            array.putVariant(index, toVariant(items[i], objects, use).get());
    }
    Variant result;
    VARIANT* raw = result.out();
    V_VT(raw) = static_cast<VARTYPE>(VT_ARRAY | element);
    V_ARRAY(raw) = array.release();
    return result;
}

Value arrayValue(SAFEARRAY* raw, const ObjectBridge& objects) {
    if (!raw) return Value(Value::Array{});
    if (SafeArrayGetDim(raw) != 1) {
        throw automation::AutomationError(automation::hresult::TypeMismatch,
                                          "Type mismatch: only one-dimensional arrays are supported");
    }
    // Borrowed: the VARIANT that holds the array keeps owning it.
    SafeArray array = SafeArray::attach(raw);
    struct Unowned {
        SafeArray& array;
        ~Unowned() { array.release(); }
    } borrow{array};

    Value::Array items;
    items.reserve(array.size());
    for (LONG i = array.lowerBound(), last = array.upperBound(); i <= last; ++i) {
        items.push_back(fromVariant(array.elementAt(i).get(), objects));
        if (i == LONG_MAX) break;
    }
    return Value(std::move(items));
}

Value asDouble(const VARIANT& value) {
    Variant converted;
    // mingw declares the source without the const the Windows SDK gives it.
    HRESULT hr = VariantChangeTypeEx(converted.out(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_R8);
    if (FAILED(hr)) unsupported(V_VT(&value));
    return Value(V_R8(converted.ptr()));
}

}  // namespace

Variant toVariant(const Value& value, const ObjectBridge& objects, ArrayUse use) {
    Variant result;
    VARIANT* raw = result.out();
    switch (value.kind()) {
        case Value::Kind::Empty:
            break;
        case Value::Kind::Missing:
            V_VT(raw) = VT_ERROR;
            V_ERROR(raw) = DISP_E_PARAMNOTFOUND;
            break;
        case Value::Kind::Bool:
            V_VT(raw) = VT_BOOL;
            V_BOOL(raw) = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case Value::Kind::Int16:
            V_VT(raw) = VT_I2;
            V_I2(raw) = std::get<std::int16_t>(value.storage());
            break;
        case Value::Kind::Int32:
            V_VT(raw) = VT_I4;
            V_I4(raw) = std::get<std::int32_t>(value.storage());
            break;
        case Value::Kind::Double:
            V_VT(raw) = VT_R8;
            V_R8(raw) = std::get<double>(value.storage());
            break;
        case Value::Kind::Text:
            V_BSTR(raw) = Bstr::fromUtf8(std::get<std::string>(value.storage())).release();
            V_VT(raw) = VT_BSTR;
            break;
        case Value::Kind::Object:
            V_DISPATCH(raw) = objects.toDispatch(std::get<automation::ObjectPtr>(value.storage())).Detach();
            V_VT(raw) = VT_DISPATCH;
            break;
        case Value::Kind::Array:
            return arrayVariant(std::get<Value::Array>(value.storage()), objects, use);
    }
    return result;
}

Value fromVariant(const VARIANT& value, const ObjectBridge& objects) {
    VARTYPE vt = V_VT(&value);
    if (vt & VT_BYREF) {
        Variant target;
        HRESULT hr = VariantCopyInd(target.out(), const_cast<VARIANT*>(&value));
        if (FAILED(hr)) throw WinError::fromHresult(hr, "Reading a by-reference result");
        return fromVariant(target.get(), objects);
    }
    if (vt & VT_ARRAY) return arrayValue(V_ARRAY(&value), objects);

    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            return Value();
        case VT_ERROR:
            if (V_ERROR(&value) == DISP_E_PARAMNOTFOUND) return Value::missing();
            return Value(static_cast<std::int32_t>(V_ERROR(&value)));
        case VT_BOOL:
            return Value(V_BOOL(&value) != VARIANT_FALSE);
        case VT_I1:
            return Value(static_cast<std::int16_t>(V_I1(&value)));
        case VT_UI1:
            return Value(static_cast<std::int16_t>(V_UI1(&value)));
        case VT_I2:
            return Value(static_cast<std::int16_t>(V_I2(&value)));
        case VT_UI2:
            return Value(static_cast<std::int32_t>(V_UI2(&value)));
        case VT_I4:
            return Value(static_cast<std::int32_t>(V_I4(&value)));
        case VT_INT:
            return Value(static_cast<std::int32_t>(V_INT(&value)));
        case VT_UI4:
        case VT_UINT:
            if (V_UI4(&value) <= static_cast<ULONG>(INT32_MAX)) return Value(static_cast<std::int32_t>(V_UI4(&value)));
            return asDouble(value);
        case VT_R8:
            return Value(V_R8(&value));
        case VT_R4:
        case VT_I8:
        case VT_UI8:
        case VT_CY:
        case VT_DATE:
        case VT_DECIMAL:
            return asDouble(value);
        case VT_BSTR: {
            BSTR text = V_BSTR(&value);
            return Value(toUtf8(text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view()));
        }
        case VT_DISPATCH: {
            IDispatch* dispatch = V_DISPATCH(&value);
            if (!dispatch) return Value(automation::ObjectPtr());
            return Value(objects.fromDispatch(ComPtr<IDispatch>(dispatch)));
        }
        case VT_UNKNOWN: {
            IUnknown* unknown = V_UNKNOWN(&value);
            if (!unknown) return Value(automation::ObjectPtr());
            ComPtr<IDispatch> dispatch;
            if (FAILED(unknown->QueryInterface(IID_PPV_ARGS(&dispatch)))) unsupported(vt);
            return Value(objects.fromDispatch(dispatch));
        }
        default:
            unsupported(vt);
    }
}

}  // namespace quillon::win
