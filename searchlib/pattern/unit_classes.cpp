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

std::wregex Classic(const wchar_t* pattern) {
    std::wregex regex;
    regex.imbue(std::locale::classic());
    regex.assign(pattern, std::regex_constants::ECMAScript);
    return regex;
}

UnitSet AskDot() {
    const std::wregex dotStar = Classic(L".*");
    const std::wregex dot = Classic(L".");
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
    traits.imbue(std::locale::classic());
    const auto mask = traits.lookup_classname(name.data(), name.data() + name.size());
    std::unique_ptr<UnitSet> set;
    if (mask != decltype(mask)()) {
        set = std::make_unique<UnitSet>();
        for (unsigned u = 0; u < kUnits; ++u)
            if (traits.isctype(static_cast<wchar_t>(u), mask)) set->Add(static_cast<wchar_t>(u));
    }
    return known.emplace(name, std::move(set)).first->second.get();
}

const UnitSet& DotUnits() {
    static const UnitSet dot = AskDot();
    return dot;
}
