// FnExtractMember: one member of an archive, named by the path a search
// gives it, copied out to a file its caller names, so that it can be opened.
#include <windows.h>

#include <vector>

#include "Tessumi.h"
#include "archive_walk.h"
#include "arguments.h"
#include "handle_owner.h"
#include "long_path.h"
#include "status_text.h"

namespace {

constexpr size_t kCopyPiece = size_t(256) << 10;
// A mark of the web is a few lines of text.
constexpr DWORD kZoneMarkBytes = 64 << 10;
const wchar_t kZoneStream[] = L":Zone.Identifier";

bool IsArchiveName(const std::wstring& path, size_t length) {
    return ContentKindOf(path.c_str(), length) == ContentKind::Archive;
}

// Where the outer archive's path ends in memberPath: the first prefix named
// as an archive that is a file (a file holds nothing, so no longer prefix is
// one); a folder that is so named is walked through. 0 when there is none,
// with the reason: the system's for the last prefix that could not be found,
// or, when the path passes through no archive's name, that it names no member.
size_t OuterArchiveEnd(const std::wstring& memberPath, std::wstring& reason) {
    reason = status::InsideReason(status::InsideFault::NoMember);
    for (size_t at = memberPath.find(L'\\'); at != std::wstring::npos;
         at = memberPath.find(L'\\', at + 1)) {
        if (!IsArchiveName(memberPath, at)) continue;
        const DWORD attributes = GetFileAttributesW(PlatformPath(memberPath.substr(0, at)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            reason = status::SystemReason(GetLastError());
        else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return at;
    }
    return 0;
}

// Walks the archives on the member's way only, and copies the member out
// when it comes: in pieces, so that memory stays that of one piece. A copy
// that fails on the way is deleted.
class MemberCopier : public ArchiveVisitor {
public:
    MemberCopier(const std::wstring& target, const wchar_t* destination, wchar_t* statusText)
        : target_(target), destination_(PlatformPath(destination)), shownDestination_(destination),
          statusText_(statusText) {}

    bool Wanted(const std::wstring& path) override {
        return path == target_ || (target_.size() > path.size() &&
                                   target_.compare(0, path.size(), path) == 0 &&
                                   target_[path.size()] == L'\\');
    }
    bool Member(const std::wstring& path, MemberStream& member) override {
        if (path != target_) return true;  // a member named like a folder on the way
        Copy(member);
        return false;
    }
    bool Document(const std::wstring&, ContentKind, RandomSource&) override { return true; }
    bool Skipped(const std::wstring& path, const std::wstring& reason) override {
        // Only what is on the member's way is ever seen.
        (void)path;
        reason_ = reason;
        return false;
    }

    bool copied() const { return copied_; }
    bool composed() const { return composed_; }  // statusText already tells the failure
    const std::wstring& reason() const { return reason_; }

private:
    void Copy(MemberStream& member) {
        FileHandle out(CreateFileW(destination_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.valid()) {
            Fail(status::kCreateWriteHandle, GetLastError());
            return;
        }
        std::vector<unsigned char> piece(kCopyPiece);
        for (;;) {
            size_t got = 0;
            if (!member.Read(piece.data(), piece.size(), got, reason_)) break;
            if (got == 0) {
                copied_ = true;
                return;
            }
            DWORD written = 0;
            if (!WriteFile(out.get(), piece.data(), static_cast<DWORD>(got), &written, nullptr) ||
                written != got) {
                Fail(status::kWriteOut, GetLastError());
                break;
            }
        }
        out.reset();
        DeleteFileW(destination_.c_str());
    }
    void Fail(const wchar_t* leadIn, DWORD code) {
        status::SystemFailure(statusText_, shownDestination_, leadIn, code);
        composed_ = true;
    }

    const std::wstring& target_;
    const std::wstring destination_;
    const wchar_t* shownDestination_;
    wchar_t* statusText_;
    std::wstring reason_;
    bool copied_ = false;
    bool composed_ = false;
};

// The archive's mark of the web goes with what is copied out of it, as
// Explorer's own extraction does, so that a document from the internet
// still opens in Office's protected view with its macros blocked.
void CopyZoneMark(const std::wstring& archive, const std::wstring& destination) {
    FileHandle in(CreateFileW((PlatformPath(archive) + kZoneStream).c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in.valid()) return;
    std::vector<char> mark(kZoneMarkBytes);
    DWORD got = 0;
    if (!ReadFile(in.get(), mark.data(), kZoneMarkBytes, &got, nullptr) || got == 0) return;
    FileHandle out(CreateFileW((PlatformPath(destination) + kZoneStream).c_str(), GENERIC_WRITE,
                               0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (out.valid()) WriteFile(out.get(), mark.data(), got, &written, nullptr);
}

int Extract(const std::wstring& memberPath, const wchar_t* destinationFile, wchar_t* statusText) {
    std::wstring reason;
    const size_t end = OuterArchiveEnd(memberPath, reason);
    if (end == 0) {
        status::Compose(statusText, memberPath.c_str(), status::kTakeOut, reason.c_str());
        return 0;
    }
    const std::wstring archive = memberPath.substr(0, end);
    FileSource source;
    if (!source.Open(archive.c_str(), statusText)) return 0;
    MemberCopier copier(memberPath, destinationFile, statusText);
    // Documents are members like any other here: copied whole.
    WalkArchive(source, archive, false, copier);
    if (copier.composed()) return 0;
    if (!copier.copied()) {
        const std::wstring why =
            copier.reason().empty() ? status::InsideReason(status::InsideFault::NoMember)
                                    : copier.reason();
        status::Compose(statusText, memberPath.c_str(), status::kTakeOut, why.c_str());
        return 0;
    }
    CopyZoneMark(archive, destinationFile);
    status::Ok(statusText);
    return 1;
}

}  // namespace

extern "C" TESSUMI_API int FnExtractMember(const wchar_t* memberPath, const wchar_t* destinationFile,
                                           wchar_t* statusText) {
    if (!ArgumentsGiven({{memberPath, L"memberPath"}, {destinationFile, L"destinationFile"}},
                        statusText))
        return 0;
    try {
        return Extract(memberPath, destinationFile, statusText);
    } catch (...) {
        status::SystemReasonOnly(statusText, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
