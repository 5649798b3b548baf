#include "standin/server/ClassFactory.h"

namespace quillon::standin_server {

ClassFactory::ClassFactory(Microsoft::WRL::ComPtr<IDispatch> application, std::shared_ptr<StandinHost> host)
    : application_(std::move(application)), host_(std::move(host)) {}

ClassFactory::ClassFactory(HRESULT failure, std::function<void()> onRefused)
    : failure_(failure), onRefused_(std::move(onRefused)) {}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (FAILED(failure_)) {
        if (onRefused_) onRefused_();
        return failure_;
    }
    return application_->QueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock) {
    if (!host_) return S_OK;
    if (lock)
        host_->addConnection();
    else
        host_->releaseConnection();
    return S_OK;
}

}  // namespace quillon::standin_server
