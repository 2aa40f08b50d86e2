#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Tessumi.h"
#include "pattern/folding.h"
#include "pattern/lazy_dfa.h"
#include "pattern/literal_search.h"
#include "pattern/pattern_automaton.h"
#include "pattern/pattern_found.h"
#include "pattern/pattern_plan.h"
#include "pattern/pattern_texts.h"
#include "pattern/unit_classes.h"
#include "test_support.h"

using testing_support::Show;

namespace {

const wchar_t kUntouched[] = L"untouched";
const std::wstring kCompileLeadIn = L"を正規表現として使うことができません\n理由：";
const std::wstring kSearchLeadIn = L"で検索することができません\n理由：";

struct Outcome {
    int result;
    std::wstring text;
};

Outcome TestOnce(const std::wstring& pattern, const std::wstring& subject,
             PatternRole role = PatternRole::Line) {
    RunPattern p(pattern.c_str(), role);
    wchar_t text[256];
    wcscpy(text, kUntouched);
    int r = FnPatternFound(p, subject.data(), subject.size(), text);
    return {r, text};
}

int Found(const std::wstring& pattern, const std::wstring& subject) {
    Outcome o = TestOnce(pattern, subject);
    EXPECT_NE(o.result, -1) << Show(pattern) << " " << Show(o.text);
    return o.result;
}

std::wstring LimitsText(const std::wstring& pattern) {
    return L"パターン２「" + pattern + L"」" + kSearchLeadIn + kPatternLimitsReason;
}

std::wstring CompileText(const std::wstring& pattern, const wchar_t* reason) {
    return L"パターン２「" + pattern + L"」" + kCompileLeadIn + reason;
}

std::wstring Repeat(const std::wstring& unit, size_t times) {
    std::wstring s;
    s.reserve(unit.size() * times);
    for (size_t i = 0; i < times; ++i) s += unit;
    return s;
}

// --- Answers ---------------------------------------------------------------

TEST(PatternAnswer, EmptyPatternIsFoundInEverySubject) {
    EXPECT_EQ(Found(L"", L""), 1);
    EXPECT_EQ(Found(L"", L"C:\\data\\a.txt"), 1);
    EXPECT_EQ(Found(L"a|", L"xyz"), 1);  // an empty alternative matches as well
    EXPECT_EQ(Found(L"x*", L""), 1);
}

TEST(PatternAnswer, FoundAnywhereNotOnlyAsAWhole) {
    EXPECT_EQ(Found(L"rror", L"Error: disk full"), 1);
    EXPECT_EQ(Found(L"r+o", L"Error: disk full"), 1);
    EXPECT_EQ(Found(L"disk|tape", L"Error: disk full"), 1);
    EXPECT_EQ(Found(L"tape|cd", L"Error: disk full"), 0);
}

TEST(PatternAnswer, SingleBackslashesInAPathAreEscapes) {
    const std::wstring path = L"C:\\temp\\data\\a.txt";
    // \t is a TAB, \d a digit, \a an a: nothing of it matches the path.
    EXPECT_EQ(Found(L"C:\\temp\\data", path), 0);
    EXPECT_EQ(Found(L"C:\\\\temp\\\\data", path), 1);
    EXPECT_EQ(Found(L"C:\\temp", L"C:\temp"), 1);  // C, :, TAB, e, m, p
    EXPECT_EQ(Found(L"\\data", L"x7ata"), 1);      // \d is a digit
    EXPECT_EQ(Found(L"\\q\\.txt", L"q.txt"), 1);   // \q is q itself
    EXPECT_EQ(Found(L"\\q\\.txt", L"qxtxt"), 0);
    // A start folder ending in \ gives two in a row; one in the pattern misses.
    EXPECT_EQ(Found(L"C:\\\\\\\\a\\.txt", L"C:\\\\a.txt"), 1);
    EXPECT_EQ(Found(L"C:\\\\a\\.txt", L"C:\\\\a.txt"), 0);
}

TEST(PatternAnswer, CaseIsSignificant) {
    EXPECT_EQ(Found(L"\\.txt$", L"D:\\A.TXT"), 0);
    EXPECT_EQ(Found(L"\\.txt$", L"D:\\a.txt"), 1);
    EXPECT_EQ(Found(L"[a-z]+\\.TXT", L"d:\\read.txt"), 0);
    EXPECT_EQ(Found(L"Error", L"error"), 0);
}

TEST(PatternAnswer, KanjiAndSurrogatePairsAreCodeUnits) {
    EXPECT_EQ(Found(L"漢字", L"この漢字は"), 1);
    EXPECT_EQ(Found(L"漢字", L"漢 字"), 0);
    EXPECT_EQ(Found(L"[漢字]+です", L"字漢です"), 1);
    const std::wstring pair = L"\xD842\xDFB7";  // U+20BB7, two units
    EXPECT_EQ(Found(pair, L"a" + pair + L"b"), 1);
    EXPECT_EQ(Found(pair, L"a\xD842" L"b"), 0);
    EXPECT_EQ(Found(L"^.$", pair), 0);  // . takes one unit
    EXPECT_EQ(Found(L"^..$", pair), 1);
    EXPECT_EQ(Found(L"^[\\uD842\\uDFB7]$", pair), 0);  // a bracket, one unit
    EXPECT_EQ(Found(L"^[\\uD842\\uDFB7]{2}$", pair), 1);
}

TEST(PatternAnswer, AnchorsHoldOnlyAtTheSubjectsEnds) {
    EXPECT_EQ(Found(L"^abc", L"abcd"), 1);
    EXPECT_EQ(Found(L"^abc", L"xabc"), 0);
    EXPECT_EQ(Found(L"abc$", L"xabc"), 1);
    EXPECT_EQ(Found(L"abc$", L"abcx"), 0);
    EXPECT_EQ(Found(L"^abc$", L"abc"), 1);
    EXPECT_EQ(Found(L"^abc$", L"abcabc"), 0);
    EXPECT_EQ(Found(L"^$", L""), 1);
    EXPECT_EQ(Found(L"^$", L"a"), 0);
    EXPECT_EQ(Found(L"x|^b", L"ab"), 0);  // ^ never matches inside
    EXPECT_EQ(Found(L"a$|x", L"ab"), 0);
    EXPECT_EQ(Found(L"^a.c", L"xabc"), 0);
    EXPECT_EQ(Found(L"^a.c", L"abc"), 1);
    EXPECT_EQ(Found(L"\\bfoo\\b", L"a foo."), 1);
    EXPECT_EQ(Found(L"\\bfoo\\b", L"afoo"), 0);
}

// The C runtime narrows U+00A5 onto \ and U+00A6 onto | for the compiler's
// scanner; they are characters of their own all the same, wherever they stand.
TEST(PatternAnswer, NarrowedCharactersAreOrdinary) {
    for (int again = 0; again < 3; ++again) {  // read raw, the outcome would vary
        EXPECT_EQ(Found(L"\xA5", L"a\xA5" L"b"), 1);
        EXPECT_EQ(Found(L"\xA5", L"a\\b"), 0);
        EXPECT_EQ(Found(L"a\xA5", L"aa"), 0);
        EXPECT_EQ(Found(L"a\xA5", L"xa\xA5"), 1);
        EXPECT_EQ(Found(L"a\xA6" L"b", L"a"), 0);
        EXPECT_EQ(Found(L"a\xA6" L"b", L"a\xA6" L"b"), 1);
        EXPECT_EQ(Found(L"\xA5+x", L"\xA5\xA5x"), 1);
        EXPECT_EQ(Found(L"(\xA5|y)z", L"\xA5z"), 1);
        EXPECT_EQ(Found(L"[\xA5]", L"\xA5"), 1);
        EXPECT_EQ(Found(L"[\xA5]", L"\\"), 0);
        EXPECT_EQ(Found(L"\\\xA5", L"\xA5"), 1);
        EXPECT_EQ(Found(L"\\\\\xA5", L"\\\xA5"), 1);
        EXPECT_EQ(Found(L"\\c\xA5", L"\xA5"), 1);  // \c takes the next unit itself
        EXPECT_EQ(TestOnce(L"\xA5(", L"x").text,
                  CompileText(L"\xA5(", PatternErrorReason(std::regex_constants::error_paren)));
    }
}

// A long subject goes past the backtracking executor; the answers must not
// change with it.
TEST(PatternAnswer, LongSubjectsGiveTheSameAnswers) {
    const std::wstring filler = Repeat(L"lorem ipsum ", 100);
    EXPECT_EQ(Found(L"^lorem", filler), 1);
    EXPECT_EQ(Found(L"^ipsum", filler), 0);
    EXPECT_EQ(Found(L"\\bsum", filler), 0);
    EXPECT_EQ(Found(L"\\Bsum", filler), 1);
    EXPECT_EQ(Found(L"m $", filler), 1);
    EXPECT_EQ(Found(L"[0-9]+x", filler + L"123x"), 1);
    EXPECT_EQ(Found(L"(?=ip)i\\w+ l", filler), 1);
    EXPECT_EQ(Found(L"(\\w+) \\1", filler), 0);
    EXPECT_EQ(Found(L"(\\w+) \\1", filler + L"ab ab"), 1);
}

// --- Failures --------------------------------------------------------------

TEST(PatternFailure, WildcardIsARepeatWithNothingToRepeat) {
    Outcome o = TestOnce(L"*.txt", L"C:\\a.txt", PatternRole::Path);
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.text,
              L"パターン１「*.txt」を正規表現として使うことができません\n理由："
              L"繰り返しの記号（*、+、?、{）の前に繰り返すものがありません")
        << Show(o.text);
}

