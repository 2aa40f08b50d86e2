#include "folding.h"

#include "Tessumi.h"

namespace {

constexpr int kFoldFlags = TESSUMI_IGNORE_CASE | TESSUMI_IGNORE_WIDTH | TESSUMI_IGNORE_KANA;
constexpr wchar_t kHalfWidthFirst = 0xFF60;  // voiced_ is indexed from here

void Apply(std::vector<wchar_t>& table, const FoldPair* pairs, size_t count) {
    // Applied to every entry, so that a unit another table already moved
    // goes on to its final form (Ａ to A under width, then to a under case).
    std::vector<wchar_t> map(65536);
    for (size_t u = 0; u < map.size(); ++u) map[u] = static_cast<wchar_t>(u);
    for (size_t i = 0; i < count; ++i) map[pairs[i].from] = pairs[i].to;
    for (wchar_t& t : table) t = map[t];
}

}  // namespace

Folding::Folding(int flags)
    : flags_(flags), composes_((flags & TESSUMI_IGNORE_WIDTH) != 0), table_(65536) {
    for (size_t u = 0; u < table_.size(); ++u) table_[u] = static_cast<wchar_t>(u);
    // Width first: its results (ASCII, katakana) are what case and kana fold.
    if (flags & TESSUMI_IGNORE_WIDTH) Apply(table_, kWidthFolds, kWidthFoldsCount);
    if (flags & TESSUMI_IGNORE_KANA) Apply(table_, kKanaFolds, kKanaFoldsCount);
    if (flags & TESSUMI_IGNORE_CASE) Apply(table_, kCaseFolds, kCaseFoldsCount);
    if (composes_) {
        for (size_t i = 0; i < kVoicedFoldsCount; ++i) {
            const VoicedFold& v = kVoicedFolds[i];
            voiced_[v.base - kHalfWidthFirst][v.mark - 0xFF9E] = table_[v.composed];
        }
    }
}

namespace {

// Each folding is made at its first use, once, whichever thread asks.
template <int Flags>
const Folding* Made() {
    static const Folding folding(Flags);
    return &folding;
}

}  // namespace

const Folding* Folding::For(int flags) {
    static const Folding* (*const kMakers[kFoldFlags + 1])() = {
        nullptr, Made<1>, Made<2>, Made<3>, Made<4>, Made<5>, Made<6>, Made<7>};
    flags &= kFoldFlags;
    return flags == 0 ? nullptr : kMakers[flags]();
}

wchar_t Folding::Voiced(wchar_t base, wchar_t mark) const {
    if (!composes_ || !IsVoicedMark(mark) || base < kHalfWidthFirst ||
        base >= kHalfWidthFirst + 0x40)
        return 0;
    return voiced_[base - kHalfWidthFirst][mark - 0xFF9E];
}

bool Folding::Fold(const wchar_t* in, size_t n, std::vector<wchar_t>& out) const {
    out.resize(n);
    wchar_t* o = out.data();
    size_t j = 0;
    for (size_t i = 0; i < n; ++i) {
        const wchar_t u = in[i];
        if (composes_ && IsVoicedMark(u) && i > 0) {
            if (wchar_t c = Voiced(in[i - 1], u)) {
                o[j - 1] = c;
                continue;
            }
        }
        o[j++] = table_[u];
    }
    out.resize(j);
    return j < n;
}

void Folding::FoldMapped(const wchar_t* in, size_t n, std::vector<wchar_t>& out,
                         std::vector<size_t>& at) const {
    out.clear();
    at.clear();
    for (size_t i = 0; i < n; ++i) {
        const wchar_t u = in[i];
        if (composes_ && IsVoicedMark(u) && i > 0) {
            if (wchar_t c = Voiced(in[i - 1], u)) {
                out.back() = c;
                continue;
            }
        }
        out.push_back(table_[u]);
        at.push_back(i);
    }
}

std::vector<wchar_t> Folding::Sources(wchar_t c) const {
    std::vector<wchar_t> sources;
    for (size_t u = 0; u < table_.size(); ++u) {
        const wchar_t unit = static_cast<wchar_t>(u);
        if (table_[u] == c || Voiced(unit, 0xFF9E) == c || Voiced(unit, 0xFF9F) == c)
            sources.push_back(unit);
    }
    return sources;
}
