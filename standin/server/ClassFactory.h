#pragma once

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <memory>

#include "standin/server/StandinHost.h"
#include "win/ComObject.h"

namespace quillon::standin_server {

// Hands out the one Application object of this process. Built with a
// failure code instead, every request fails with it: how a server whose
// scenario did not load refuses activation without leaving the client waiting.
class ClassFactory : public win::ComObject<IClassFactory> {
public:
    ClassFactory(Microsoft::WRL::ComPtr<IDispatch> application, std::shared_ptr<StandinHost> host);
    ClassFactory(HRESULT failure, std::function<void()> onRefused);

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    Microsoft::WRL::ComPtr<IDispatch> application_;
    std::shared_ptr<StandinHost> host_;
    HRESULT failure_ = S_OK;
    std::function<void()> onRefused_;
};

}  // namespace quillon::standin_server
