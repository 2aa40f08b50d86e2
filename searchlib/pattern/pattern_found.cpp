#include "pattern_found.h"

#include <regex>

#include "../status_text.h"

struct RunPattern::Compiled {
    std::wregex regex;
};

RunPattern::RunPattern(const wchar_t* pattern, PatternRole role)
    : pattern_(pattern), role_(role) {}

RunPattern::~RunPattern() = default;

namespace {

void ReportFailure(const RunPattern& p, const wchar_t* reason, wchar_t* statusText) {
    std::wstring subject = p.role() == PatternRole::Path ? L"パターン１" : L"パターン２";
    subject += L"「" + p.text() + L"」";
    status::Compose(statusText, subject.c_str(), L"を使うことができません\n理由：", reason);
}

}  // namespace

int FnPatternFound(RunPattern& p, const wchar_t* subject, size_t length, wchar_t* statusText) {
    try {
        if (!p.compiled_) {
            auto compiled = std::make_unique<RunPattern::Compiled>();
            compiled->regex.assign(p.text(), std::regex_constants::ECMAScript);
            p.compiled_ = std::move(compiled);
        }
        return std::regex_search(subject, subject + length, p.compiled_->regex) ? 1 : 0;
    } catch (const std::regex_error&) {
        ReportFailure(p, L"正規表現として正しくありません", statusText);
    } catch (...) {
        ReportFailure(p, L"メモリが足りません", statusText);
    }
    return -1;
}
