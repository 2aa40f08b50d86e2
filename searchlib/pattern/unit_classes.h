// Sets of UTF-16 code units, and the classes of the patterns as such sets:
// which units a class name, "." and the word test take in. The classes are
// the library's own (unit_class_tables.cpp, generated with the folding
// tables; docs/folding.md lists them), not the C runtime's, whose tables
// differ between Windows versions and Wine: \d is 0-9 alone. The compiler
// and the matcher get them through PatternLocale(); each set here is worked
// out from the same answers once per process, at its first use, and kept.
#pragma once

#include <cstdint>
#include <locale>
#include <string>
#include <vector>

// The classes a unit belongs to, as bits of UnitClassRun::bits.
enum UnitClassBit : uint16_t {
    kClassUpper = 1 << 0,   // Lu, Lt
    kClassLower = 1 << 1,   // Ll
    kClassAlpha = 1 << 2,   // the word units but 0-9 and _
    kClassDigit = 1 << 3,   // 0-9
    kClassXdigit = 1 << 4,  // 0-9 A-F a-f
    kClassSpace = 1 << 5,   // ECMAScript's white space and line terminators
    kClassPrint = 1 << 6,   // letters, marks, numbers, punctuation, symbols, spaces
    kClassCntrl = 1 << 7,   // Cc
    kClassPunct = 1 << 8,   // printable but alpha, digit and space
    kClassBlank = 1 << 9,   // TAB and Zs
};

// From first up to the next run's first, every unit has these bits.
struct UnitClassRun {
    wchar_t first;
    uint16_t bits;
};
extern const UnitClassRun kUnitClassRuns[];
extern const size_t kUnitClassRunsCount;

// The classic locale with the library's classes in place of the runtime's:
// what every pattern is compiled with, so that \d, \w, \s, \b, the bracket
// classes and the digits of counts and back-references are the same on every
// system.
const std::locale& PatternLocale();

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

// The units u for which regex_traits<wchar_t>::isctype(u, m) holds in
// PatternLocale(), m being what lookup_classname answers for the name (as
// written in [[:name:]], or "d", "s", "w" for the escapes); null for a name
// it does not know.
const UnitSet* NamedClass(const std::wstring& name);

// The units "." matches.
const UnitSet& DotUnits();
