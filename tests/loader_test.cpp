// SubReadText through the DLL: every mode, every failure text, and buffers
// released by the caller.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <memory>
#include <string>

#include "Tessumi.h"
#include "test_support.h"

using namespace testing_support;

namespace {

const std::wstring kOk = L"正常です。";

struct Loaded {
    int result = -1;
    wchar_t* text = nullptr;
    int length = -1;
    wchar_t status[256 + 16];
    Loaded() { std::fill(std::begin(status), std::end(status), L'#'); }
    ~Loaded() { delete[] text; }  // the caller's array release frees the library's buffer
    std::wstring units() const { return std::wstring(text, static_cast<size_t>(length)); }
    std::string bytes() const {
        return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
    }
    bool canaryIntact() const {
        for (size_t i = 256; i < 256 + 16; ++i)
            if (status[i] != L'#') return false;
        return true;
    }
};

void Load(const std::wstring& path, int convert, Loaded& out) {
    out.result = SubReadText(path.c_str(), &out.text, &out.length, convert, out.status);
}

class LoaderTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(LoaderTest, ShiftJisTextIsConvertedBehindAByteOrderMark) {
    std::wstring content = L"日本語のテキスト\r\nabc";
    WriteBytes(dir / L"sjis.txt", SjisBytes(content));
    Loaded r;
    Load(dir / L"sjis.txt", 1, r);
    ASSERT_EQ(r.result, 1) << Show(r.status);
    EXPECT_EQ(std::wstring(r.status), kOk);
    EXPECT_EQ(r.length, static_cast<int>(1 + content.size()));
    EXPECT_EQ(r.units(), L"\xFEFF" + content);
}

TEST_F(LoaderTest, Utf16FileIsTakenUnchangedAndAnOddByteIsNotCounted) {
    WriteBytes(dir / L"u16.txt", std::string("\xFF\xFE" "a\0b\0c", 7));
    Loaded r;
    Load(dir / L"u16.txt", 1, r);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.length, 3);
    EXPECT_EQ(r.units(), L"\xFEFF" L"ab");

    WriteBytes(dir / L"bom.txt", std::string("\xFF\xFE", 2));
    Loaded bomOnly;
    Load(dir / L"bom.txt", 1, bomOnly);
    ASSERT_EQ(bomOnly.result, 1);
    EXPECT_EQ(bomOnly.units(), L"\xFEFF");
}

TEST_F(LoaderTest, OneByteFileAndAZeroByteKept) {
    WriteBytes(dir / L"one.txt", "a");
    Loaded one;
    Load(dir / L"one.txt", 1, one);
    ASSERT_EQ(one.result, 1);
    EXPECT_EQ(one.units(), L"\xFEFF" L"a");

    WriteBytes(dir / L"zero.txt", std::string("a\0b", 3));
    Loaded zero;
    Load(dir / L"zero.txt", 1, zero);
    ASSERT_EQ(zero.result, 1);
    EXPECT_EQ(zero.length, 4);
    EXPECT_EQ(zero.units(), std::wstring(L"\xFEFF" L"a\0b", 4));
}

// A mark becomes the one U+FEFF at unit 0, which UTF-16 without one gets too.
// A UTF-8 mark always holds: a byte that begins no well-formed sequence
// becomes U+FFFD.
TEST_F(LoaderTest, BigEndianAndUtf8MarksBecomeUnitZero) {
    struct Case {
        std::string bytes;
        std::wstring units;
    } cases[] = {
        {std::string("\xFE\xFF\0a\x67\x71\0", 7), L"\xFEFF" L"a東"},  // odd byte dropped
        {"\xFE\xFF", L"\xFEFF"},
        {"\xEF\xBB\xBF" "a\xE6\x9D\xB1", L"\xFEFF" L"a東"},
        {"\xEF\xBB\xBF", L"\xFEFF"},
        {"\xEF\xBB\xBF" "\x93\x8C", L"\xFEFF\xFFFD\xFFFD"},
        // UTF-16 without a mark gets the U+FEFF all the same.
        {std::string("a\0\r\0\n\0\x71\x67", 8), L"\xFEFF" L"a\r\n東"},
        {std::string("\0a\0\r\0\n\x67\x71", 8), L"\xFEFF" L"a\r\n東"},
    };
    for (const Case& c : cases) {
        WriteBytes(dir / L"marked.txt", c.bytes);
        Loaded r;
        Load(dir / L"marked.txt", 1, r);
        ASSERT_EQ(r.result, 1) << Show(r.status);
        EXPECT_EQ(std::wstring(r.status), kOk);
        EXPECT_EQ(r.units(), c.units) << Show(r.units());
    }
}

