// The members of a zip archive as files of their own, in the order of its
// directory, with the archives and documents inside it: a member's path is
// the archive's path, "\" and the member's name with "\" for "/". Names are
// only shown: nothing is ever created by a member's name.
#pragma once

#include <string>

#include "byte_sources.h"
#include "content_kind.h"
#include "member_stream.h"

// Archives inside archives are walked down to this many archives in all.
constexpr int kArchiveLevels = 3;

class ArchiveVisitor {
public:
    virtual ~ArchiveVisitor() = default;
    // Each returns false to end the walk (a stop asked for, or a failure
    // that ends the run).
    // A member to read as a file of its own.
    virtual bool Member(const std::wstring& path, MemberStream& member) = 0;
    // A member that is a document, readable at any offset.
    virtual bool Document(const std::wstring& path, ContentKind kind, RandomSource& source) = 0;
    // An archive or a member passed by, and why.
    virtual bool Skipped(const std::wstring& path, const std::wstring& reason) = 0;
    // Asked between the pieces of a member copied whole (an archive or a
    // document inside an archive), which may take long: false ends the walk.
    virtual bool Going() { return true; }
    // Whether to look at a member (an archive inside included) at all: one
    // not wanted is passed by unseen and unopened, as a copy of one member
    // wants only the members on its way.
    virtual bool Wanted(const std::wstring& path) {
        (void)path;
        return true;
    }
};

// Walks the archive in source, named path. With documents, members of a
// document kind go to Document, and binary Office files and PDF are passed
// by; without, they are members like any other. False when the visitor
// ended the walk; an archive that can't be read is passed by.
bool WalkArchive(RandomSource& source, const std::wstring& path, bool documents,
                 ArchiveVisitor& visitor);
