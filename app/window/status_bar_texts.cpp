#include "status_bar_texts.h"

#include <cstdarg>
#include <cwchar>

const wchar_t kSearchCannotStart[] = L"検索を始めることができません。";

namespace {

const wchar_t kEllipsis[] = L"…";

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[128];
    va_list args;
    va_start(args, format);
    int n = vswprintf(text, sizeof(text) / sizeof(text[0]), format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<size_t>(n));
}

}  // namespace

std::wstring ProgressText(long long files, long long hits, const std::wstring& folder) {
    return Format(L"検索中（%lld ファイル、%lld 件）", files, hits) + folder;
}

std::wstring FoundText(long long hits, long long files, double seconds, long long unread,
                       long long refused) {
    std::wstring passedBy;
    if (unread > 0) passedBy += Format(L"%lld 件読めませんでした、", unread);
    if (refused > 0) passedBy += Format(L"%lld 件は照合を打ち切りました、", refused);
    return Format(L"%lld 件見つかりました（%lld ファイル、", hits, files) + passedBy +
           Format(L"%.1f 秒）", seconds);
}

std::wstring ExportingText(size_t records) {
    return Format(L"結果を書き出しています（%lld 件）…", static_cast<long long>(records));
}

std::wstring ExportedText(size_t records, const std::wstring& file) {
    return Format(L"%lld 件を書き出しました：", static_cast<long long>(records)) + file;
}

std::wstring StoppedText(long long hits) { return Format(L"検索を中止しました（%lld 件）", hits); }

std::wstring FolderEnd(const std::wstring& folder, size_t tail) {
    if (tail >= folder.size()) return folder;
    size_t from = folder.size() - tail;
    // Never start inside a surrogate pair.
    if (folder[from] >= 0xDC00 && folder[from] <= 0xDFFF) ++from;
    return kEllipsis + folder.substr(from);
}
