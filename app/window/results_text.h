// The results text the view holds: a buffer taken over from SubReadText, or
// one that grows as a running search writes its file. A growing text lives
// in address space reserved once and committed as it grows, so it is never
// moved or copied, and what points into it stays valid.
#pragma once

#include <windows.h>

#include <cstddef>

class ResultsText {
public:
    ResultsText() = default;
    ~ResultsText() { Release(); }
    ResultsText(const ResultsText&) = delete;
    ResultsText& operator=(const ResultsText&) = delete;

    void Release();
    // A SubReadText buffer (new[]) and its size in bytes; null holds nothing.
    void Adopt(wchar_t* text, int bytes);
    // An empty text that Append grows; false when no room can be reserved.
    bool StartGrowing();
    // False, appending nothing, when the text does not grow or has no room.
    bool Append(const wchar_t* units, size_t count);

    bool held() const { return data_ != nullptr; }
    const wchar_t* data() const { return data_; }
    size_t bytes() const { return bytes_; }

private:
    wchar_t* data_ = nullptr;
    size_t bytes_ = 0;
    bool reserved_ = false;  // growing: data_ is a reservation
    size_t committed_ = 0;   // bytes of it committed
};
