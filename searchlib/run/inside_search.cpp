#include "inside_search.h"

#include "document/document_source.h"
#include "lines.h"
#include "path_passes.h"
#include "record_buffer.h"
#include "run_skipped.h"
#include "status_text.h"
#include "zip/archive_walk.h"
#include "zip/member_block_source.h"

namespace {

ContentKind KindOf(const std::wstring& path) { return ContentKindOf(path.c_str(), path.size()); }

const wchar_t* LastName(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    return path.c_str() + (cut == std::wstring::npos ? 0 : cut + 1);
}

// A file, archive or member that is not searched, and why: told when the
// design refuses it, passed by under keep-going when it is damaged. False
// when the run ends, with its text.
bool PassedBy(SearchRun& run, const std::wstring& path, const std::wstring& reason,
              wchar_t* statusText) {
    if (status::IsRefusal(reason)) return TellSkipped(run, path.c_str(), reason.c_str(), statusText);
    status::Compose(statusText, path.c_str(), status::kReadIn, reason.c_str());
    return FileFailed(run, path.c_str(), statusText) == kFilePassedBy;
}

// A document's text searched as lines; its outcome.
int SearchDocument(SearchRun& run, const std::wstring& path, ContentKind kind,
                   RandomSource& package, wchar_t* statusText) {
    DocumentSource text(package, kind, path.c_str());
    std::wstring reason;
    if (!text.Open(reason))
        return PassedBy(run, path, reason, statusText) ? kFilePassedBy : kFileFailed;
    return SearchSourceLines(text, path.c_str(), path.size(), true, run, statusText);
}

// The members of one archive (and the archives inside it) searched one by
// one, as files whose paths pattern 1 tests.
class MemberSearch : public ArchiveVisitor {
public:
    MemberSearch(SearchRun& run, wchar_t* statusText) : run_(run), text_(statusText) {}

    bool Member(const std::wstring& path, MemberStream& member) override {
        if (!Begin(path)) return ok_;
        MemberBlockSource source(member, path.c_str());
        return Searched(SearchSourceLines(source, path.c_str(), path.size(), false, run_, text_));
    }
    bool Document(const std::wstring& path, ContentKind kind, RandomSource& package) override {
        if (!Begin(path)) return ok_;
        return Searched(SearchDocument(run_, path, kind, package, text_));
    }
    bool Skipped(const std::wstring& path, const std::wstring& reason) override {
        // An archive's own fault is told whatever its path; a member's only
        // when it would have been searched.
        if (KindOf(path) != ContentKind::Archive && !Passes(path)) return ok_;
        ok_ = PassedBy(run_, path, reason, text_);
        return ok_;
    }

    bool Going() override {
        ok_ = run_.progress.NewBlock(text_);
        return ok_;
    }

    bool ok() const { return ok_; }

private:
    bool Passes(const std::wstring& path) {
        const int passes = PathPasses(run_, path, LastName(path), text_);
        ok_ = passes >= 0;
        return passes > 0;
    }
    // Whether the member at path is searched: pattern 1 passes it and the
    // run goes on, which is looked at between members as between blocks.
    bool Begin(const std::wstring& path) {
        if (!Passes(path)) return false;
        if (!run_.progress.NewBlock(text_)) {
            ok_ = false;
            return false;
        }
        // On a worker, the records that follow are the member's.
        if (run_.records != nullptr) run_.records->AddPath(path);
        return true;
    }
    bool Searched(int outcome) {
        if (outcome == kFileSearched) {
            if (run_.records != nullptr)
                run_.records->AddSearched();
            else
                run_.progress.FileSearched();
        }
        ok_ = outcome != kFileFailed;
        return ok_;
    }

    SearchRun& run_;
    wchar_t* text_;
    bool ok_ = true;
};

}  // namespace

bool WalkedInside(const SearchRun& run, const std::wstring& path) {
    return run.options.Has(TESSUMI_ARCHIVES) && KindOf(path) == ContentKind::Archive;
}

int SearchFileOrInside(const std::wstring& path, SearchRun& run, wchar_t* statusText) {
    if (!run.options.Has(TESSUMI_ARCHIVES | TESSUMI_DOCUMENTS))
        return FnSearchLines(path.c_str(), path.size(), run, statusText);
    const ContentKind kind = KindOf(path);
    const bool documents = run.options.Has(TESSUMI_DOCUMENTS);
    const bool archive = kind == ContentKind::Archive && run.options.Has(TESSUMI_ARCHIVES);
    if (!archive && !(documents && kind != ContentKind::Plain && kind != ContentKind::Archive))
        return FnSearchLines(path.c_str(), path.size(), run, statusText);
    if (kind == ContentKind::Unreadable) {
        const std::wstring reason = status::InsideReason(status::InsideFault::OldFormat);
        return PassedBy(run, path, reason, statusText) ? kFilePassedBy : kFileFailed;
    }
    FileSource source;
    if (!source.Open(path.c_str(), statusText)) return FileFailed(run, path.c_str(), statusText);
    if (!archive) return SearchDocument(run, path, kind, source, statusText);
    MemberSearch members(run, statusText);
    WalkArchive(source, path, documents, members);
    if (!members.ok()) return kFileFailed;
    status::Ok(statusText);
    return kFilePassedBy;
}