TEST(PatternFailure, ComposedTextNamesThePatternAndTheCause) {
    Outcome o = TestOnce(L"(a", L"a");
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.text,
              L"パターン２「(a」を正規表現として使うことができません\n理由：( と ) の対応が取れていません")
        << Show(o.text);
}

TEST(PatternFailure, EveryErrorCodeHasAReasonOfItsOwn) {
    using namespace std::regex_constants;
    const error_type codes[] = {error_collate, error_ctype,    error_escape,    error_backref,
                                error_brack,   error_paren,    error_brace,     error_badbrace,
                                error_range,   error_space,    error_badrepeat, error_complexity,
                                error_stack};
    std::set<std::wstring> reasons;
    for (error_type code : codes) {
        std::wstring reason = PatternErrorReason(code);
        EXPECT_FALSE(reason.empty());
        EXPECT_NE(reason, kPatternSyntaxReason);
        reasons.insert(reason);
    }
    EXPECT_EQ(reasons.size(), std::size(codes));
    reasons.insert(kPatternSyntaxReason);
    reasons.insert(kPatternLimitsReason);
    reasons.insert(kPatternTooLongReason);
    reasons.insert(kPatternNoMemoryReason);
    EXPECT_EQ(reasons.size(), std::size(codes) + 4);
}

// Each faulty pattern shows the reason of the code the standard library
// gives, except that a repeat with nothing to repeat and an unknown (? form,
// which the library reports as a parenthesis fault, and an unknown class
// name, which it reports as a collating-element fault, are named for what
// they are.
TEST(PatternFailure, FaultyPatternsShowTheirCodesReason) {
    using namespace std::regex_constants;
    struct Case {
        const wchar_t* pattern;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {L"[[.ab.]]", PatternErrorReason(error_collate)},
        {L"[[:alpha]", PatternErrorReason(error_ctype)},
        {L"[[:alpa:]]", PatternErrorReason(error_ctype)},
        {L"[[.ab.]][[:alpa:]]", PatternErrorReason(error_collate)},
        {L"ab\\", PatternErrorReason(error_escape)},
        {L"\\x4g", PatternErrorReason(error_escape)},
        {L"(a)\\2", PatternErrorReason(error_backref)},
        {L"[ab", PatternErrorReason(error_brack)},
        {L"(ab", PatternErrorReason(error_paren)},
        {L"ab)", PatternErrorReason(error_paren)},
        {L"a{1", PatternErrorReason(error_brace)},
        {L"a{3,1}", PatternErrorReason(error_badbrace)},
        {L"[z-a]", PatternErrorReason(error_range)},
        {L"a{100000}", PatternErrorReason(error_space)},
        {L"+a", PatternErrorReason(error_badrepeat)},
        {L"a|?b", PatternErrorReason(error_badrepeat)},
        {L"(*a)", PatternErrorReason(error_badrepeat)},
        {L"^*", PatternErrorReason(error_badrepeat)},
        {L"(?<x)", kPatternSyntaxReason},
    };
    for (const Case& c : cases) {
        Outcome o = TestOnce(c.pattern, L"abc");
        EXPECT_EQ(o.result, -1) << Show(c.pattern);
        EXPECT_EQ(o.text, CompileText(c.pattern, c.reason)) << Show(o.text);
    }
}

