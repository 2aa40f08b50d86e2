#include "open_delay.h"

#ifdef TESSUMI_OPEN_DELAY_SEAM

#include <windows.h>

#include <cwchar>

namespace {

constexpr long long kDefaultMicroseconds = 30;

long long DelayTicks() {
    wchar_t text[32];
    const DWORD n = GetEnvironmentVariableW(L"TESSUMI_OPEN_DELAY_US", text, 32);
    const long long us = n > 0 && n < 32 ? wcstoll(text, nullptr, 10) : kDefaultMicroseconds;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return us * frequency.QuadPart / 1000000;
}

}  // namespace

// The scanner works in a process of its own: the wait leaves the processor
// to any thread that has work, as a thread blocked in CreateFile would.
void WaitAsAScannerWould() {
    static const long long ticks = DelayTicks();
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    do {
        SwitchToThread();
        QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
}

#else

void WaitAsAScannerWould() {}

#endif
