#include "package.h"

#include <algorithm>

#include "status_text.h"

namespace {

// More parts than any real document has: the directory of a package is
// held in memory, so a bound keeps it small.
constexpr size_t kMostParts = 65536;

std::wstring Lower(std::wstring name) {
    for (wchar_t& c : name)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return name;
}

bool ByName(const ZipEntry& a, const ZipEntry& b) { return a.name < b.name; }

}  // namespace

bool Package::Open(RandomSource& source, std::wstring& reason) {
    source_ = &source;
    parts_.clear();
    ZipDirectory directory;
    if (!directory.Open(source, reason)) return false;
    ZipEntry entry;
    for (;;) {
        const int next = directory.Next(entry, reason);
        if (next < 0) return false;
        if (next == 0) break;
        if (entry.folder()) continue;
        if (parts_.size() == kMostParts) {
            reason = status::BoundReason(status::DocumentBound::Parts, kMostParts);
            return false;
        }
        entry.name = Lower(std::move(entry.name));
        parts_.push_back(std::move(entry));
    }
    std::stable_sort(parts_.begin(), parts_.end(), ByName);
    return true;
}

const ZipEntry* Package::Find(const std::wstring& part) const {
    ZipEntry key;
    key.name = Lower(part);
    auto at = std::lower_bound(parts_.begin(), parts_.end(), key, ByName);
    return at != parts_.end() && at->name == key.name ? &*at : nullptr;
}

bool Package::OpenXml(const std::wstring& part, PartXml& out, std::wstring& reason) {
    const ZipEntry* entry = Find(part);
    if (entry == nullptr) {
        reason = status::MissingPartReason(part);
        return false;
    }
    out.xml.reset();
    if (!out.member.Open(*source_, *entry, reason)) return false;
    out.xml = std::make_unique<XmlScanner>(out.member, part);
    return true;
}

bool Package::Relationships(const std::wstring& source, std::vector<Relationship>& out,
                            std::wstring& reason) {
    out.clear();
    const size_t slash = source.rfind(L'/');
    const std::wstring folder = slash == std::wstring::npos ? L"" : source.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? source : source.substr(slash + 1);
    const std::wstring rels = folder + L"_rels/" + name + L".rels";
    if (!Has(rels)) return true;
    std::wstring mode;
    return Scan(rels,
                [&](XmlScanner& xml, XmlScanner::Event event, std::wstring&) {
                    if (event != XmlScanner::Event::Start ||
                        !xml.Is(XmlNs::PackageRels, "Relationship"))
                        return true;
                    Relationship r;
                    std::wstring target;
                    if (!xml.Attribute(XmlNs::None, "Id", r.id) ||
                        !xml.Attribute(XmlNs::None, "Type", r.type) ||
                        !xml.Attribute(XmlNs::None, "Target", target))
                        return true;
                    if (xml.Attribute(XmlNs::None, "TargetMode", mode) && mode == L"External")
                        return true;
                    r.type.erase(0, r.type.rfind(L'/') + 1);
                    r.target = ResolveTarget(source, target);
                    out.push_back(std::move(r));
                    return true;
                },
                reason);
}

bool Package::MainPart(const wchar_t* usual, std::wstring& part, std::wstring& reason) {
    std::vector<Relationship> rels;
    if (!Relationships(L"", rels, reason)) return false;
    const Relationship* main = OfType(rels, L"officeDocument");
    part = main ? main->target : usual;
    if (Has(part)) return true;
    reason = status::MissingPartReason(part);
    return false;
}

const Relationship* WithId(const std::vector<Relationship>& rels, const std::wstring& id) {
    for (const Relationship& r : rels)
        if (r.id == id) return &r;
    return nullptr;
}

const Relationship* OfType(const std::vector<Relationship>& rels, const wchar_t* type) {
    for (const Relationship& r : rels)
        if (r.type == type) return &r;
    return nullptr;
}

std::wstring ResolveTarget(const std::wstring& source, const std::wstring& target) {
    std::wstring path;
    if (!target.empty() && target[0] == L'/') {
        path = target.substr(1);
    } else {
        const size_t slash = source.rfind(L'/');
        path = (slash == std::wstring::npos ? L"" : source.substr(0, slash + 1)) + target;
    }
    std::vector<std::wstring> segments;
    size_t from = 0;
    for (;;) {
        const size_t slash = path.find(L'/', from);
        const std::wstring segment = path.substr(from, slash - from);
        if (segment == L"..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != L".") {
            segments.push_back(segment);
        }
        if (slash == std::wstring::npos) break;
        from = slash + 1;
    }
    std::wstring resolved;
    for (const std::wstring& s : segments) resolved += (resolved.empty() ? L"" : L"/") + s;
    return resolved;
}