TEST_F(LoaderTest, EmptyFileInBothModes) {
    WriteBytes(dir / L"empty.txt", "");
    Loaded raw;
    Load(dir / L"empty.txt", 0, raw);
    ASSERT_EQ(raw.result, 1);
    EXPECT_EQ(raw.length, 0);
    EXPECT_NE(raw.text, nullptr);
    EXPECT_EQ(std::wstring(raw.status), kOk);

    // An empty file is an empty text: a search must not stop at it.
    Loaded text;
    Load(dir / L"empty.txt", 1, text);
    ASSERT_EQ(text.result, 1) << Show(text.status);
    EXPECT_EQ(text.units(), L"\xFEFF");
    EXPECT_EQ(std::wstring(text.status), kOk);
}

TEST_F(LoaderTest, RawModeGivesTheBytesUnchanged) {
    std::string bytes("\xFF\xFE" "x\0\r\0\n\0\x80", 9);
    WriteBytes(dir / L"raw.bin", bytes);
    Loaded r;
    Load(dir / L"raw.bin", 0, r);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.length, 9);
    EXPECT_EQ(r.bytes(), bytes);
}

TEST_F(LoaderTest, MissingFileAndMissingFolder) {
    std::wstring missing = dir / L"nothing.txt";
    Loaded r;
    wchar_t* before = reinterpret_cast<wchar_t*>(0x1234);
    r.text = before;
    Load(missing, 1, r);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.text, before);  // the caller's pointer stays as it was
    r.text = nullptr;
    EXPECT_EQ(std::wstring(r.status),
              missing + L"の読み込みハンドルを作成することができません\n理由：" +
                  SystemText(ERROR_FILE_NOT_FOUND))
        << Show(r.status);

    std::wstring inMissingFolder = dir / L"no-such-folder\\a.txt";
    Loaded f;
    Load(inMissingFolder, 0, f);
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(std::wstring(f.status),
              inMissingFolder + L"の読み込みハンドルを作成することができません\n理由：" +
                  SystemText(ERROR_PATH_NOT_FOUND));
}

TEST_F(LoaderTest, FileHeldForWritingWithoutReadSharing) {
    std::wstring path = dir / L"held.txt";
    WriteBytes(path, "abc");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Loaded r;
    Load(path, 1, r);
    CloseHandle(h);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(std::wstring(r.status),
              path + L"の読み込みハンドルを作成することができません\n理由：" +
                  SystemText(ERROR_SHARING_VIOLATION));
}

// A sparse file gives the sizes without writing gigabytes.
void MakeSparse(const std::wstring& path, LONGLONG size) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
}

TEST_F(LoaderTest, FilesTooLargeForTheLengthAreRefused) {
    std::wstring huge = dir / L"4g.bin";
    MakeSparse(huge, 0x100000010LL);
    Loaded r;
    Load(huge, 1, r);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(std::wstring(r.status), L"ファイル" + huge + L"のサイズが大き過ぎます");

    // 2 GiB does not fit the signed 32-bit length in either mode.
    std::wstring big = dir / L"2g.bin";
    MakeSparse(big, 0x80000000LL);
    Loaded raw;
    Load(big, 0, raw);
    EXPECT_EQ(raw.result, 0);
    EXPECT_EQ(std::wstring(raw.status), L"ファイル" + big + L"のサイズが大き過ぎます");
}

TEST_F(LoaderTest, LongPathNeverWritesPastTheStatusText) {
    std::wstring path = dir.path() + L"\\" + std::wstring(300 - dir.path().size() - 1, L'n');
    ASSERT_EQ(path.size(), 300u);
    Loaded r;
    Load(path, 1, r);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.canaryIntact());
    EXPECT_EQ(r.status[255], L'\0');
    EXPECT_EQ(std::wstring(r.status), path.substr(0, 255));
}

TEST_F(LoaderTest, BuffersFromTheLibraryAreReleasedByTheCaller) {
    WriteBytes(dir / L"a.txt", std::string(100000, 'a'));
    for (int i = 0; i < 200; ++i) {
        wchar_t* text = nullptr;
        int length = 0;
        wchar_t status[256];
        ASSERT_EQ(SubReadText((dir / L"a.txt").c_str(), &text, &length, i % 2, status), 1);
        delete[] text;
    }
}

}  // namespace
