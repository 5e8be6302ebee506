// The local wall clock, as both front ends stamp backups and show times.
#pragma once

namespace mrv {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Now, in the user's time zone.
LocalTime LocalNow();

} // namespace mrv
