#include "skip_kind.h"

#include "hit_target.h"

namespace {

// A member of an archive: its path runs through a file named as a zip.
bool InArchive(const std::wstring& path, PathKind (*kindOf)(const std::wstring&)) {
    for (size_t end : ArchiveNameEnds(path))
        if (kindOf(path.substr(0, end)) == PathKind::kFile) return true;
    return false;
}

}  // namespace

bool IsLineRefusal(const std::wstring& path, PathKind (*kindOf)(const std::wstring&)) {
    if (path.size() < 4 || path.back() != L')') return false;
    const size_t open = path.rfind(L'(');
    if (open == std::wstring::npos || open + 2 >= path.size()) return false;
    for (size_t i = open + 1; i + 1 < path.size(); ++i)
        if (path[i] < L'0' || path[i] > L'9') return false;
    const std::wstring file = path.substr(0, open);
    if (file.empty() || file.back() == L'\\' || file.back() == L'/') return false;
    // An entry of the whole name is what was passed by, parentheses and all.
    if (kindOf(path) != PathKind::kNothing) return false;
    const PathKind fileKind = kindOf(file);
    return fileKind == PathKind::kFile || (fileKind == PathKind::kNothing && InArchive(file, kindOf));
}
