// FnExtractMember: one member of an archive, named by the path a search
// gives it, copied out to a file its caller names, so that it can be opened.
#include <windows.h>

#include <vector>

#include "Tessumi.h"
#include "arguments.h"
#include "handle_owner.h"
#include "long_path.h"
#include "member_reach.h"
#include "status_text.h"

namespace {

constexpr size_t kCopyPiece = size_t(256) << 10;
// A mark of the web is a few lines of text.
constexpr DWORD kZoneMarkBytes = 64 << 10;
const wchar_t kZoneStream[] = L":Zone.Identifier";

// Copies the member out in pieces, so that memory stays that of one piece.
// A copy that fails on the way is deleted.
class MemberCopier : public MemberUse {
public:
    MemberCopier(const wchar_t* destination, wchar_t* statusText)
        : destination_(PlatformPath(destination)), shownDestination_(destination),
          statusText_(statusText) {}

    void Bytes(MemberStream& member) override { Copy(member); }
    // Documents are members like any other here: copied whole.
    void Document(ContentKind, RandomSource&) override {}

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
    MemberCopier copier(destinationFile, statusText);
    if (!ReachMember(memberPath, end, false, copier, status::kTakeOut, statusText)) return 0;
    if (copier.composed()) return 0;
    if (!copier.copied()) {
        status::Compose(statusText, memberPath.c_str(), status::kTakeOut, copier.reason().c_str());
        return 0;
    }
    CopyZoneMark(memberPath.substr(0, end), destinationFile);
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
