#include "member_block_source.h"

#include "status_text.h"

bool MemberBlockSource::Fail(const std::wstring& reason, wchar_t* statusText) const {
    status::Compose(statusText, path_, status::kReadIn, reason.c_str());
    return false;
}

bool MemberBlockSource::Restart(wchar_t*) {
    member_.Restart();
    return true;
}

bool MemberBlockSource::Next(unsigned char* out, size_t n, size_t& got, wchar_t* statusText) {
    std::wstring reason;
    while (got < n) {
        size_t step = 0;
        if (!member_.Read(out + got, n - got, step, reason)) return Fail(reason, statusText);
        if (step == 0) return true;
        got += step;
    }
    // The reader asks for no more than the directory's size: one more read
    // makes the member end there, with its CRC checked, or be too long.
    if (at() + got == size()) {
        unsigned char past;
        size_t step = 0;
        if (!member_.Read(&past, 1, step, reason)) return Fail(reason, statusText);
    }
    return true;
}
