// FnAllMatches: every match of pattern 2 in one line, for the view to mark
// them all. As FnFirstMatch: the search's own answer (FnPatternFound) says
// whether there is any, and the positions are looked for with the same
// compiled form of the pattern, folded when the search folded.
#include <windows.h>

#include <algorithm>
#include <regex>
#include <utility>
#include <vector>

#include "Tessumi.h"
#include "folding.h"
#include "line_matcher.h"
#include "metered_search.h"
#include "pattern_found.h"
#include "status_text.h"

namespace {

// The matches in searched[0, units) from `from` on, as regex_iterator finds
// them, in the searched text's own positions.
void Locate(const std::wregex& locate, const wchar_t* searched, size_t units, size_t from,
            int capacity, std::vector<std::pair<size_t, size_t>>& out) {
    SearchBounds bounds{kStepsBase + kStepsPerUnit * static_cast<long long>(units), 1,
                        StackFloor()};
    const auto anywhere = std::regex_constants::match_default;
    // After an empty match, a longer one at the same place first.
    const auto longerHere =
        std::regex_constants::match_not_null | std::regex_constants::match_continuous;
    auto flags = anywhere;
    while (from <= units && static_cast<int>(out.size()) < capacity) {
        size_t at = 0, size = 0;
        const MeteredResult result =
            MeteredMatchFrom(locate, searched, units, from, flags, bounds, &at, &size);
        if (result == MeteredResult::OverLimits) return;
        if (result == MeteredResult::NotFound) {
            if (flags == anywhere) return;
            ++from;  // nothing longer at the empty match: on from the next unit
            flags = anywhere;
        } else if (size > 0) {
            out.emplace_back(at, size);
            from = at + size;
            flags = anywhere;
        } else {
            from = at;
            flags = longerHere;
        }
    }
}

}  // namespace

extern "C" TESSUMI_API int FnAllMatches(const wchar_t* pattern, const wchar_t* line, int length,
                                        int flags, int from, int* spans, int capacity, int* count,
                                        wchar_t* statusText) {
    if (!statusText || !pattern || !count || length < 0 || (!line && length > 0) || from < 0 ||
        capacity < 0 || (!spans && capacity > 0)) {
        if (statusText) status::SystemReasonOnly(statusText, ERROR_INVALID_PARAMETER);
        return 0;
    }
    *count = 0;
    try {
        return WithMatcher(pattern, flags, [&](Matcher& m) {
            const wchar_t* subject = line ? line : L"";
            const size_t n = static_cast<size_t>(length);
            const int found = FoundAsSearched(m, subject, n, statusText);
            if (found < 0) return 0;
            status::Ok(statusText);
            if (found == 0 || !m.locatable || static_cast<size_t>(from) > n) return 1;
            const wchar_t* searched = subject;
            size_t units = n;
            size_t start = static_cast<size_t>(from);
            if (m.folding) {
                m.folding->FoldMapped(subject, n, m.folded, m.at);
                searched = m.folded.data();
                units = m.folded.size();
                start = static_cast<size_t>(std::lower_bound(m.at.begin(), m.at.end(), start) -
                                            m.at.begin());
            }
            std::vector<std::pair<size_t, size_t>> matches;
            Locate(m.locate, searched, units, start, capacity, matches);
            // A line that only the pattern as written finds (folding may
            // narrow a match) is marked where that pattern matches.
            const bool plain = matches.empty() && m.plainLocatable;
            if (plain)
                Locate(m.locatePlain, subject, n, static_cast<size_t>(from), capacity, matches);
            // Back to the line's own units: a folded unit may stand for two (ｶﾞ).
            const auto inLine = [&](size_t k) {
                return !m.folding || plain ? k : k < m.at.size() ? m.at[k] : n;
            };
            for (const auto& match : matches) {
                const size_t begin = inLine(match.first), end = inLine(match.first + match.second);
                spans[2 * *count] = static_cast<int>(begin);
                spans[2 * *count + 1] = static_cast<int>(end - begin);
                ++*count;
            }
            return 1;
        });
    } catch (...) {
        *count = 0;
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
