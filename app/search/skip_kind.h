// What a search passed by: a file or folder it could not read, or a line of
// a file it read whose test reached the matcher's limits. The library tells
// both through one callback and names such a line "file(N)"; a name like
// that can also be a real file's, so the two are told apart by what is on
// disk.
#pragma once

#include <string>

#include "path_facts.h"

// True when path is "file(N)" for a file that is there while no entry of
// that whole name is, or for a member of an archive that is there
// ("C:\a.zip\x.txt(12)"). Inside an archive only the archive is asked
// about: a member named "x(12)" passed by as a whole reads as line 12 of a
// member "x". kindOf answers what lies at a path (KindOf, or a table in a
// test).
bool IsLineRefusal(const std::wstring& path, PathKind (*kindOf)(const std::wstring&));