// Patterns as typed with the IME on, through the check the dialog makes: a
// full-width character where the grammar needs ASCII is named; full-width
// characters the grammar takes as themselves stay literals.
TEST(PatternFailure, ImeCharactersWhereTheGrammarNeedsAsciiAreNamed) {
    struct Row { const wchar_t* pattern; const wchar_t* at; const wchar_t* kind; };
    const Row rows[] = {
        {L"[0-9]{３}", L"7 文字目「３」", L"数字"},  {L"x{２}", L"3 文字目「２」", L"数字"},
        {L"a{1,２}", L"5 文字目「２」", L"数字"},    {L"a{1，2}", L"4 文字目「，」", L"記号"},
        {L"a{1、2}", L"4 文字目「、」", L"記号"},    {L"a{2｝", L"4 文字目「｝」", L"記号"},
        {L"(a)\\1９", L"6 文字目「９」", L"数字"},  {L"(a)\\１", L"5 文字目「１」", L"数字"},
        {L"\\x４1", L"3 文字目「４」", L"数字"},    {L"\\u00ＡＢ", L"5 文字目「Ａ」", L"英字"},
        {L"[0-９]", L"4 文字目「９」", L"数字"},     {L"[ａ-z]", L"2 文字目「ａ」", L"英字"},
        {L"[0-9］{3}", L"5 文字目「］」", L"記号"},  {L"(a|b）", L"5 文字目「）」", L"記号"},
        {L"（a|b)", L"1 文字目「（」", L"記号"},
        {L"\xD842\xDFB7{\x3000}", L"3 文字目「\x3000」", L"空白"},
        {L"[０-９]{3}", nullptr, nullptr},         {L"ｘ｛３｝|（注）", nullptr, nullptr},
        {L"[ぁ-ん]+", nullptr, nullptr},
    };
    for (const Row& r : rows) {
        for (int flags : {0, TESSUMI_IGNORE_WIDTH}) {
            wchar_t text[256];
            const int accepted = FnCheckPattern(r.pattern, TESSUMI_PATTERN_LINE, flags, text);
            EXPECT_EQ(accepted, r.at == nullptr) << Show(r.pattern) << Show(text);
            if (r.at == nullptr) continue;
            const std::wstring reason =
                std::wstring(r.at) + L"は全角の" + r.kind + L"です。半角で入力してください";
            EXPECT_EQ(std::wstring(text), CompileText(r.pattern, reason.c_str())) << Show(text);
        }
    }
    // Those the grammar takes as themselves are found as literals.
    EXPECT_EQ(Found(L"^[０-９]{3}$", L"１２３"), 1);
    EXPECT_EQ(Found(L"^[０-９]{3}$", L"123"), 0);
    EXPECT_EQ(Found(L"ｘ｛３｝", L"ｘ｛３｝"), 1);
}

TEST(PatternFailure, LongPatternIsShortenedAndTheReasonKeptWhole) {
    const std::wstring reason = PatternErrorReason(std::regex_constants::error_paren);
    for (const std::wstring& unit : {std::wstring(L"x"), std::wstring(L"\xD842\xDFB7")}) {
        for (size_t n : {230u, 231u, 232u, 233u, 300u}) {
            std::wstring pattern = L"(" + Repeat(unit, n);
            Outcome o = TestOnce(pattern, L"abc");
            ASSERT_EQ(o.result, -1);
            EXPECT_LE(o.text.size(), 255u);
            const std::wstring tail = L"…」" + kCompileLeadIn + reason;
            ASSERT_GT(o.text.size(), tail.size());
            EXPECT_EQ(o.text.substr(o.text.size() - tail.size()), tail) << Show(o.text);
            const std::wstring head = L"パターン２「(";
            EXPECT_EQ(o.text.substr(0, head.size()), head);
            // The kept part is the pattern's beginning and no half of a pair.
            size_t kept = o.text.size() - tail.size() - head.size() + 1;
            EXPECT_EQ(o.text.substr(head.size() - 1, kept), pattern.substr(0, kept));
            wchar_t last = o.text[o.text.size() - tail.size() - 1];
            EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF);
        }
    }
    // A pattern that fits is shown whole.
    std::wstring fits = L"(" + Repeat(L"y", 150);
    EXPECT_EQ(TestOnce(fits, L"abc").text, CompileText(fits, reason.c_str()));
}

TEST(PatternFailure, FaultyPatternShowsAtItsFirstUseAndStaysFaulty) {
    RunPattern p(L"a(b", PatternRole::Line);
    EXPECT_FALSE(p.compiled());  // constructing it compiles nothing
    wchar_t text[256];
    wcscpy(text, kUntouched);
    EXPECT_EQ(FnPatternFound(p, L"ab", 2, text), -1);
    const std::wstring first = text;
    EXPECT_EQ(first, CompileText(L"a(b", PatternErrorReason(std::regex_constants::error_paren)));
    wcscpy(text, kUntouched);
    EXPECT_EQ(FnPatternFound(p, L"xyz", 3, text), -1);
    EXPECT_EQ(std::wstring(text), first);
}

