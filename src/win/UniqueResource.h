#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <utility>

namespace quillon::win {

// Owns one Windows handle and closes it with Close. Invalid is the value the
// handle kind uses for "none": 0 for most, -1 for CreateFile and FindFirstFile.
template <typename T, auto Close, std::intptr_t Invalid = 0>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T handle) noexcept : handle_(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    static T invalid() noexcept { return reinterpret_cast<T>(Invalid); }

    T get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    T release() noexcept { return std::exchange(handle_, invalid()); }
    void reset(T handle = invalid()) noexcept {
        T old = std::exchange(handle_, handle);
        if (old != invalid()) Close(old);
    }
    // For APIs that return the handle through an out parameter.
    T* out() noexcept {
        reset();
        return &handle_;
    }

private:
    T handle_ = invalid();
};

// Processes, threads, events, mutexes: "none" is null.
using UniqueHandle = UniqueResource<HANDLE, &::CloseHandle>;
// CreateFile and CreateToolhelp32Snapshot results: "none" is INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueResource<HANDLE, &::CloseHandle, -1>;
using UniqueFindHandle = UniqueResource<HANDLE, &::FindClose, -1>;
using UniqueHkey = UniqueResource<HKEY, &::RegCloseKey>;
using UniqueModule = UniqueResource<HMODULE, &::FreeLibrary>;
using UniqueMenu = UniqueResource<HMENU, &::DestroyMenu>;
using UniqueIcon = UniqueResource<HICON, &::DestroyIcon>;
template <typename GdiObject>
using UniqueGdiObject = UniqueResource<GdiObject, &::DeleteObject>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
// A memory DC of CreateCompatibleDC; a window's own DC goes back through WindowDc instead.
using UniqueMemoryDc = UniqueResource<HDC, &::DeleteDC>;
// What COM hands the caller to free (strings, item id lists).
template <typename Pointer>
using UniqueCoTaskMem = UniqueResource<Pointer, &::CoTaskMemFree>;
// What the system allocated for the caller with LocalAlloc (FormatMessage, CommandLineToArgvW).
template <typename Pointer>
using UniqueLocalMem = UniqueResource<Pointer, &::LocalFree>;

}  // namespace quillon::win
