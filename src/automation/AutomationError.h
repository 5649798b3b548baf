#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quillon::automation {

// Well-known result codes, spelled out so the portable core needs no Windows headers.
namespace hresult {
inline constexpr std::int32_t Fail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t NotImplemented = static_cast<std::int32_t>(0x80004001);  // E_NOTIMPL
inline constexpr std::int32_t InvalidArg = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t UnknownName = static_cast<std::int32_t>(0x80020006);      // DISP_E_UNKNOWNNAME
inline constexpr std::int32_t MemberNotFound = static_cast<std::int32_t>(0x80020003);   // DISP_E_MEMBERNOTFOUND
inline constexpr std::int32_t TypeMismatch = static_cast<std::int32_t>(0x80020005);     // DISP_E_TYPEMISMATCH
inline constexpr std::int32_t BadParamCount = static_cast<std::int32_t>(0x8002000E);    // DISP_E_BADPARAMCOUNT
inline constexpr std::int32_t ParamNotOptional = static_cast<std::int32_t>(0x8002000F); // DISP_E_PARAMNOTOPTIONAL
inline constexpr std::int32_t Exception = static_cast<std::int32_t>(0x80020009);        // DISP_E_EXCEPTION
inline constexpr std::int32_t CallRejected = static_cast<std::int32_t>(0x80010001);     // RPC_E_CALL_REJECTED
inline constexpr std::int32_t RetryLater = static_cast<std::int32_t>(0x8001010A);       // RPC_E_SERVERCALL_RETRYLATER
inline constexpr std::int32_t Disconnected = static_cast<std::int32_t>(0x80010108);     // RPC_E_DISCONNECTED
inline constexpr std::int32_t ServerUnavailable = static_cast<std::int32_t>(0x800706BA); // RPC_S_SERVER_UNAVAILABLE
inline constexpr std::int32_t CallFailed = static_cast<std::int32_t>(0x800706BE);       // RPC_S_CALL_FAILED
inline constexpr std::int32_t ObjectNotConnected = static_cast<std::int32_t>(0x800401FD); // CO_E_OBJNOTCONNECTED
inline constexpr std::int32_t ClassString = static_cast<std::int32_t>(0x800401F3);      // CO_E_CLASSSTRING
inline constexpr std::int32_t Unavailable = static_cast<std::int32_t>(0x800401E3);      // MK_E_UNAVAILABLE
}  // namespace hresult

// How a caller should react to a failure.
enum class FailureKind {
    Failed,        // the member itself failed; the connection is fine
    Busy,          // the server kept rejecting the call past the retry budget
    Disconnected,  // the server process is gone: drop the connection, reconnect on next use
};

FailureKind classifyFailure(std::int32_t code);

// A failed automation call: the HRESULT-style code and the server's description.
class AutomationError : public std::runtime_error {
public:
    AutomationError(std::int32_t code, std::string description);

    std::int32_t code() const { return code_; }
    const std::string& description() const { return description_; }
    FailureKind kind() const { return classifyFailure(code_); }
    bool serverGone() const { return kind() == FailureKind::Disconnected; }

private:
    std::int32_t code_;
    std::string description_;
};

std::string hresultText(std::int32_t code);  // "0x80004005"

}  // namespace quillon::automation
