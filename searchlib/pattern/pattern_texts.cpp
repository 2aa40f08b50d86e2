#include "pattern_texts.h"

#include <cwchar>
#include <string>

#include "status_text.h"
#include "pattern_found.h"

namespace {

const wchar_t kPathPattern[] = L"パターン１";  // as the search dialog labels them
const wchar_t kLinePattern[] = L"パターン２";
const wchar_t kOpenQuote[] = L"「";
const wchar_t kCloseQuote[] = L"」";
const wchar_t kEllipsis[] = L"…";

// Lead-ins: the pattern could not be compiled, or a search with it failed.
const wchar_t kCompileLeadIn[] = L"を正規表現として使うことができません\n理由：";
const wchar_t kSearchLeadIn[] = L"で検索することができません\n理由：";

// The parts of an IME character's reason, and what kind of character it is.
const wchar_t kCharacterAt[] = L" 文字目";
const wchar_t kIsFullWidth[] = L"は全角の";
const wchar_t kTypeItHalfWidth[] = L"です。半角で入力してください";
const wchar_t kDigit[] = L"数字";
const wchar_t kLetter[] = L"英字";
const wchar_t kSpace[] = L"空白";
const wchar_t kSymbol[] = L"記号";

const wchar_t* KindOf(wchar_t c) {
    if (c >= 0xFF10 && c <= 0xFF19) return kDigit;
    if ((c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A)) return kLetter;
    return c == 0x3000 ? kSpace : kSymbol;
}

struct CodeReason {
    std::regex_constants::error_type code;
    const wchar_t* reason;
};

const CodeReason kCodeReasons[] = {
    {std::regex_constants::error_collate, L"照合要素の名前が正しくありません"},
    {std::regex_constants::error_ctype, L"文字クラスの名前が正しくありません"},
    {std::regex_constants::error_escape, L"\\ の後のエスケープが不完全です"},
    {std::regex_constants::error_backref, L"後方参照の番号が正しくありません"},
    {std::regex_constants::error_brack, L"[ と ] の対応が取れていません"},
    {std::regex_constants::error_paren, L"( と ) の対応が取れていません"},
    {std::regex_constants::error_brace, L"{ と } の対応が取れていません"},
    {std::regex_constants::error_badbrace, L"{ } の中の回数の指定が正しくありません"},
    {std::regex_constants::error_range, L"文字の範囲の指定が正しくありません"},
    {std::regex_constants::error_space, L"正規表現を変換するメモリが足りません"},
    {std::regex_constants::error_badrepeat, L"繰り返しの記号（*、+、?、{）の前に繰り返すものがありません"},
    {std::regex_constants::error_complexity, L"照合が複雑過ぎます"},
    {std::regex_constants::error_stack, L"照合に必要なメモリが足りません"},
#ifdef _MSC_VER
    {std::regex_constants::error_syntax, kPatternSyntaxReason},
#endif
};

}  // namespace

const wchar_t kPatternSyntaxReason[] = L"正規表現の書き方が正しくありません";
const wchar_t kPatternLimitsReason[] = L"照合の手間が大き過ぎるため、処理の限界を超えました";
const wchar_t kPatternTooLongReason[] = L"パターンが長過ぎます";
const wchar_t kPatternNoMemoryReason[] = L"メモリが足りません";

const wchar_t* PatternErrorReason(std::regex_constants::error_type code) {
    for (const CodeReason& entry : kCodeReasons)
        if (entry.code == code) return entry.reason;
    return kPatternSyntaxReason;
}

std::wstring ImeCharacterReason(const std::wstring& pattern, size_t at) {
    size_t characters = 1;  // a surrogate pair is one
    for (size_t i = 0; i < at; ++i)
        characters += !(i > 0 && pattern[i] >= 0xDC00 && pattern[i] <= 0xDFFF &&
                         pattern[i - 1] >= 0xD800 && pattern[i - 1] <= 0xDBFF);
    return std::to_wstring(characters) + kCharacterAt + kOpenQuote + pattern[at] + kCloseQuote +
           kIsFullWidth + KindOf(pattern[at]) + kTypeItHalfWidth;
}

void ComposePatternFailure(wchar_t* statusText, PatternRole role, const std::wstring& pattern,
                           PatternStage stage, const wchar_t* reason) {
    const wchar_t* leadIn = stage == PatternStage::Compile ? kCompileLeadIn : kSearchLeadIn;
    std::wstring subject = role == PatternRole::Path ? kPathPattern : kLinePattern;
    subject += kOpenQuote;
    // Units left for the pattern once everything else, and the terminating
    // zero, has its place.
    size_t fixed = subject.size() + wcslen(kCloseQuote) + wcslen(leadIn) + wcslen(reason) + 1;
    size_t room = status::Room() > fixed ? status::Room() - fixed : 0;
    if (pattern.size() <= room) {
        subject += pattern;
    } else if (room > 0) {
        size_t keep = room - 1;  // one unit for the ellipsis
        if (keep > 0 && pattern[keep - 1] >= 0xD800 && pattern[keep - 1] <= 0xDBFF) --keep;
        subject.append(pattern, 0, keep);
        subject += kEllipsis;
    }
    subject += kCloseQuote;
    status::Compose(statusText, subject.c_str(), leadIn, reason);
}
