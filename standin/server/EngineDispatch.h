#pragma once

#include <oaidl.h>
#include <windows.h>

#include <memory>

#include "standin/EngineObject.h"
#include "standin/server/StandinHost.h"
#include "win/ComObject.h"

#include <wrl/client.h>

namespace quillon::standin_server {

// IDispatch over any object of the stand-in engine, answering as a type
// library would: unknown names fail GetIDsOfNames, a method is not a
// property, and the engine's errors arrive as DISP_E_EXCEPTION with the
// description and code filled in. Busy refusals come back as the Invoke
// result itself, the way COM reports a server that rejects a call.
class EngineDispatch : public win::ComObject<IDispatch, IExternalConnection> {
public:
    EngineDispatch(std::shared_ptr<standin::EngineObject> object, std::shared_ptr<StandinHost> host);
    ~EngineDispatch() override;

    // The dispatch object for an engine object: the one already handed out while it lives, so that the
    // client sees one identity per object, as it does with the real application.
    static Microsoft::WRL::ComPtr<IDispatch> forObject(std::shared_ptr<standin::EngineObject> object,
                                                       std::shared_ptr<StandinHost> host);

    // The engine object behind a dispatch pointer, when it is one of ours
    // (an object the client passes back arrives here unmarshalled to the original).
    static std::shared_ptr<standin::EngineObject> engineObjectOf(IDispatch* dispatch);
    const std::shared_ptr<standin::EngineObject>& engineObject() const noexcept { return object_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Client connections keep an -Embedding server alive.
    DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD reserved) override;
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD reserved, BOOL lastReleaseCloses) override;

protected:
    void* queryOther(REFIID iid) override;

private:
    HRESULT invokeMember(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result);

    std::shared_ptr<standin::EngineObject> object_;
    std::shared_ptr<StandinHost> host_;
    DWORD connections_ = 0;
};

}  // namespace quillon::standin_server
