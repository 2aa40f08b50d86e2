// A pattern rewritten to match folded text (folding.h): it is found in the
// folding of a subject exactly where the pattern, read with the folding's
// sameness, is found in the subject. Each literal character becomes its
// canonical form; each bracket expression also takes in the canonical form
// of every character it names (as an ECMAScript search that ignores case
// canonicalizes both sides); the class escapes (\w, \d, \s and their
// complements), named classes and back-references stay as written, the
// last then comparing folded text.
#pragma once

#include <string>

class Folding;

std::wstring FoldPattern(const std::wstring& pattern, const Folding& folding);
