// One member of an archive reached by the path a search gives it: the
// archive's path, "\" and the member's name with "\" for "/", through the
// archives inside it ("C:\受信\資料.zip\2024\議事録.txt",
// "C:\a.zip\inner.zip\x.txt"). Only the archives on the member's way are
// walked, and nothing is ever created by a member's name.
#pragma once

#include <string>

#include "byte_sources.h"
#include "content_kind.h"
#include "member_stream.h"

// Where the outer archive's path ends in path: the first prefix named as an
// archive that is a file (a file holds nothing, so no longer prefix is one);
// a folder so named is walked through. 0 when there is none, with the
// reason: the system's for the last such prefix that could not be found,
// or, when the path passes through no archive's name, that it names no
// member.
size_t OuterArchiveEnd(const std::wstring& path, std::wstring& reason);

// What is done with the member once it is reached, while its archive is open.
class MemberUse {
public:
    virtual ~MemberUse() = default;
    // The member as a file's bytes, opened.
    virtual void Bytes(MemberStream& member) = 0;
    // A member of a document kind, readable at any offset; asked for only
    // when documents are.
    virtual void Document(ContentKind kind, RandomSource& source) = 0;
};

// Walks to the member at memberPath, whose outer archive ends at archiveEnd
// (OuterArchiveEnd), and hands it to use: true. With documents, a member of
// a document kind goes to Document; without, every member goes to Bytes.
// False with statusText composed: the archive's failure text when it can't
// be opened, or memberPath, leadIn and why the member is not reached (passed
// by as a search passes it by, or not there).
bool ReachMember(const std::wstring& memberPath, size_t archiveEnd, bool documents, MemberUse& use,
                 const wchar_t* leadIn, wchar_t* statusText);
