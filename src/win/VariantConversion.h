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

// Missing becomes VT_ERROR/DISP_E_PARAMNOTFOUND; an array of texts becomes
// VT_ARRAY|VT_BSTR, any other array VT_ARRAY|VT_VARIANT.
Variant toVariant(const automation::Value& value, const ObjectBridge& objects);

// References are followed, arrays of any element type and lower bound are
// read from their lower bound, narrower integers widen, other numeric types
// become doubles. VT_NULL reads as Empty. Types with no Value counterpart
// throw an AutomationError with DISP_E_TYPEMISMATCH.
automation::Value fromVariant(const VARIANT& value, const ObjectBridge& objects);

}  // namespace quillon::win
