#include "win/LocalClock.h"

#include <windows.h>

namespace quillon::win {

plotting::LocalTime localNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace quillon::win
