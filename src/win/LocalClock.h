#pragma once

#include "plotting/RunDeadline.h"

namespace quillon::win {

// The date and time the local clock shows now, daylight saving included.
plotting::LocalTime localNow();

}  // namespace quillon::win