TEST(PatternFailure, AnswersLeaveTheStatusTextAlone) {
    RunPattern p(L"b+c", PatternRole::Path);
    wchar_t text[256];
    wcscpy(text, kUntouched);
    EXPECT_EQ(FnPatternFound(p, L"abbc", 4, text), 1);
    EXPECT_EQ(FnPatternFound(p, L"abbd", 4, text), 0);
    EXPECT_EQ(std::wstring(text), kUntouched);
}

// --- Classes: the library's own, the same on every system -----------------

// What each class holds, beyond ASCII too; \w keeps kana and kanji.
TEST(PatternClasses, EachClassHoldsItsListedUnits) {
    struct Row { const wchar_t* pattern; std::wstring in, out; };
    const Row rows[] = {
        {L"\\d", L"0123456789", L"３²\x663a"},
        {L"[[:digit:]]", L"09", L"３"},
        {L"\\w", L"azAZ09_漢字かなカナｶﾅﾞｰー々ガÀμ３Ａ＿\x309B", L" -!、。・「～〜²"},
        {L"\\s", std::wstring(L" \t\n\v\f\r\xA0\x3000\x2028\xFEFF\x1680"), L"a\x200B\x85"},
        {L"[[:alpha:]]", L"aÀ漢カ３", L"0_ "},
        {L"[[:upper:]]", L"AZÀΣＡ", L"aσ漢"},
        {L"[[:lower:]]", L"azσａ", L"A漢"},
        {L"[[:punct:]]", L"!_、「～", L"a0 漢"},
        {L"[[:blank:]]", L" \t\x3000", L"\n"},
        {L"[[:xdigit:]]", L"09afAF", L"gＡ"},
        {L"[[:cntrl:]]", L"\x01\x7F\x9F", L" a"},
        {L"[[:print:]]", L" a漢", L"\t"},
    };
    for (const Row& r : rows) {
        for (const auto& [units, found] : {std::pair{r.in, 1}, std::pair{r.out, 0}})
            for (wchar_t u : units)
                EXPECT_EQ(Found(r.pattern, {u}), found) << Show(r.pattern) << " on " << Show({u});
    }
    EXPECT_EQ(Found(L"字\\b", L"漢字です"), 0);
    EXPECT_EQ(Found(L"字\\b", L"漢字、"), 1);
}

// Folding never moves a unit into or out of \w, \s or ".", nor splits a
// voiced pair across \w: these, \b and the complements mean the same on
// folded text (fold_pattern.h).
TEST(PatternClasses, FoldingKeepsEveryUnitInItsClasses) {
    const UnitSet* classes[] = {NamedClass(L"w"), NamedClass(L"s"), &DotUnits()};
    for (int flags = 1; flags <= 7; ++flags) {
        const Folding& f = *Folding::For(flags);
        int wrong = 0;
        for (const UnitSet* set : classes) {
            for (unsigned u = 0; u < 65536; ++u) {
                const wchar_t unit = static_cast<wchar_t>(u);
                if (set->Has(unit) != set->Has(f.Unit(unit)) && ++wrong < 5)
                    ADD_FAILURE() << "flags " << flags << " U+" << std::hex << u;
            }
        }
        for (size_t i = 0; i < kVoicedFoldsCount; ++i) {
            const VoicedFold& v = kVoicedFolds[i];
            const wchar_t joined = f.Voiced(v.base, v.mark);
            EXPECT_TRUE(classes[0]->Has(v.base) && classes[0]->Has(v.mark) &&
                        (joined == 0 || classes[0]->Has(joined)));
        }
    }
}

// --- Limits: each case runs on the test's own thread; a crash or a hang
// fails the whole program. ---------------------------------------------------

void ExpectAnswerOrLimits(const std::wstring& pattern, const std::wstring& subject, int answer) {
    Outcome o = TestOnce(pattern, subject);
    if (o.result == -1) {
        EXPECT_EQ(o.text, LimitsText(pattern)) << Show(pattern);
    } else {
        EXPECT_EQ(o.result, answer) << Show(pattern) << " on " << subject.size() << " units";
    }
}

TEST(PatternLimits, DeepAndExponentialSearchesEndWithAnAnswerOrTheLimitsText) {
    const std::wstring ab = L"a" + std::wstring(999999, L'b');
    const std::wstring alternating = Repeat(L"ab", 500000);
    const std::wstring as(50000, L'a');
    // The plain forms, and forms whose bracket hides the last literal from
    // the literal check, so that the matcher itself has to run.
    ExpectAnswerOrLimits(L"a(b|c)*d", ab, 0);
    ExpectAnswerOrLimits(L"a(b|c)*[d]", ab, 0);
    ExpectAnswerOrLimits(L"a(b|c)*[d]", ab.substr(0, 100000) + L"d", 1);
    ExpectAnswerOrLimits(L"(a|b)*c", alternating, 0);
    ExpectAnswerOrLimits(L"(a|b)*[c]", alternating, 0);
    ExpectAnswerOrLimits(L"(a|b)*[c]", alternating.substr(0, 100000) + L"xc", 1);
    ExpectAnswerOrLimits(L"(a*)*b", as, 0);
    ExpectAnswerOrLimits(L"(a*)*[b]", as, 0);
    ExpectAnswerOrLimits(L"(a|aa)*c", as, 0);
    ExpectAnswerOrLimits(L"(a|aa)*[c]", as, 0);
    ExpectAnswerOrLimits(L"(a*)*[b]", std::wstring(40, L'a'), 0);
    ExpectAnswerOrLimits(L"(a|aa)*[c]", std::wstring(60, L'a') + L"c", 1);
}

TEST(PatternLimits, BackReferencesAreBoundedToo) {
    // Back-references need the backtracking executor: its time and its stack
    // are both bounded.
    ExpectAnswerOrLimits(L"(a*)*\\1[b]", std::wstring(30, L'a'), 0);
    ExpectAnswerOrLimits(L"(a)\\1*[b]", std::wstring(200000, L'a'), 0);
    ExpectAnswerOrLimits(L"(a)\\1*[b]", std::wstring(200000, L'a') + L"b", 1);
    EXPECT_EQ(Found(L"(a)\\1", std::wstring(200000, L'a')), 1);
}

