// Files read in blocks of a few bytes, so that a block ends at every place
// one can: a CR LF or a run of breaks split, a lead byte at a block's end, a
// line longer than a block, a reading decided late. The records are those of
// one block, in every encoding and on a system whose ANSI code page is UTF-8.
// A line beyond the bound is passed over, never held. The same with the next
// bytes read ahead of the search.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "block_reader.h"
#include "fallback_code_page.h"
#include "lines.h"
#include "results_run_fixture.h"

using namespace testing_support;

namespace {

std::string Encode(UINT codePage, const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string out(WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr,
                                        nullptr), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, &out[0], static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

// EUC-JP's pairs and kana as ISO-2022-JP's; breaks keep the set selected.
std::string ToIso2022Jp(const std::string& euc) {
    std::string out, mode = "\x1B(B";
    auto select = [&](const char* escape) {
        if (mode != escape) out += mode = escape;
    };
    for (size_t i = 0; i < euc.size(); ++i) {
        const unsigned char b = euc[i];
        if (b == 0x8E) {
            select("\x1B(I");
            out += static_cast<char>(euc[++i] & 0x7F);
        } else if (b >= 0xA1) {
            select("\x1B$B");
            out += static_cast<char>(b & 0x7F);
            out += static_cast<char>(euc[++i] & 0x7F);
        } else {
            if (b > 0x20) select("\x1B(B");
            out += static_cast<char>(b);
        }
    }
    return out;
}

UINT WINAPI Utf8System() { return 65001; }

class BlockEdges : public ResultsRun {
protected:
    void TearDown() override {
        readBlockSize = kReadBlockSize;
        longestLineBytes = kLongestLineBytes;
        heldRecordBytes = kHeldRecordBytes;
        readAheadFrom = kReadAheadFrom;
        systemAnsiCodePage = GetACP;
    }

    std::wstring Records(const std::string& bytes, const wchar_t* pattern, size_t blockSize) {
        const std::wstring path = dir / L"file.txt";
        WriteBytes(path, bytes);
        readBlockSize = blockSize;
        Open(pattern);
        EXPECT_EQ(FnSearchLines(path.c_str(), path.size(), *run, status), 1) << Show(status);
        return Finish();
    }
};

TEST_F(BlockEdges, TinyBlocksGiveTheRecordsOfOneBlock) {
    const std::wstring text = L"\r\n天気\r\r\n\n" + std::wstring(40, L'x') +
                              L"天気 表\r\n予報\n\n\r\rｱｲ天気\r\nlast 天気";
    const std::string euc = Encode(20932, text);
    // 7-bit lines first: the reading is decided blocks later.
    std::string late;
    for (int i = 0; i < 30; ++i) late += "plain 7-bit line " + std::to_string(i) + "\r\n";
    std::string bigEndian = Utf16Bytes(text);
    for (size_t i = 0; i < bigEndian.size(); i += 2) std::swap(bigEndian[i], bigEndian[i + 1]);
    const struct Case {
        const char* what;
        std::string bytes;
        bool likeUtf16;  // the same text as the UTF-16 file
    } cases[] = {
        {"UTF-16LE", "\xFF\xFE" + Utf16Bytes(text), true},
        {"UTF-16BE", "\xFE\xFF" + bigEndian, true},
        {"UTF-8", Encode(CP_UTF8, text), true},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + Encode(CP_UTF8, text), true},
        {"Shift_JIS", Encode(932, text), true},
        {"EUC-JP", euc, true},
        {"ISO-2022-JP", ToIso2022Jp(euc), true},
        {"Shift_JIS with lead bytes before breaks", "a\x81\nb\x81\r\n\r\n" + Encode(932, text), false},
        {"7-bit, then Shift_JIS", late + Encode(932, text), false},
        {"7-bit, then EUC-JP", late + euc, false},
        {"7-bit, then an ISO-2022-JP escape", late + ToIso2022Jp(euc), false},
        {"UTF-8 with one bad byte late", late + Encode(CP_UTF8, text) + "\xFF\r\n天気", false},
        {"7-bit, then UTF-8 that turns out Shift_JIS", late + "\xE3\x81\x82\r\n" +
             Encode(932, text), false},
    };
    const wchar_t* patterns[] = {L"天気", L""};  // on the bytes, and decoded
    const size_t blockSizes[] = {1, 2, 3, 5, 8, 13, 64};
    for (AnsiCodePageFunction system : {systemAnsiCodePage, Utf8System}) {
        systemAnsiCodePage = system;
        for (const wchar_t* pattern : patterns) {
            const std::wstring utf16 = Records(cases[0].bytes, pattern, kReadBlockSize);
            EXPECT_EQ(std::count(utf16.begin(), utf16.end(), L'>'), pattern[0] ? 4 : 6);
            for (const Case& c : cases) {
                SCOPED_TRACE(c.what);
                const std::wstring one = Records(c.bytes, pattern, kReadBlockSize);
                if (c.likeUtf16) {
                    EXPECT_EQ(one, utf16) << Show(one);
                }
                // Read ahead of the search too: a file ends, or the reader
                // goes back, while a read is in flight.
                for (uint64_t from : {kReadAheadFrom, uint64_t(0)}) {
                    readAheadFrom = from;
                    for (size_t size : blockSizes) {
                        // Odd sizes overflow the records held while the reading is open.
                        heldRecordBytes = size % 2 ? 16 : kHeldRecordBytes;
                        EXPECT_EQ(Records(c.bytes, pattern, size), one) << size << " " << from;
                    }
                }
                heldRecordBytes = kHeldRecordBytes;
            }
        }
    }
}

// A second line beyond a bound of 64 bytes, in 7-bit text, Shift_JIS and
// UTF-16: refused with its place, passed by under keep-going with the lines
// after it numbered on, and a stop asked while it is passed over honoured at once.
TEST_F(BlockEdges, ALineBeyondTheBoundIsPassedOverInPieces) {
    const std::wstring path = dir / L"file.txt", tail = L"\r\n\r\nhit 3\nx\nhit 5";
    const std::wstring text = L"hit 1\r\nhit" + std::wstring(1000, L'表') + tail;
    const std::string bytes[] = {"hit 1\r\n" + std::string(2000, 'x') + Encode(CP_UTF8, tail),
                                 Encode(932, text), "\xFF\xFE" + Utf16Bytes(text)};
    const std::wstring reason = L"行が長過ぎます（64 バイト を超えます）";
    const std::wstring first = kBom + Record(path, 1, L"hit 1");
    longestLineBytes = 64;
    for (const std::string& b : bytes) {
        WriteBytes(path, b);
        for (size_t size : {size_t(8), size_t(64)}) {
            readBlockSize = size;
            readAheadFrom = size == 8 ? 0 : kReadAheadFrom;
            for (int flags : {TESSUMI_KEEP_GOING, 0}) {
                SCOPED_TRACE(testing::Message() << b.size() << " bytes, blocks of " << size);
                std::wstring heard;
                Open(L"hit");
                run->options = {flags, L"", 0, 256, [](const wchar_t* p, const wchar_t* r, void* h) {
                                    *static_cast<std::wstring*>(h) += std::wstring(p) + L" " + r;
                                    return 1;
                                }, &heard};
                EXPECT_EQ(FnSearchLines(path.c_str(), path.size(), *run, status), flags ? 1 : 0);
                EXPECT_EQ(flags ? heard : std::wstring(status),
                          flags ? path + L"(2) " + reason
                                : path + L"の 2 行目を検索することができません\n理由：" + reason);
                EXPECT_EQ(Finish(), flags ? first + Record(path, 3, L"hit 3") + Record(path, 5, L"hit 5")
                                          : first);
            }
            // Each piece of the line looks: the third look is within it.
            int looks = 0;
            Open(L"hit");
            run->progress = RunProgress([](long long, long long, const wchar_t*, void* n) {
                return int(++*static_cast<int*>(n) < 3);
            }, &looks);
            run->progress.AskAtEveryLook();
            EXPECT_EQ(FnSearchLines(path.c_str(), path.size(), *run, status), 0);
            EXPECT_EQ(std::wstring(status), L"検索を中止しました");
            EXPECT_EQ(looks, 3) << "read on after the stop";
        }
    }
}

}  // namespace
