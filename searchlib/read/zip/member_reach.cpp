#include "member_reach.h"

#include <windows.h>

#include "archive_walk.h"
#include "long_path.h"
#include "status_text.h"

namespace {

bool IsArchiveName(const std::wstring& path, size_t length) {
    return ContentKindOf(path.c_str(), length) == ContentKind::Archive;
}

// Walks the archives on the member's way only, and hands the member on when
// it comes.
class Reacher : public ArchiveVisitor {
public:
    Reacher(const std::wstring& target, MemberUse& use) : target_(target), use_(use) {}

    bool Wanted(const std::wstring& path) override {
        return path == target_ || (target_.size() > path.size() &&
                                   target_.compare(0, path.size(), path) == 0 &&
                                   target_[path.size()] == L'\\');
    }
    bool Member(const std::wstring& path, MemberStream& member) override {
        if (path != target_) return true;  // a member named like a folder on the way
        reached_ = true;
        use_.Bytes(member);
        return false;
    }
    bool Document(const std::wstring& path, ContentKind kind, RandomSource& source) override {
        if (path != target_) return true;  // a document on the way holds no member
        reached_ = true;
        use_.Document(kind, source);
        return false;
    }
    bool Skipped(const std::wstring& path, const std::wstring& reason) override {
        // Only what is on the member's way is ever seen.
        (void)path;
        reason_ = reason;
        return false;
    }

    bool reached() const { return reached_; }
    const std::wstring& reason() const { return reason_; }

private:
    const std::wstring& target_;
    MemberUse& use_;
    std::wstring reason_;
    bool reached_ = false;
};

}  // namespace

size_t OuterArchiveEnd(const std::wstring& path, std::wstring& reason) {
    reason = status::InsideReason(status::InsideFault::NoMember);
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        if (!IsArchiveName(path, at)) continue;
        const DWORD attributes = GetFileAttributesW(PlatformPath(path.substr(0, at)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            reason = status::SystemReason(GetLastError());
        else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return at;
    }
    return 0;
}

bool ReachMember(const std::wstring& memberPath, size_t archiveEnd, bool documents, MemberUse& use,
                 const wchar_t* leadIn, wchar_t* statusText) {
    const std::wstring archive = memberPath.substr(0, archiveEnd);
    FileSource source;
    if (!source.Open(archive.c_str(), statusText)) return false;
    Reacher reacher(memberPath, use);
    WalkArchive(source, archive, documents, reacher);
    if (reacher.reached()) return true;
    const std::wstring why = reacher.reason().empty()
                                 ? status::InsideReason(status::InsideFault::NoMember)
                                 : reacher.reason();
    status::Compose(statusText, memberPath.c_str(), leadIn, why.c_str());
    return false;
}