TEST(PatternLimits, HugeAutomataDoNotExhaustTheStack) {
    // Long chains of states the executors recurse through without consuming.
    ExpectAnswerOrLimits(L"(?:(?:|a)){10000}", L"x", 1);
    ExpectAnswerOrLimits(L"(a?){10000}", L"x", 1);
    ExpectAnswerOrLimits(L"(?:a|b?){9000}c", L"xc", 1);
}

TEST(PatternLimits, OverlongAndDeepPatternsStayWithinTheStack) {
    const std::wstring huge(100000, L'a');
    Outcome o = TestOnce(huge, L"aaa");
    EXPECT_EQ(o.result, -1);
    EXPECT_NE(o.text.find(kCompileLeadIn + kPatternTooLongReason), std::wstring::npos)
        << Show(o.text);
    // A long pattern that fits is compiled and used.
    const std::wstring longish(2000, L'a');
    EXPECT_EQ(Found(L"x" + longish + L"|y", L"z" + longish), 0);
    EXPECT_EQ(Found(L"x" + longish + L"|y", L"x" + longish), 1);
    // Deep nesting, faulty and valid: each enclosing group costs the
    // compiler far more stack than a plain unit.
    Outcome deep = TestOnce(std::wstring(5000, L'('), L"a");
    EXPECT_EQ(deep.result, -1);
    EXPECT_NE(deep.text.find(kCompileLeadIn + kPatternTooLongReason), std::wstring::npos);
    Outcome faulty = TestOnce(std::wstring(1000, L'('), L"a");
    EXPECT_EQ(faulty.result, -1);
    const std::wstring tail = L"…」" + kCompileLeadIn +
                              PatternErrorReason(std::regex_constants::error_paren);
    ASSERT_GT(faulty.text.size(), tail.size());
    EXPECT_EQ(faulty.text.substr(faulty.text.size() - tail.size()), tail) << Show(faulty.text);
    const std::wstring nested = std::wstring(600, L'(') + L"a" + std::wstring(600, L')');
    ExpectAnswerOrLimits(nested, L"xa", 1);
}

// --- The literal checks in front of the matcher ----------------------------

TEST(PatternPlan, LiteralPatternsNeedNoMatcher) {
    PatternPlan plan = PlanPattern(L"foo|ba\\.r|^baz$");
    ASSERT_TRUE(plan.literalsOnly);
    ASSERT_EQ(plan.alternatives.size(), 3u);
    EXPECT_EQ(plan.alternatives[1].text, L"ba.r");
    EXPECT_TRUE(plan.alternatives[2].atStart && plan.alternatives[2].atEnd);
    EXPECT_TRUE(PlanPattern(L"\\.txt$").literalsOnly);
    EXPECT_TRUE(PlanPattern(L"").literalsOnly);
    EXPECT_FALSE(PlanPattern(L"a^b").literalsOnly);
    EXPECT_FALSE(PlanPattern(L"a$b").literalsOnly);
    EXPECT_FALSE(PlanPattern(L"ab*").literalsOnly);
}

TEST(PatternPlan, RequiredLiteralsAreThoseEveryMatchContains) {
    auto required = [](const wchar_t* pattern) {
        std::set<std::wstring> all;
        for (const RequiredAnyOf& anyOf : PlanPattern(pattern).required) {
            std::wstring joined;
            for (const AnchoredLiteral& lit : anyOf) {
                joined += (joined.empty() ? L"" : L"|") + std::wstring(lit.atStart ? L"^" : L"") +
                          lit.text + (lit.atEnd ? L"$" : L"");
            }
            all.insert(joined);
        }
        return all;
    };
    EXPECT_EQ(required(L"^\\s*#\\s*define\\s+\\w+\\s+\\d+"),
              (std::set<std::wstring>{L"define", L"#"}));
    EXPECT_EQ(required(L"[A-Z]+_[A-Z]+\\("), (std::set<std::wstring>{L"_", L"("}));
    EXPECT_EQ(required(L"ab+c"), (std::set<std::wstring>{L"ab", L"bc"}));
    // Anchors stay with the literal they touch.
    EXPECT_EQ(required(L".*x $"), (std::set<std::wstring>{L"x $"}));
    EXPECT_EQ(required(L"^ab+\\d"), (std::set<std::wstring>{L"^ab", L"b"}));
    EXPECT_EQ(required(L"^a*b$|^c"), (std::set<std::wstring>{L"b$|^c"}));
    EXPECT_EQ(required(L"(foo|bar)\\d"), (std::set<std::wstring>{L"foo|bar"}));
    // Nothing is required of what may be absent.
    EXPECT_EQ(required(L"x?yz*|w"), (std::set<std::wstring>{L"y|w"}));
    EXPECT_TRUE(required(L"x?|w").empty());
    EXPECT_TRUE(required(L"(?:abc)?d*").empty());
    EXPECT_EQ(required(L"(?:ab)*cd(?=ef)"), (std::set<std::wstring>{L"cd"}));
    EXPECT_TRUE(required(L"a\\cb").count(L"a"));
    EXPECT_FALSE(required(L"a\\cb").count(L"ab"));
}

// --- Differential: the answers of a fresh std::regex_search ----------------

// The reference is std::regex_search itself; a dry run over a counting
// iterator first makes sure it ends and fits the stack, since the standard
// matcher has no bounds of its own.
struct DryRunOver {};

struct DryMeter {
    long long left;
    uintptr_t floor;
};

