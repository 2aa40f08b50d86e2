#include "condition_checks.h"

#include "Tessumi.h"

namespace {

const wchar_t kStartFolderEmpty[] = L"入力先を入力してください。";
const wchar_t kStartFolderMissing[] = L"入力先のフォルダーがありません。";
const wchar_t kStartFolderIsFile[] = L"入力先はファイルです。フォルダーを指定してください。";
const wchar_t kResultsFileEmpty[] = L"出力先を入力してください。";
const wchar_t kResultsFolderMissing[] = L"出力先のフォルダーがありません。";
const wchar_t kResultsFileIsFolder[] = L"出力先はフォルダーです。ファイルの名前を指定してください。";
// The save picker's confirmation, as Windows words it.
const wchar_t kAlreadyExists[] = L" は既に存在します。\n上書きしますか?";

ConditionProblem Problem(ConditionField field, const std::wstring& text) { return {field, text}; }

bool SameSearch(const SearchConditions& a, const SearchConditions& b) {
    return a.startFolder == b.startFolder && a.pattern1 == b.pattern1 &&
           a.pattern2 == b.pattern2 && OptionFlags(a.options) == OptionFlags(b.options) &&
           a.options.excludedFolders == b.options.excludedFolders;
}

// The library's own verdict on a pattern, in the text a run would end with.
bool PatternRefused(const std::wstring& pattern, int role, int flags, std::wstring* text) {
    wchar_t status[TESSUMI_STATUS_TEXT_UNITS] = L"";
    if (FnCheckPattern(pattern.c_str(), role, flags, status)) return false;
    *text = status;
    return true;
}

}  // namespace

ConditionProblem FirstConditionProblem(const SearchConditions& c) {
    if (c.startFolder.empty()) return Problem(ConditionField::kStartFolder, kStartFolderEmpty);
    switch (KindOf(c.startFolder)) {
    case PathKind::kNothing: return Problem(ConditionField::kStartFolder, kStartFolderMissing);
    case PathKind::kFile: return Problem(ConditionField::kStartFolder, kStartFolderIsFile);
    case PathKind::kFolder: break;
    }
    const int flags = OptionFlags(c.options);
    std::wstring refusal;
    if (PatternRefused(c.pattern1, TESSUMI_PATTERN_PATH, flags, &refusal))
        return Problem(ConditionField::kPattern1, refusal);
    if (PatternRefused(c.pattern2, TESSUMI_PATTERN_LINE, flags, &refusal))
        return Problem(ConditionField::kPattern2, refusal);
    if (c.resultsFile.empty()) return Problem(ConditionField::kResultsFile, kResultsFileEmpty);
    if (KindOf(c.resultsFile) == PathKind::kFolder)
        return Problem(ConditionField::kResultsFile, kResultsFileIsFolder);
    std::wstring folder = ContainingFolder(c.resultsFile);
    if (folder.empty() || KindOf(folder) != PathKind::kFolder)
        return Problem(ConditionField::kResultsFile, kResultsFolderMissing);
    return {};
}

std::wstring OverwriteQuestion(const SearchConditions& c, const ShownResultsFile& shown) {
    if (KindOf(c.resultsFile) != PathKind::kFile) return L"";
    if (SameFile(IdentityOf(c.resultsFile), shown.file) && SameSearch(c, shown.madeBy)) return L"";
    return c.resultsFile + kAlreadyExists;
}

std::wstring AsWindowsUsesIt(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    const size_t nameStart = path.find_last_of(L"\\/") + 1;  // 0 when there is no folder
    const std::wstring name = path.substr(nameStart);
    if (name == L"." || name == L"..") return path;
    const size_t kept = path.find_last_not_of(L" .");
    const size_t end = kept == std::wstring::npos || kept < nameStart ? nameStart : kept + 1;
    return path.substr(0, end);
}
