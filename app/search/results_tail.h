// The results file read as a search writes it, so that the view can show
// the records already written while the run goes on. The run lets readers
// share the file; what it has written is read in order, a whole UTF-16 unit
// at a time.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "handle_owner.h"

class ResultsTail {
public:
    // Opens the file the run has created; false when it can't be opened.
    bool Open(const std::wstring& path);
    bool open() const { return file_.valid(); }
    void Close();

    // Reads what was written since the last read, at most maxBytes, and
    // hands it over as units()[0, count()), valid until the next read: with
    // wholeLines, up to the last line break only (the line after it waits
    // for its end, so that no line handed over changes); an odd byte waits
    // for its partner. False when the read fails or the file is shorter
    // than what was read before (a run cuts its file back only after a
    // failed write).
    bool ReadMore(size_t maxBytes, bool wholeLines);
    const wchar_t* units() const { return reinterpret_cast<const wchar_t*>(bytes_.data()); }
    size_t count() const { return count_; }


private:
    FileHandle file_;
    unsigned long long taken_ = 0;  // bytes handed over so far
    std::vector<unsigned char> bytes_;  // the units handed over, then what waits
    size_t count_ = 0;                  // units handed over
};
