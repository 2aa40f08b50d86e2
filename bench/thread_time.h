// Processor time of the calling thread, for the benches that weigh a
// thread's work apart from the machine's other load.
#pragma once

#include <windows.h>

// User and kernel time of this thread, in seconds.
inline double ThreadSeconds() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto s = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}
