// A document's zip package: its parts found by name, read as XML, and the
// relationships that lead from one part to another.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xml_scanner.h"
#include "zip/byte_sources.h"
#include "zip/member_stream.h"
#include "zip/zip_directory.h"

struct Relationship {
    std::wstring id;
    std::wstring type;    // the last segment of its type: "worksheet", "slide", ...
    std::wstring target;  // the part it leads to, as a name in the package
};

// One part read as XML: the member and the scanner over it.
struct PartXml {
    MemberStream member;
    std::unique_ptr<XmlScanner> xml;
};

class Package {
public:
    // Reads the package's directory: true, or false with the reason.
    bool Open(RandomSource& source, std::wstring& reason);

    bool Has(const std::wstring& part) const { return Find(part) != nullptr; }

    // Opens the part named part ("xl/workbook.xml") as XML; a part the
    // package lacks is damage.
    bool OpenXml(const std::wstring& part, PartXml& out, std::wstring& reason);

    // Reads a part whole, calling each for every event but Done until it
    // returns false (with reason set, or empty to end the reading early).
    template <class Each>
    bool Scan(const std::wstring& part, Each each, std::wstring& reason) {
        PartXml read;
        if (!OpenXml(part, read, reason)) return false;
        for (;;) {
            XmlScanner::Event event;
            if (!read.xml->Next(event, reason)) return false;
            if (event == XmlScanner::Event::Done) return true;
            reason.clear();
            if (!each(*read.xml, event, reason)) return reason.empty();
        }
    }

    // The relationships of the part named source ("" for the package's own),
    // in their order; none when it has no relationships part.
    bool Relationships(const std::wstring& source, std::vector<Relationship>& out,
                       std::wstring& reason);

    // The target of the package's main document, with the name most
    // producers give it when its relationships are missing.
    bool MainPart(const wchar_t* usual, std::wstring& part, std::wstring& reason);

private:
    const ZipEntry* Find(const std::wstring& part) const;

    RandomSource* source_ = nullptr;
    std::vector<ZipEntry> parts_;  // names lower-cased, in their order
};

// The relationship of rels with id or type, or null.
const Relationship* WithId(const std::vector<Relationship>& rels, const std::wstring& id);
const Relationship* OfType(const std::vector<Relationship>& rels, const wchar_t* type);

// The name of the part that target leads to from the part named source:
// relative to source's folder, or from the package's root with a leading
// "/", with "." and ".." resolved.
std::wstring ResolveTarget(const std::wstring& source, const std::wstring& target);
