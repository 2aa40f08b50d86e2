// How a result record's file is opened: in the user's editor, in the
// program its document type is registered to, or first copied out of the
// archive it is a member of.
#pragma once

#include <string>
#include <vector>

enum class HitTarget {
    kEditor,          // a file, in the editor at its line
    kDocument,        // an Office document, through its type's "open"
    kMember,          // a member of an archive: copied out, then in the editor at its line
    kDocumentMember,  // an Office document in an archive: copied out, then through its type
};

// isFile: whether path names a file on disk now. A path that does not,
// and that passes through a name ending in ".zip", names a member of an
// archive, as a search writes one ("C:\受信\資料.zip\2024\議事録.txt").
HitTarget TargetOf(const std::wstring& path, bool isFile);

// Where each name of path that ends in ".zip" and has a "\" after it ends:
// the archives a member's path may pass through, outermost first.
std::vector<size_t> ArchiveNameEnds(const std::wstring& path);

// Whether path is of the document types opened through their registered
// program: .xlsx .xlsm .docx .docm .pptx .pptm .odt .ods .odp, their
// templates and shows (.xltx .xltm .dotx .dotm .ppsx .ppsm .potx .potm),
// and no other (a hit must never run a file).
bool IsOfficeDocument(const std::wstring& path);
