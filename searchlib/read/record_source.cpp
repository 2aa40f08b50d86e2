#include "record_source.h"

#include <cwchar>
#include <string>

#include "document/document_source.h"
#include "status_text.h"
#include "zip/member_block_source.h"
#include "zip/member_reach.h"

namespace {

using Read = std::function<int(BlockSource&)>;

int ReadDocument(RandomSource& package, ContentKind kind, const wchar_t* path, const Read& read,
                 wchar_t* statusText) {
    DocumentSource text(package, kind, path);
    std::wstring reason;
    if (!text.Open(reason)) {
        status::Compose(statusText, path, status::kReadIn, reason.c_str());
        return 0;
    }
    return read(text);
}

// The member, once reached, handed on as a file's bytes or a document's text.
class MemberRead : public MemberUse {
public:
    MemberRead(const wchar_t* path, const Read& read, wchar_t* statusText)
        : path_(path), read_(read), statusText_(statusText) {}

    void Bytes(MemberStream& member) override {
        MemberBlockSource source(member, path_);
        result_ = read_(source);
    }
    void Document(ContentKind kind, RandomSource& package) override {
        result_ = ReadDocument(package, kind, path_, read_, statusText_);
    }
    int result() const { return result_; }

private:
    const wchar_t* path_;
    const Read& read_;
    wchar_t* statusText_;
    int result_ = 0;
};

}  // namespace

bool NamesDocument(const wchar_t* path) { return IsDocument(ContentKindOf(path, wcslen(path))); }

int OpenRecordSource(const wchar_t* path, const Read& read, wchar_t* statusText) {
    const std::wstring whole(path);
    const bool document = NamesDocument(path);
    std::wstring reason;
    const size_t archiveEnd = OuterArchiveEnd(whole, reason);
    if (archiveEnd != 0) {
        MemberRead member(path, read, statusText);
        if (!ReachMember(whole, archiveEnd, document, member, status::kReadIn, statusText)) return 0;
        return member.result();
    }
    if (document) {
        FileSource package;
        if (!package.Open(path, statusText)) return 0;
        return ReadDocument(package, ContentKindOf(path, whole.size()), path, read, statusText);
    }
    FileBlockSource file;
    if (!file.Open(path, statusText)) return 0;
    return read(file);
}
