// A pull reader of the XML in documents' parts, streamed from a member in
// pieces: elements with their namespaces resolved, their attributes, and
// text with entities, character references and CDATA made plain, line
// breaks normalized to LF. UTF-8 and UTF-16 parts are read. Memory is a
// piece of the part and one tag. A DTD is refused, as XmlLite refuses it
// by default; documents never hold one.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "zip/byte_sources.h"

// The namespaces documents' text is found by; transitional and strict
// OOXML namespaces are one each.
enum class XmlNs : uint8_t {
    None,   // no namespace: an attribute without a prefix
    Other,  // one this reader does not tell apart
    Xml,    // the xml: prefix
    Sheet,
    Word,
    Drawing,
    Presentation,
    Relationships,  // r:id and the like
    PackageRels,    // a .rels part
    Compat,         // mc:AlternateContent
    OdfOffice,
    OdfText,
    OdfTable,
    OdfDraw,
    OdfPresentation,
    DublinCore,  // an OpenDocument comment's author and date
};

// The namespace named uri (UTF-8 bytes).
XmlNs NamespaceOf(const char* uri, size_t length);

class XmlScanner {
public:
    enum class Event { Start, End, Text, Done };

    // part: its name in the package, for the failure text.
    XmlScanner(ByteStream& in, const std::wstring& part);

    // The next event: an empty element gives Start and then End. False with
    // the reason when the part can't be read or is not well-formed XML.
    bool Next(Event& event, std::wstring& reason);

    // The element of the last Start or End.
    template <size_t N>
    bool Is(XmlNs ns, const char (&local)[N]) const {
        return ns_ == ns && localLength_ == N - 1 && Same(local_, local, N - 1);
    }
    XmlNs ns() const { return ns_; }
    std::string_view local() const { return {local_, localLength_}; }

    // After a Start: passes by the element's content and its End.
    bool Skip(std::wstring& reason);

    // An attribute of the last Start, entities made plain: false when absent.
    template <size_t N>
    bool Attribute(XmlNs ns, const char (&local)[N], std::wstring& value) const {
        return Attribute(ns, local, N - 1, value);
    }

    // Appends the text of the last Text event to to, entities and references
    // made plain (a long text comes in several events). Text a reader has no
    // use for is never decoded. False with the reason on a reference that
    // names nothing.
    bool AppendText(std::wstring& to, std::wstring& reason) const;

private:
    struct Attr {
        size_t name, nameLength, value, valueLength;  // in buf_
    };
    struct Binding {
        std::string prefix;
        XmlNs ns;
    };
    struct Open {
        size_t name, nameLength, localAt;  // in names_
        XmlNs ns;
        size_t bindings;  // bindings_ held before it
    };

    // Short names compared in line: the runtime's memcmp is a call.
    static bool Same(const char* a, const char* b, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    bool Attribute(XmlNs ns, const char* local, size_t length, std::wstring& value) const;
    bool Begin(std::wstring& reason);
    bool ReadUtf8(char* out, size_t room, size_t& got, std::wstring& reason);
    bool Fill(std::wstring& reason);
    bool Need(size_t n, std::wstring& reason);
    bool FindEnd(const char* terminator, size_t& at, std::wstring& reason);
    enum { kParsed, kCut, kMalformed };
    int ParseStartTag(size_t& close, bool& empty, size_t& nameLength);
    bool StartTag(std::wstring& reason);
    bool EndTag(size_t close, std::wstring& reason);
    bool Characters(bool& produced, std::wstring& reason);
    bool Resolve(const char* qname, size_t length, bool element, XmlNs& ns, size_t& localAt) const;
    void HoldText(size_t at, size_t n, bool cdata);
    bool Malformed(std::wstring& reason) const;

    ByteStream& in_;
    std::wstring part_;
    std::vector<char> buf_;
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    int utf16_ = 0;  // 1: the part is UTF-16LE, 2: BE; it is read as UTF-8
    bool inEnded_ = false;            // of a UTF-16 part: all its bytes read
    std::vector<unsigned char> raw_;  // its bytes not yet made UTF-8
    std::string converted_;           // and those made UTF-8, not yet taken
    size_t convertedAt_ = 0;
    bool started_ = false;
    bool rootSeen_ = false;
    bool pendingEnd_ = false;  // an empty element's End is next
    bool pendingPop_ = false;  // the last End's element is still on the stack
    bool crPending_ = false;   // a text piece ended in CR: an LF next is its pair

    std::vector<Open> open_;
    std::string names_;
    std::vector<Binding> bindings_;
    size_t startBindings_ = 0;  // bindings_ held before the last Start
    // The last prefix an element was found in, while bindings_ is unchanged.
    mutable std::string cachedPrefix_;
    mutable XmlNs cachedNs_ = XmlNs::None;
    mutable uint64_t cachedVersion_ = UINT64_MAX;
    uint64_t bindingsVersion_ = 0;
    std::vector<Attr> attrs_;  // of the last Start
    XmlNs ns_ = XmlNs::None;
    const char* local_ = nullptr;
    size_t localLength_ = 0;
    // The last Text event's bytes in buf_, as the event left them.
    size_t textAt_ = 0, textBytes_ = 0;
    bool textCdata_ = false;
    bool textAfterCr_ = false;  // an LF it starts with pairs with a CR before
    mutable std::vector<wchar_t> decoded_;  // grows to the longest text piece
};
