#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace testing_support {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"tessumi-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++);
    if (!path_.empty() && path_.back() == L'\\') path_.pop_back();
    RemoveTree(path_);
    MakeDir(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

void MakeDir(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << Show(path);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << Show(path);
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(ok);
    ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << Show(path);
        return std::string();
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::string Utf16BeBytes(const std::wstring& text) {
    std::string bytes = Utf16Bytes(text);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

std::string SjisBytes(const std::wstring& text) { return CodePageBytes(932, text); }

std::string Utf8Bytes(const std::wstring& text) { return CodePageBytes(CP_UTF8, text); }

std::string CodePageBytes(UINT codePage, const std::wstring& text) {
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n,
                        nullptr, nullptr);
    return bytes;
}

std::vector<std::pair<const wchar_t*, std::string>> BinarySamples() {
    static const char kPng[] =
        "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1F\x15\xC4\x89\0\0\0"
        "\x0AIDATx\x9C" "c\0\x01\0\0\x05\0\x01\x0D\x0A\x2D\xB4\0\0\0\0IEND\xAE\x42\x60\x82";
    static const char kZip[] =  // a.txt, deflated
        "PK\x03\x04\x14\0\0\0\x08\0\x80\xB0\x89\x5D\xE2\xF7\xDC\xBD\x15\0\0\0\x2D\0\0\0\x05\0\0\0"
        "a.txt\x7B\x36\x77\xE3\x93\x5D\x6B\x14\xF2\x52\x53\x53\x72\x52\x79\xB9\x9E\xE1\xE5\x02\0"
        "PK\x01\x02\x14\x03\x14\0\0\0\x08\0\x80\xB0\x89\x5D\xE2\xF7\xDC\xBD\x15\0\0\0\x2D\0\0\0"
        "\x05\0\0\0\0\0\0\0\0\0\0\0\x80\x01\0\0\0\0a.txtPK\x05\x06\0\0\0\0\x01\0\x01\0\x33\0\0\0"
        "\x38\0\0\0\0\0";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return {{L"dot.png", std::string(kPng, sizeof(kPng) - 1)},
            {L"text.zip", std::string(kZip, sizeof(kZip) - 1)},
            {L"program.exe", ReadBytes(self)}};
}

std::wstring Record(const std::wstring& path, int number, const std::wstring& line) {
    return path + L"\r\n\t(" + std::to_wstring(number) + L")===>" + line + L"\r\n";
}

std::wstring ReadText(const std::wstring& path) {
    std::string bytes = ReadBytes(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
}

std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_FROM_SYSTEM,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text) : std::wstring();
    if (text) LocalFree(text);
    return result;
}

std::string Show(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
    return out;
}

}  // namespace testing_support
