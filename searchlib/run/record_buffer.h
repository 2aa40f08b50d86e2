// The records of one file searched on a worker thread: kept, unwritten,
// until the writer's turn comes for that file in walk order.
#pragma once

#include <cstddef>
#include <cwchar>
#include <string>
#include <vector>

#include "run_state.h"

// What a buffered entry is: a record, or what else a search leaves among
// its records in their order.
enum class Buffered : unsigned char {
    Record,
    Skipped,   // a path and a reason for the skipped callback
    Path,      // the records after it are those of the member whose path it holds
    Searched,  // one more member searched, for the run's count
};

struct BufferedRecord {
    long long number;  // the line's number in its file
    size_t offset;  // where the line's copy starts in RecordBuffer::lines
    size_t length;
    Buffered kind;
};

struct RecordBuffer {
    std::wstring lines;  // the found lines, one after another
    std::vector<BufferedRecord> records;

    void Add(long long number, const Line& line) {
        records.push_back({number, lines.size(), line.length, Buffered::Record});
        lines.append(line.start, line.length);
    }

    // A path passed by, in its place among the records: both texts are kept
    // zero-terminated, one after the other.
    void AddSkipped(const wchar_t* path, const wchar_t* reason) {
        const size_t offset = lines.size();
        lines.append(path).push_back(L'\0');
        lines.append(reason).push_back(L'\0');
        records.push_back({0, offset, lines.size() - offset, Buffered::Skipped});
    }
    void AddPath(const std::wstring& path) {
        records.push_back({0, lines.size(), path.size(), Buffered::Path});
        lines += path;
    }
    void AddSearched() { records.push_back({0, lines.size(), 0, Buffered::Searched}); }

    const wchar_t* PathOf(const BufferedRecord& skip) const { return lines.data() + skip.offset; }
    const wchar_t* ReasonOf(const BufferedRecord& skip) const {
        return PathOf(skip) + wcslen(PathOf(skip)) + 1;
    }

    Line LineOf(const BufferedRecord& record) const {
        return {lines.data() + record.offset, record.length};
    }

    // The memory its records take.
    size_t Bytes() const {
        return lines.size() * sizeof(wchar_t) + records.size() * sizeof(BufferedRecord);
    }

    // Emptied for the next file; a buffer that a big file grew is let go,
    // so that a few such files don't hold their peak to the end of the run.
    void Clear() {
        constexpr size_t kKeptUnits = size_t(1) << 20;
        if (lines.capacity() > kKeptUnits) std::wstring().swap(lines);
        if (records.capacity() > kKeptUnits / 8) std::vector<BufferedRecord>().swap(records);
        lines.clear();
        records.clear();
    }
};
