// Characters typed with the IME on where the grammar needs their ASCII
// forms: ３ in "x{３}", "\1９" or "\x４１", ， in "{1，3}", ｝ in "{3｝", ９ at
// one end of "[0-９]", ］ in "[0-9］", ） in "(a|b）". Read as the grammar
// reads them they would silently mean something else (a count of nothing,
// a literal ９, a range over every kanji) or be refused for a reason that
// names the wrong character, so the pattern is refused naming this one.
#pragma once

#include <cstddef>
#include <string>

// The index of the first such character in a pattern as the user typed it,
// or std::wstring::npos.
size_t FindImeCharacter(const std::wstring& pattern);