class CountingIterator {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = wchar_t;
    using difference_type = std::ptrdiff_t;
    using pointer = const wchar_t*;
    using reference = const wchar_t&;
    CountingIterator() = default;
    CountingIterator(const wchar_t* p, DryMeter* m) : p_(p), m_(m) {}
    reference operator*() const { return Tick(), *p_; }
    CountingIterator& operator++() { return Tick(), ++p_, *this; }
    CountingIterator operator++(int) { CountingIterator t = *this; ++*this; return t; }
    CountingIterator& operator--() { return Tick(), --p_, *this; }
    CountingIterator operator--(int) { CountingIterator t = *this; --*this; return t; }
    friend bool operator==(const CountingIterator& a, const CountingIterator& b) {
        if (a.m_) a.Tick();
        return a.p_ == b.p_;
    }
    friend bool operator!=(const CountingIterator& a, const CountingIterator& b) { return !(a == b); }

private:
    void Tick() const {
        volatile char probe = 0;
        if (--m_->left < 0 || reinterpret_cast<uintptr_t>(&probe) < m_->floor) throw DryRunOver{};
    }
    const wchar_t* p_ = nullptr;
    DryMeter* m_ = nullptr;
};

constexpr long long kReferenceSteps = 400000;
constexpr size_t kReferenceStack = 900 * 1024;

// 1 or 0 as std::regex_search answers, or -1 when it would not end in time
// or within the stack.
int Reference(const std::wregex& re, const std::wstring& s, long long steps = kReferenceSteps) {
    volatile char here = 0;
    DryMeter meter{steps, reinterpret_cast<uintptr_t>(&here) - kReferenceStack};
    bool dry;
    try {
        dry = std::regex_search(CountingIterator(s.data(), &meter),
                                CountingIterator(s.data() + s.size(), &meter), re);
    } catch (const DryRunOver&) {
        return -1;
    }
    bool real = std::regex_search(s.data(), s.data() + s.size(), re);
    EXPECT_EQ(dry, real);
    return real ? 1 : 0;
}

// Pattern pieces, valid and faulty. U+00A5 and U+00A6 appear in subjects
// only: read raw, the standard compiler's answer for them varies (see
// NarrowedCharactersAreOrdinary).
const std::vector<std::wstring>& Tokens() {
    static const std::vector<std::wstring> tokens = {
        L"a", L"b", L"c", L"ab", L"x", L"A", L"0", L"漢", L"字", L" ", L"_", L"\xD842\xDFB7",
        L".", L"\\.", L"\\\\", L"\\d", L"\\D", L"\\w", L"\\W", L"\\s", L"\\S", L"\\b", L"\\B",
        L"\\x41", L"\\u6F22", L"\\cA", L"\\0", L"\\t", L"\\f", L"\\q", L"\\-", L"\\/",
        L"[abc]", L"[^a]", L"[a-c]", L"[[:alpha:]]", L"[[:digit:]_]", L"[\\d.]", L"[]",
        L"[^]", L"[\\]a]", L"[漢-字]", L"[", L"]", L"(", L")", L"(?:", L"(?=", L"(?!",
        L"(a|b)", L"|", L"*", L"+", L"?", L"*?", L"+?", L"{2}", L"{1,3}", L"{0,}", L"{,2}",
        L"{", L"}", L"^", L"$", L"\\1", L"\\2", L"\\", L"\xB2", L"\xF1", L"\\\xF1",
        L"\\\xB2", L"(a*)*", L"(a|aa)+", L"(?:a?)*", L"(a|b)*", L"[[.a.]]", L"[[:foo:]]",
        L"{3,1}", L"\\u12",
    };
    return tokens;
}

