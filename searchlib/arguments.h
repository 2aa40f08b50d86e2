// The first step of every export that takes pointers: a null one is the
// calling program's mistake, refused before anything is touched.
#pragma once

#include <initializer_list>

// One pointer argument of an export and its name in Tessumi.h.
struct PointerArgument {
    const void* pointer;
    const wchar_t* name;
};

// true when statusText and every argument are given. Otherwise false, and
// when statusText itself is given, the text for the first null argument
// (status::NullArgument) is left in it.
bool ArgumentsGiven(std::initializer_list<PointerArgument> arguments, wchar_t* statusText);
