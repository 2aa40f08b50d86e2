#include "unit_classes.h"

#include <locale>
#include <map>
#include <memory>
#include <mutex>
#include <regex>

namespace {

constexpr unsigned kUnits = 65536;

// "." is asked about in blocks of this many units: a block that ".*" matches
// whole needs no more questions; the library's matcher recurses once per
// unit, so a block stays short.
constexpr unsigned kDotBlock = 32;

// The runtime's own ctype, but for what a unit is: the library's tables.
// Narrowing stays the runtime's (pattern_plan.h deals with what it does).
class FixedCtype : public std::ctype<wchar_t> {
public:
    FixedCtype() : masks_(kUnits) {
        for (size_t r = 0; r < kUnitClassRunsCount; ++r) {
            const unsigned end = r + 1 < kUnitClassRunsCount ? kUnitClassRuns[r + 1].first : kUnits;
            const mask m = Mask(kUnitClassRuns[r].bits);
            for (unsigned u = kUnitClassRuns[r].first; u < end; ++u) masks_[u] = m;
        }
    }

protected:
    bool do_is(mask m, wchar_t c) const override { return (masks_[Index(c)] & m) != 0; }
    const wchar_t* do_is(const wchar_t* lo, const wchar_t* hi, mask* vec) const override {
        for (; lo < hi; ++lo) *vec++ = masks_[Index(*lo)];
        return hi;
    }
    const wchar_t* do_scan_is(mask m, const wchar_t* lo, const wchar_t* hi) const override {
        while (lo < hi && !do_is(m, *lo)) ++lo;
        return lo;
    }
    const wchar_t* do_scan_not(mask m, const wchar_t* lo, const wchar_t* hi) const override {
        while (lo < hi && do_is(m, *lo)) ++lo;
        return lo;
    }

private:
    static size_t Index(wchar_t c) { return static_cast<size_t>(c) & (kUnits - 1); }

    // The runtime's masks for the bits; its compound masks (alnum, graph)
    // are unions of these.
    static mask Mask(uint16_t bits) {
        static const struct {
            uint16_t bit;
            mask m;
        } kMasks[] = {{kClassUpper, upper}, {kClassLower, lower}, {kClassAlpha, alpha},
                      {kClassDigit, digit}, {kClassXdigit, xdigit}, {kClassSpace, space},
                      {kClassPrint, print}, {kClassCntrl, cntrl},   {kClassPunct, punct},
                      {kClassBlank, blank}};
        mask m = 0;
        for (const auto& entry : kMasks)
            if (bits & entry.bit) m = static_cast<mask>(m | entry.m);
        return m;
    }

    std::vector<mask> masks_;
};

std::wregex InPatternLocale(const wchar_t* pattern) {
    std::wregex regex;
    regex.imbue(PatternLocale());
    regex.assign(pattern, std::regex_constants::ECMAScript);
    return regex;
}

UnitSet AskDot() {
    const std::wregex dotStar = InPatternLocale(L".*");
    const std::wregex dot = InPatternLocale(L".");
    UnitSet set;
    wchar_t block[kDotBlock];
    for (unsigned first = 0; first < kUnits; first += kDotBlock) {
        for (unsigned i = 0; i < kDotBlock; ++i) block[i] = static_cast<wchar_t>(first + i);
        if (std::regex_match(block, block + kDotBlock, dotStar)) {
            set.AddRange(block[0], block[kDotBlock - 1]);
            continue;
        }
        for (unsigned i = 0; i < kDotBlock; ++i)
            if (std::regex_match(block + i, block + i + 1, dot)) set.Add(block[i]);
    }
    return set;
}

}  // namespace

void UnitSet::AddRange(wchar_t first, wchar_t last) {
    for (unsigned u = first; u <= last; ++u) Add(static_cast<wchar_t>(u));
}

void UnitSet::Unite(const UnitSet& other) {
    for (size_t i = 0; i < kWords; ++i) bits_[i] |= other.bits_[i];
}

void UnitSet::UniteComplement(const UnitSet& other) {
    for (size_t i = 0; i < kWords; ++i) bits_[i] |= ~other.bits_[i];
}

void UnitSet::Invert() {
    for (uint64_t& word : bits_) word = ~word;
}

bool UnitSet::operator==(const UnitSet& other) const {
    for (size_t i = 0; i < kWords; ++i)
        if (bits_[i] != other.bits_[i]) return false;
    return true;
}

const UnitSet* NamedClass(const std::wstring& name) {
    static std::mutex lock;
    static std::map<std::wstring, std::unique_ptr<UnitSet>> known;  // null: no such class
    std::lock_guard<std::mutex> hold(lock);
    auto it = known.find(name);
    if (it != known.end()) return it->second.get();

    std::regex_traits<wchar_t> traits;
    traits.imbue(PatternLocale());
    const auto mask = traits.lookup_classname(name.data(), name.data() + name.size());
    std::unique_ptr<UnitSet> set;
    if (mask != decltype(mask)()) {
        set = std::make_unique<UnitSet>();
        for (unsigned u = 0; u < kUnits; ++u)
            if (traits.isctype(static_cast<wchar_t>(u), mask)) set->Add(static_cast<wchar_t>(u));
    }
    return known.emplace(name, std::move(set)).first->second.get();
}

const std::locale& PatternLocale() {
    static const std::locale locale(std::locale::classic(), new FixedCtype);
    return locale;
}

const UnitSet& DotUnits() {
    static const UnitSet dot = AskDot();
    return dot;
}
