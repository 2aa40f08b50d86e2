// The records of one file searched on a worker thread: kept, unwritten,
// until the writer's turn comes for that file in walk order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run_state.h"

struct BufferedRecord {
    long long number;  // the line's number in its file
    size_t offset;  // where the line's copy starts in RecordBuffer::lines
    size_t length;
};

struct RecordBuffer {
    std::wstring lines;  // the found lines, one after another
    std::vector<BufferedRecord> records;

    void Add(long long number, const Line& line) {
        records.push_back({number, lines.size(), line.length});
        lines.append(line.start, line.length);
    }

    Line LineOf(const BufferedRecord& record) const {
        return {lines.data() + record.offset, record.length};
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
