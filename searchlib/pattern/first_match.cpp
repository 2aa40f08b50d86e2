// FnFirstMatch: where pattern 2 matches in one line, for the view to mark.
// The answer found/not found is the search's own (FnPatternFound); only the
// position is looked up here, with the same compiled form of the pattern.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <locale>
#include <memory>
#include <new>
#include <regex>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "fold_pattern.h"
#include "folding.h"
#include "line_matcher.h"
#include "metered_search.h"
#include "pattern_found.h"
#include "pattern_plan.h"
#include "status_text.h"
#include "unit_classes.h"

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
Matcher* g_matcher = nullptr;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

// False when it can't be compiled: FnPatternFound gives the failure text.
bool Compile(std::wregex& regex, const std::wstring& source) {
    try {
        regex.imbue(PatternLocale());
        regex.assign(EscapeNarrowedSpecials(source), std::regex_constants::ECMAScript);
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

Matcher& MatcherFor(const wchar_t* pattern, int flags) {
    if (!g_matcher || g_matcher->pattern != pattern || g_matcher->flags != flags) {
        auto m = std::make_unique<Matcher>();
        m->pattern = pattern;
        m->flags = flags;
        m->found = std::make_unique<RunPattern>(pattern, PatternRole::Line, flags);
        // The position is looked for as the search matched: the folded
        // pattern in the folded line.
        m->folding = Folding::For(flags);
        m->locatable = Compile(m->locate, m->folding ? FoldPattern(m->pattern, *m->folding).source
                                                     : m->pattern);
        m->plainLocatable = m->folding && Compile(m->locatePlain, m->pattern);
        delete g_matcher;
        g_matcher = m.release();
    }
    return *g_matcher;
}

}  // namespace

int FoundAsSearched(Matcher& m, const wchar_t*& subject, size_t n, wchar_t* statusText) {
    int found = 0;
    const wchar_t symbol = TESSUMI_NUL_SYMBOL;
    if (std::find(subject, subject + n, symbol) != subject + n) {
        m.withNuls.assign(subject, n);
        std::replace(m.withNuls.begin(), m.withNuls.end(), symbol, L'\0');
        found = FnPatternFound(*m.found, m.withNuls.data(), n, statusText);
        if (found > 0) subject = m.withNuls.data();
    }
    if (found == 0) found = FnPatternFound(*m.found, subject, n, statusText);
    return found;
}

int WithMatcher(const wchar_t* pattern, int flags, const std::function<int(Matcher&)>& use) {
    ExclusiveLock hold(g_lock);
    return use(MatcherFor(pattern, flags));
}

extern "C" TESSUMI_API int FnFirstMatch(const wchar_t* pattern, const wchar_t* line, int length,
                                        int flags, int* start, int* matchLength,
                                        wchar_t* statusText) {
    if (!statusText || !pattern || !start || !matchLength || length < 0 || (!line && length > 0)) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    *start = -1;
    *matchLength = 0;
    try {
        ExclusiveLock hold(g_lock);
        Matcher& m = MatcherFor(pattern, flags);
        const wchar_t* subject = line ? line : L"";
        const size_t n = static_cast<size_t>(length);
        const int found = FoundAsSearched(m, subject, n, statusText);
        if (found < 0) return 0;
        status::Ok(statusText);
        if (found == 0 || !m.locatable) return 1;
        const wchar_t* searched = subject;
        size_t units = n;
        if (m.folding) {
            m.folding->FoldMapped(subject, n, m.folded, m.at);
            searched = m.folded.data();
            units = m.folded.size();
        }
        const long long steps = kStepsBase + kStepsPerUnit * static_cast<long long>(units);
        size_t at = 0, size = 0;
        if (MeteredFirstMatch(m.locate, searched, units, {steps, 1, StackFloor()}, &at, &size) !=
            MeteredResult::Found) {
            // Found by the pattern as written alone: marked where it matches.
            if (m.plainLocatable &&
                MeteredFirstMatch(m.locatePlain, subject, n, {steps, 1, StackFloor()}, &at,
                                  &size) == MeteredResult::Found) {
                *start = static_cast<int>(at);
                *matchLength = static_cast<int>(size);
            }
            return 1;
        }
        size_t end = at + size;
        if (m.folding) {
            // Back to the line's own units: a folded unit may stand for two (ｶﾞ).
            end = end < m.at.size() ? m.at[end] : n;
            at = at < m.at.size() ? m.at[at] : n;
        }
        *start = static_cast<int>(at);
        *matchLength = static_cast<int>(end - at);
        return 1;
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