// `length` characters drawn from `alphabet`.
std::wstring RandomText(std::mt19937& rng, const std::wstring& alphabet, size_t length) {
    std::wstring s;
    for (size_t i = 0; i < length; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
}

std::wstring RandomSubject(std::mt19937& rng, size_t length) {
    static const std::wstring alphabet =
        L"aaabbbcccxxAA0019漢字 _.\\\t\xD842\xDFB7\xA5\xA6\xB2\xF1-/]}";
    return RandomText(rng, alphabet, length);
}

// The pattern's characters without its metacharacters: a subject likely to match.
std::wstring LiteralCharacters(const std::wstring& pattern) {
    std::wstring literal;
    for (wchar_t c : pattern)
        if (std::wstring(L"\\[](){}|*+?^$").find(c) == std::wstring::npos) literal += c;
    return literal;
}

TEST(PatternDifferential, AnswersAndCompileFailuresMatchTheStandardSearch) {
    std::mt19937 rng(20240611);
    const std::vector<std::wstring>& tokens = Tokens();
    size_t compared = 0, compileFailures = 0, found = 0, skipped = 0, limits = 0, longCompared = 0;
    for (int n = 0; n < 10000; ++n) {
        std::wstring pattern;
        for (size_t k = 1 + rng() % 7; k > 0; --k) pattern += tokens[rng() % tokens.size()];

        std::wregex re;
        bool compiles = true;
        std::regex_constants::error_type code{};
        try {
            re.imbue(PatternLocale());
            re.assign(pattern, std::regex_constants::ECMAScript);
        } catch (const std::regex_error& e) {
            compiles = false;
            code = e.code();
            // An unknown class name comes with the collating element's code;
            // the standard library's own message tells it apart.
            if (code == std::regex_constants::error_collate &&
                std::string(e.what()) == "Invalid character class.")
                code = std::regex_constants::error_ctype;
        }

        RunPattern p(pattern.c_str(), PatternRole::Line);
        std::vector<std::wstring> subjects;
        for (int i = 0; i < 12; ++i) subjects.push_back(RandomSubject(rng, rng() % 12));
        // Subjects beyond the backtracking executor's share.
        if (n % 3 == 0) subjects.push_back(RandomSubject(rng, 520 + rng() % 200));
        // Runs of one letter, where nested repeats backtrack at length.
        subjects.push_back(std::wstring(20 + rng() % 30, L'a') + RandomSubject(rng, rng() % 3));
        // A subject the pattern's own literal characters make likely to match.
        std::wstring fromPattern = LiteralCharacters(pattern);
        subjects.push_back(fromPattern);

        for (const std::wstring& s : subjects) {
            wchar_t text[256];
            wcscpy(text, kUntouched);
            int ours = FnPatternFound(p, s.data(), s.size(), text);
            if (!compiles) {
                ASSERT_EQ(ours, -1) << Show(pattern) << " compiles here, not in the library";
                EXPECT_NE(std::wstring(text).find(kCompileLeadIn), std::wstring::npos);
                if (code != std::regex_constants::error_paren) {
                    EXPECT_EQ(std::wstring(text), CompileText(pattern, PatternErrorReason(code)));
                }
                ++compileFailures;
                break;
            }
            if (ours == -1) {
                EXPECT_EQ(std::wstring(text), LimitsText(pattern));
                std::printf("limits: %s on %s\n", Show(pattern).c_str(), Show(s).c_str());
                ++limits;
                continue;
            }
            int reference = Reference(re, s);
            if (reference == -1) {
                ++skipped;
                continue;
            }
            ASSERT_EQ(ours, reference) << "pattern " << Show(pattern) << " subject " << Show(s);
            ++compared;
            found += ours;
            longCompared += s.size() > 512;
        }
    }
    std::printf("compared %zu (found %zu, long %zu), compile failures %zu, reference skipped %zu, "
                "limits %zu\n",
                compared, found, longCompared, compileFailures, skipped, limits);
    // The generator must keep exercising every side.
    EXPECT_GT(compared, 40000u);
    EXPECT_GT(found, 8000u);
    EXPECT_GT(longCompared, 800u);
    EXPECT_GT(compileFailures, 3000u);
    EXPECT_LT(limits, compared / 100);
}


// --- The automaton: the common patterns searched in one pass ---------------

bool HasAutomaton(const std::wstring& pattern) {
    PatternAutomaton automaton;
    return BuildAutomaton(EscapeNarrowedSpecials(pattern), automaton);
}

TEST(PatternAutomaton, CoversTheCommonFormsAndLeavesTheRestToTheLibrary) {
    for (const wchar_t* covered :
         {L"[A-Z]+_[A-Z]+\\(", L"^\\s*#\\s*define\\s+\\w+\\s+\\d+", L"\\bfoo\\b|ba[rz]$",
          L"(?:ab|c){2,5}?x*", L"[^[:space:]\\d-]+.", L"\\x41\\u6F22\\cA\\0[\\b]", L"a{1000}"}) {
        EXPECT_TRUE(HasAutomaton(covered)) << Show(covered);
    }
    for (const wchar_t* left : {L"(a)\\1", L"a(?=b)", L"a(?!b)", L"[[.a.]]", L"[[=a=]]",
                                L"a{1001}", L"(?:a{100}){100}"}) {
        EXPECT_FALSE(HasAutomaton(left)) << Show(left);
    }
}

// Every unit's membership in the classes, \b and "." against the library's
// own answer for a subject of that one unit.
TEST(PatternAutomaton, ClassesHoldExactlyTheUnitsTheLibrarySays) {
    for (const wchar_t* pattern :
         {L"\\w", L"\\W", L"\\d", L"\\s", L"[[:alpha:]]", L"[^[:punct:]x]", L"[[:upper:]\\d]",
          L"[\\S]", L"\\b", L"^.$", L"[[:print:]]", L"[[:blank:][:cntrl:]]"}) {
        ASSERT_TRUE(HasAutomaton(pattern)) << Show(pattern);
        std::wregex re;
        re.imbue(PatternLocale());
        re.assign(pattern, std::regex_constants::ECMAScript);
        RunPattern p(pattern, PatternRole::Line);
        wchar_t text[256];
        int mismatches = 0;
        for (unsigned u = 0; u < 65536; ++u) {
            const wchar_t unit = static_cast<wchar_t>(u);
            const bool expected = std::regex_search(&unit, &unit + 1, re);
            if (FnPatternFound(p, &unit, 1, text) != (expected ? 1 : 0) && ++mismatches < 5)
                ADD_FAILURE() << Show(pattern) << " on U+" << std::hex << u;
        }
        EXPECT_EQ(mismatches, 0) << Show(pattern);
    }
}

TEST(PatternAutomaton, ManyStatesAreDroppedAndMadeAgainWithTheSameAnswers) {
    // A c that comes thirteen units after an a, with only a and b between:
    // the automaton must remember the last thirteen units, thousands of
    // deterministic states, more than one budget holds, so over long
    // subjects they are dropped and made again. The answer is plain to
    // compute directly.
    PatternAutomaton automaton;
    ASSERT_TRUE(BuildAutomaton(L"(a|b)*a(a|b){12}c", automaton));
    std::unique_ptr<LazyDfa> dfa = LazyDfa::Make(std::move(automaton));
    ASSERT_TRUE(dfa);
    std::mt19937 rng(5);
    int found = 0;
    for (int round = 0; round < 40; ++round) {
        std::wstring s;
        for (size_t i = 0, n = 20000 + rng() % 2000; i < n; ++i)
            s += (rng() % 500 == 0) ? L'c' : (rng() % 2 ? L'a' : L'b');
        if (round % 2) {  // no match left: a b thirteen units before every c
            for (size_t i = 13; i < s.size(); ++i)
                if (s[i] == L'c' && s[i - 13] == L'a') s[i - 13] = L'b';
        }
        bool expected = false;
        for (size_t i = 13; i < s.size() && !expected; ++i) {
            if (s[i] != L'c' || s[i - 13] != L'a') continue;
            expected = s.substr(i - 12, 12).find(L'c') == std::wstring::npos;
        }
        const LazyDfa::Answer answer = dfa->Search(s.data(), s.size());
        ASSERT_EQ(answer, expected ? LazyDfa::Answer::Found : LazyDfa::Answer::NotFound)
            << "round " << round;
        found += expected;
    }
    EXPECT_GT(found, 10);
    EXPECT_GT(dfa->resets(), 1u);
}

TEST(PatternAutomaton, WorkIsBoundedWhereStatesKeepBeingMadeAgain) {
    // An a exactly a thousand units before a c: every unit makes a new
    // deterministic state of hundreds of automaton states, and the search
    // gives up once its budget is spent rather than run on for minutes.
    PatternAutomaton automaton;
    ASSERT_TRUE(BuildAutomaton(L"[ab]*a[ab]{999}c", automaton));
    std::unique_ptr<LazyDfa> dfa = LazyDfa::Make(std::move(automaton));
    ASSERT_TRUE(dfa);
    std::mt19937 rng(3);
    std::wstring s;
    for (int i = 0; i < 400000; ++i) s += rng() % 2 ? L'a' : L'b';
    EXPECT_EQ(dfa->Search(s.data(), s.size()), LazyDfa::Answer::OverBudget);
    // A short subject stays within it and is answered.
    std::wstring shortOne = L'a' + std::wstring(999, L'b') + L'c';
    EXPECT_EQ(dfa->Search(shortOne.data(), shortOne.size()), LazyDfa::Answer::Found);
}

// Literal search, whatever the probe units, near both ends of the text and
// with places holding one probe unit but not the other.
TEST(PatternAutomaton, LiteralSearchFindsTheFirstOccurrence) {
    std::mt19937 rng(11);
    const std::wstring alphabet = L"abcq漢 ";
    for (int round = 0; round < 6000; ++round) {
        std::wstring text, literal;
        for (size_t i = rng() % 100; i > 0; --i) text += alphabet[rng() % alphabet.size()];
        for (size_t i = 1 + rng() % 5; i > 0; --i) literal += alphabet[rng() % alphabet.size()];
        const size_t from = text.empty() ? 0 : rng() % (text.size() + 1);
        const LiteralProbes probes = ChooseProbes(literal.data(), literal.size());
        size_t expected = text.find(literal, from);
        if (expected == std::wstring::npos) expected = text.size();
        const size_t at =
            FindLiteral(literal.data(), literal.size(), probes, text.data(), from, text.size());
        ASSERT_EQ(at, expected)
            << Show(literal) << " in " << Show(text) << " from " << from;
    }
}

// The pieces the automaton covers, valid and faulty, so that most patterns
// take its path; subjects hold the units where the classes differ.
const std::vector<std::wstring>& AutomatonTokens() {
    static const std::vector<std::wstring> tokens = {
        L"a", L"b", L"c", L"x", L"A", L"Z", L"0", L"9", L"_", L" ", L"漢", L"字",
        L"\xD842\xDFB7", L".", L"\\.", L"\\\\", L"\\d", L"\\D", L"\\w", L"\\W", L"\\s", L"\\S",
        L"\\b", L"\\B", L"\\x41", L"\\u6F22", L"\\cA", L"\\0", L"\\t", L"\\n", L"\\q", L"\\-",
        L"[abc]", L"[^a]", L"[a-c]", L"[[:alpha:]]", L"[[:digit:]_]", L"[\\d.]", L"[]", L"[^]",
        L"[\\]a]", L"[漢-字]", L"[-a]", L"[a-]", L"[a-c-e]", L"[\\w-]", L"[--/]", L"[^\\s\\d]",
        L"[\\b]", L"[[:upper:][:digit:]]", L"[^[:space:]x]", L"[\\x41-\\x5A]", L"[[]", L"[^-]",
        L"[[:ALPHA:]]", L"(", L")", L"(?:", L"(a|b)", L"(?:ab|c)", L"|", L"*", L"+", L"?", L"*?",
        L"+?", L"??", L"{2}", L"{1,3}", L"{0,}", L"{2,}?", L"{0,1}", L"^", L"$",
    };
    return tokens;
}

std::wstring ClassSubject(std::mt19937& rng, size_t length) {
    static const std::wstring alphabet =
        L"aaabbbcccxxAZ09_ 漢字\t.\\-/]\xD842\xDFB7\xA0\x3000\xFF10\xB2\xAA\x2028\n\r\x08";
    return RandomText(rng, alphabet, length);
}

TEST(PatternDifferential, AutomatonAnswersMatchTheStandardSearchOnLongSubjectsToo) {
    std::mt19937 rng(20240612);
    const std::vector<std::wstring>& tokens = AutomatonTokens();
    size_t compared = 0, found = 0, longCompared = 0, covered = 0, compiled = 0, skipped = 0;
    for (int n = 0; n < 6000; ++n) {
        std::wstring pattern;
        for (size_t k = 1 + rng() % 8; k > 0; --k) pattern += tokens[rng() % tokens.size()];
        std::wregex re;
        try {
            re.imbue(PatternLocale());
            re.assign(pattern, std::regex_constants::ECMAScript);
        } catch (const std::regex_error&) {
            wchar_t text[256];
            RunPattern p(pattern.c_str(), PatternRole::Line);
            ASSERT_EQ(FnPatternFound(p, L"a", 1, text), -1) << Show(pattern);
            continue;
        }
        ++compiled;
        covered += HasAutomaton(pattern);
        RunPattern p(pattern.c_str(), PatternRole::Line);
        std::vector<std::wstring> subjects;
        for (int i = 0; i < 10; ++i) subjects.push_back(ClassSubject(rng, rng() % 16));
        subjects.push_back(ClassSubject(rng, 200 + rng() % 600));
        std::wstring fromPattern = LiteralCharacters(pattern);
        subjects.push_back(fromPattern);
        subjects.push_back(ClassSubject(rng, 300) + fromPattern + ClassSubject(rng, 300));
        for (const std::wstring& s : subjects) {
            wchar_t text[256];
            int ours = FnPatternFound(p, s.data(), s.size(), text);
            ASSERT_NE(ours, -1) << Show(pattern) << " " << Show(text);
            int reference = Reference(re, s, 4000000);
            if (reference == -1) {
                ++skipped;
                continue;
            }
            ASSERT_EQ(ours, reference) << "pattern " << Show(pattern) << " subject " << Show(s);
            ++compared;
            found += ours;
            longCompared += s.size() >= 200;
        }
    }
    std::printf("automaton: %zu of %zu compiled patterns covered; compared %zu (found %zu, long "
                "%zu), reference skipped %zu\n",
                covered, compiled, compared, found, longCompared, skipped);
    EXPECT_GT(covered, compiled * 9 / 10);
    EXPECT_GT(compared, 30000u);
    EXPECT_GT(found, 8000u);
    EXPECT_GT(longCompared, 5000u);
}

}  // namespace
