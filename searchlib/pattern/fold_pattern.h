// A pattern rewritten to match folded text (folding.h): it is found in the
// folding of a subject exactly where the pattern, read with the folding's
// sameness, is found in the subject. Each literal character becomes its
// canonical form; each bracket expression also takes in the canonical form
// of every character it names (as an ECMAScript search that ignores case
// canonicalizes both sides); the class escapes (\w, \d, \s and their
// complements), named classes and back-references stay as written, the
// last then comparing folded text.
//
// Folding only widens what such a pattern finds, except through what
// mayNarrow and joinsKana tell: there the search also tests the subject as
// it is with the pattern as written (pattern_found.cpp).
#pragma once

#include <string>

class Folding;

struct FoldedPattern {
    std::wstring source;
    // Holds what a folded unit can fail where its source matched: a negated
    // bracket ([^a-z] and A under case folding), \D (and ３ under width
    // folding), a named class, a negative look-ahead, \cX (X taken as it is,
    // unfolded). \w, \s, \b and their complements are not among them: a
    // unit and its folding are in a class together or not at all
    // (unit_classes.h).
    bool mayNarrow = false;
    // Names a half-width katakana or voiced mark, which the subject's
    // folding may join with the unit before or after (ｶ and ﾞ into ガ).
    bool joinsKana = false;
};

FoldedPattern FoldPattern(const std::wstring& pattern, const Folding& folding);
