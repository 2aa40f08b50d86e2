// Sets of UTF-16 code units, and the classes of the standard library's
// regular expressions as such sets: which units a class name, "." and the
// word test take in, exactly as the library's own wide-character traits for
// the classic locale answer for each of the 65,536 units. Each set is worked
// out once per process, at its first use, and kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class UnitSet {
public:
    bool Has(wchar_t u) const { return (bits_[u >> 6] >> (u & 63)) & 1u; }
    void Add(wchar_t u) { bits_[u >> 6] |= uint64_t(1) << (u & 63); }
    void AddRange(wchar_t first, wchar_t last);  // both ends included
    void Unite(const UnitSet& other);
    void UniteComplement(const UnitSet& other);  // every unit other does not hold
    void Invert();
    bool operator==(const UnitSet& other) const;

private:
    static constexpr size_t kWords = 65536 / 64;
    uint64_t bits_[kWords] = {};
};

// The units u for which regex_traits<wchar_t>::isctype(u, m) holds, m being
// what lookup_classname answers for the name (as written in [[:name:]], or
// "d", "s", "w" for the escapes); null for a name it does not know.
const UnitSet* NamedClass(const std::wstring& name);

// The units "." matches.
const UnitSet& DotUnits();
