#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include "automation/Value.h"
#include "win/Variant.h"

namespace quillon::win {

// How objects cross between Value and VARIANT: the client wraps each
// IDispatch it receives, the stand-in server exposes its model objects.
class ObjectBridge {
public:
    virtual ~ObjectBridge() = default;
    // The IDispatch to send for object; null for Nothing.
    virtual Microsoft::WRL::ComPtr<IDispatch> toDispatch(const automation::ObjectPtr& object) const = 0;
    // The object to hand on for a received IDispatch (never null here).
    virtual automation::ObjectPtr fromDispatch(Microsoft::WRL::ComPtr<IDispatch> dispatch) const = 0;
};

// Where an array goes: answered by a server, an array of texts is VT_ARRAY|VT_BSTR (as the application
// answers its name lists); given as a method's argument, an array of 16-bit integers is VT_ARRAY|VT_I2 and any
// other VT_ARRAY|VT_VARIANT, as the application's methods declare them (a selection filter's group codes and
// values), whose arguments are checked by type.
enum class ArrayUse { Answer, Argument };

// Missing becomes VT_ERROR/DISP_E_PARAMNOTFOUND; arrays as `use` says.
Variant toVariant(const automation::Value& value, const ObjectBridge& objects, ArrayUse use = ArrayUse::Answer);

// References are followed, arrays of any element type and lower bound are
// read from their lower bound, narrower integers widen, other numeric types
// become doubles. VT_NULL reads as Empty. Types with no Value counterpart
// throw an AutomationError with DISP_E_TYPEMISMATCH.
automation::Value fromVariant(const VARIANT& value, const ObjectBridge& objects);

}  // namespace quillon::win
