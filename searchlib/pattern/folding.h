// The folds of the search options: which UTF-16 units a search with
// TESSUMI_IGNORE_CASE, _WIDTH or _KANA takes as the same. Text is folded
// into a canonical form, one unit at a time, except that under the width
// fold a half-width katakana and a half-width voiced sound mark after it
// fold together into one unit (ｶﾞ into ガ). The tables are in
// folding_tables.cpp; docs/folding.md lists them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct FoldPair {
    wchar_t from;
    wchar_t to;
};

struct VoicedFold {
    wchar_t base;  // half-width katakana
    wchar_t mark;  // U+FF9E or U+FF9F
    wchar_t composed;
};

extern const FoldPair kCaseFolds[];
extern const size_t kCaseFoldsCount;
extern const FoldPair kWidthFolds[];
extern const size_t kWidthFoldsCount;
extern const FoldPair kKanaFolds[];
extern const size_t kKanaFoldsCount;
extern const VoicedFold kVoicedFolds[];
extern const size_t kVoicedFoldsCount;

class Folding {
public:
    // The folding of the folding flags among flags (TESSUMI_IGNORE_CASE,
    // _WIDTH, _KANA), made once per process; null when flags holds none.
    static const Folding* For(int flags);

    int flags() const { return flags_; }
    wchar_t Unit(wchar_t u) const { return table_[u]; }

    // The canonical unit that base and mark fold to together, or 0 when
    // they fold one by one.
    wchar_t Voiced(wchar_t base, wchar_t mark) const;
    static bool IsVoicedMark(wchar_t u) { return u == 0xFF9E || u == 0xFF9F; }

    // in[0, n) folded into out (replaced); true when two units of it were
    // joined into one.
    bool Fold(const wchar_t* in, size_t n, std::vector<wchar_t>& out) const;
    // The same, with the index in `in` of the first unit of each folded unit.
    void FoldMapped(const wchar_t* in, size_t n, std::vector<wchar_t>& out,
                    std::vector<size_t>& at) const;

    // The units of a text that can stand where its folding shows c: those
    // that fold to c alone and the katakana that fold to c with a mark.
    std::vector<wchar_t> Sources(wchar_t c) const;

    explicit Folding(int flags);  // For() keeps one of each

private:
    int flags_;
    bool composes_;
    std::vector<wchar_t> table_;  // 65,536 units
    wchar_t voiced_[0x40][2] = {};  // by base - U+FF60 and mark
};
