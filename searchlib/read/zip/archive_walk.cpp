#include "archive_walk.h"

#include <memory>

#include "spill_source.h"
#include "status_text.h"
#include "zip_directory.h"

namespace {

std::wstring MemberPath(const std::wstring& archive, const std::wstring& name) {
    std::wstring path = archive;
    path += L'\\';
    for (wchar_t c : name) path += c == L'/' ? L'\\' : c;
    return path;
}

bool Walk(RandomSource& source, const std::wstring& path, bool documents, ArchiveVisitor& visitor,
          int level);

// A member as it is copied whole, the visitor asked before each piece, so
// that a stop is honoured within a copy of up to a gigabyte.
class AskingStream : public ByteStream {
public:
    AskingStream(ByteStream& member, ArchiveVisitor& visitor) : member_(member), visitor_(visitor) {}
    bool Read(void* out, size_t n, size_t& got, std::wstring& reason) override {
        if (!visitor_.Going()) {
            ended_ = true;
            return false;
        }
        return member_.Read(out, n, got, reason);
    }
    bool ended() const { return ended_; }

private:
    ByteStream& member_;
    ArchiveVisitor& visitor_;
    bool ended_ = false;
};

// An archive or a document inside an archive, made readable at any offset:
// a stored one in place, an inflated one spilled.
bool WalkInside(RandomSource& outer, MemberStream& member, const std::wstring& path,
                ContentKind kind, bool documents, ArchiveVisitor& visitor, int level) {
    std::unique_ptr<RandomSource> inner;
    if (member.stored()) {
        inner = std::make_unique<RangeSource>(outer, member.dataStart(), member.size());
    } else {
        auto spill = std::make_unique<SpillSource>();
        std::wstring reason;
        AskingStream asking(member, visitor);
        if (!spill->Fill(asking, member.size(), reason))
            return !asking.ended() && visitor.Skipped(path, reason);
        inner = std::move(spill);
    }
    if (kind == ContentKind::Archive) return Walk(*inner, path, documents, visitor, level + 1);
    return visitor.Document(path, kind, *inner);
}

bool Walk(RandomSource& source, const std::wstring& path, bool documents, ArchiveVisitor& visitor,
          int level) {
    ZipDirectory directory;
    std::wstring reason;
    if (!directory.Open(source, reason)) return visitor.Skipped(path, reason);
    ZipEntry entry;
    MemberStream member;
    for (;;) {
        const int next = directory.Next(entry, reason);
        if (next == 0) return true;
        // The members before the damage were read; the rest are passed by.
        if (next < 0) return visitor.Skipped(path, reason);
        if (entry.folder()) continue;
        const std::wstring memberPath = MemberPath(path, entry.name);
        if (!visitor.Wanted(memberPath)) continue;
        ContentKind kind = ContentKindOf(entry.name.c_str(), entry.name.size());
        if (!documents && kind != ContentKind::Archive) kind = ContentKind::Plain;
        bool go;
        if (kind == ContentKind::Unreadable) {
            go = visitor.Skipped(memberPath, status::InsideReason(status::InsideFault::OldFormat));
        } else if (kind == ContentKind::Archive && level >= kArchiveLevels) {
            go = visitor.Skipped(memberPath, status::NestingReason(kArchiveLevels));
        } else if (!member.Open(source, entry, reason)) {
            go = visitor.Skipped(memberPath, reason);
        } else if (kind == ContentKind::Plain) {
            go = visitor.Member(memberPath, member);
        } else {
            go = WalkInside(source, member, memberPath, kind, documents, visitor, level);
        }
        if (!go) return false;
    }
}

}  // namespace

bool WalkArchive(RandomSource& source, const std::wstring& path, bool documents,
                 ArchiveVisitor& visitor) {
    return Walk(source, path, documents, visitor, 1);
}
