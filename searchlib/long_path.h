// The form of a path that the platform's file calls accept at any length.
#pragma once

#include <string>

// path itself when it is short enough for every file call; otherwise the
// "\\?\" form of its full path ("\\?\UNC\server\share\..." for
// "\\server\share\..."), after relative parts, ".." and "/" have been turned
// into the full path the platform would use. Only the call gets this form:
// records and texts keep the path as it was built.
std::wstring PlatformPath(const std::wstring& path);
