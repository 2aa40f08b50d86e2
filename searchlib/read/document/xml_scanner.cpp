#include "xml_scanner.h"

#include <windows.h>

#include <algorithm>

#include "simd.h"
#include "status_text.h"

namespace {

constexpr size_t kPiece = size_t(1) << 20;
constexpr size_t kLongestMarkup = size_t(4) << 20;
constexpr size_t kDeepest = 1024;
constexpr size_t kLongestReference = 12;  // "&#x10FFFF;" and a little more

const struct {
    const char* uri;
    XmlNs ns;
} kKnownNamespaces[] = {
    {"http://schemas.openxmlformats.org/spreadsheetml/2006/main", XmlNs::Sheet},
    {"http://purl.oclc.org/ooxml/spreadsheetml/main", XmlNs::Sheet},
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", XmlNs::Word},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", XmlNs::Word},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", XmlNs::Drawing},
    {"http://purl.oclc.org/ooxml/drawingml/main", XmlNs::Drawing},
    {"http://schemas.openxmlformats.org/presentationml/2006/main", XmlNs::Presentation},
    {"http://purl.oclc.org/ooxml/presentationml/main", XmlNs::Presentation},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", XmlNs::Relationships},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", XmlNs::Relationships},
    {"http://schemas.openxmlformats.org/package/2006/relationships", XmlNs::PackageRels},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", XmlNs::Compat},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", XmlNs::OdfOffice},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", XmlNs::OdfText},
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", XmlNs::OdfTable},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", XmlNs::OdfDraw},
    {"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0", XmlNs::OdfPresentation},
    {"http://purl.org/dc/elements/1.1/", XmlNs::DublinCore},
    {"http://www.w3.org/XML/1998/namespace", XmlNs::Xml},
};

// The first c in p[0, n), or null: sixteen bytes at a time, since the
// runtime's memchr is a byte loop on some systems and the scan for "<" and
// for a closing quote is the reader's hottest loop.
const char* FindByte(const char* p, size_t n, char c) {
    size_t i = 0;
#ifdef TESSUMI_SSE2
    const __m128i wanted = _mm_set1_epi8(c);
    for (; n - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)));
        if (mask != 0) return p + i + CountTrailingZeros(mask);
    }
#endif
    for (; i < n; ++i)
        if (p[i] == c) return p + i;
    return nullptr;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes that end an element's or an attribute's name.
struct NameStops {
    bool stop[256] = {};
    NameStops() { stop[' '] = stop['\t'] = stop['\n'] = stop['\r'] = stop['/'] = stop['>'] = stop['='] = true; }
};
const NameStops kNameStop;

// "xmlns" or "xmlns:prefix": a namespace declaration, not an attribute.
bool IsDeclaration(const char* name, size_t n) {
    return n >= 5 && name[0] == 'x' && memcmp(name, "xmlns", 5) == 0 && (n == 5 || name[5] == ':');
}

bool StartsWith(const char* p, size_t n, const char* prefix) {
    const size_t k = strlen(prefix);
    return n >= k && memcmp(p, prefix, k) == 0;
}

// The code point of a reference's name (between "&" and ";"), or 0 when it
// names none: the five predefined entities and character references.
unsigned Reference(const char* p, size_t n) {
    static const struct {
        const char* name;
        unsigned c;
    } predefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    if (n >= 2 && p[0] == '#') {
        const bool hex = p[1] == 'x';
        size_t i = hex ? 2 : 1;
        if (i == n) return 0;
        unsigned long value = 0;
        for (; i < n; ++i) {
            const char c = p[i];
            unsigned digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return 0;
            value = value * (hex ? 16 : 10) + digit;
            if (value > 0x10FFFF) return 0;
        }
        if (value >= 0xD800 && value <= 0xDFFF) return 0;
        return static_cast<unsigned>(value);
    }
    for (const auto& e : predefined)
        if (strlen(e.name) == n && memcmp(e.name, p, n) == 0) return e.c;
    return 0;
}

enum class Decoding { Text, Cdata, Attribute };

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Bytes that end a run of plain ASCII text: a reference, a CR, and any byte
// of a multi-byte sequence.
struct PlainAscii {
    bool plain[256];
    PlainAscii() {
        for (int c = 0; c < 256; ++c) plain[c] = c < 0x80 && c != '&' && c != '\r';
    }
};
const PlainAscii kPlain;

// Writes the UTF-8 bytes p[0, n) to out (room for n units: never more units
// than bytes) as UTF-16, written units in written: references made plain
// (but in CDATA), CR LF and lone CR made LF, and in an attribute tab and line
// breaks made spaces. An ill-formed byte becomes U+FFFD. crPending carries a
// CR at the end of one text piece to the next. False on a reference that
// names nothing.
bool Decode(const char* p, size_t n, Decoding mode, bool& crPending, wchar_t* out, size_t& written) {
    wchar_t* w = out;
    auto s = reinterpret_cast<const unsigned char*>(p);
    const unsigned char* e = s + n;
    if (crPending && s < e && *s == '\n') ++s;
    crPending = false;
    const wchar_t lineBreak = mode == Decoding::Attribute ? L' ' : L'\n';
    while (s < e) {
        unsigned c = *s;
        if (mode != Decoding::Attribute) {
            while (kPlain.plain[c]) {
                *w++ = static_cast<wchar_t>(c);
                if (++s == e) break;
                c = *s;
            }
            if (s == e) break;
        }
        if (c < 0x80) {
            if (c == '&' && mode != Decoding::Cdata) {
                const size_t room = std::min<size_t>(e - s, kLongestReference);
                auto semi = static_cast<const unsigned char*>(memchr(s, ';', room));
                if (semi == nullptr) return false;
                const unsigned r = Reference(reinterpret_cast<const char*>(s + 1), semi - s - 1);
                if (r == 0) return false;
                if (r >= 0x10000) {
                    *w++ = static_cast<wchar_t>(0xD800 + ((r - 0x10000) >> 10));
                    *w++ = static_cast<wchar_t>(0xDC00 + ((r - 0x10000) & 0x3FF));
                } else {
                    *w++ = static_cast<wchar_t>(r);
                }
                s = semi + 1;
            } else if (c == '\r') {
                *w++ = lineBreak;
                ++s;
                if (s < e && *s == '\n') ++s;
                else if (s == e) crPending = mode == Decoding::Text;
            } else {
                *w++ = mode == Decoding::Attribute && (c == '\t' || c == '\n') ? L' ' : c;
                ++s;
            }
            continue;
        }
        // Runs of three-byte sequences: Japanese text is made of them.
        while (e - s >= 3 && (c & 0xF0) == 0xE0 && IsContinuation(s[1]) && IsContinuation(s[2])) {
            const unsigned v = (c & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F);
            if (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF)) break;
            *w++ = static_cast<wchar_t>(v);
            s += 3;
            if (s == e) break;
            c = *s;
        }
        if (s == e || c < 0x80) continue;
        unsigned cp = 0xFFFD;
        size_t length = 1;
        if (c >= 0xE0 && c <= 0xEF && e - s >= 3 && IsContinuation(s[1]) && IsContinuation(s[2])) {
            const unsigned v = (c & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F);
            if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
                cp = v;
                length = 3;
            }
        } else if (c >= 0xC2 && c <= 0xDF && e - s >= 2 && IsContinuation(s[1])) {
            cp = (c & 0x1F) << 6 | (s[1] & 0x3F);
            length = 2;
        } else if (c >= 0xF0 && c <= 0xF4 && e - s >= 4 && IsContinuation(s[1]) &&
                   IsContinuation(s[2]) && IsContinuation(s[3])) {
            const unsigned v =
                (c & 0x07) << 18 | (s[1] & 0x3F) << 12 | (s[2] & 0x3F) << 6 | (s[3] & 0x3F);
            if (v >= 0x10000 && v <= 0x10FFFF) {
                cp = v;
                length = 4;
            }
        }
        if (cp >= 0x10000) {
            *w++ = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            *w++ = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *w++ = static_cast<wchar_t>(cp);
        }
        s += length;
    }
    written = static_cast<size_t>(w - out);
    return true;
}

// Where a text piece without "<" may end within n bytes: not inside a UTF-8
// sequence nor a reference, which the next piece then starts with.
size_t SafeCut(const char* p, size_t n) {
    auto s = reinterpret_cast<const unsigned char*>(p);
    size_t cut = n;
    size_t k = n, continuations = 0;
    while (continuations < 3 && k > 0 && IsContinuation(s[k - 1])) {
        --k;
        ++continuations;
    }
    if (k > 0 && s[k - 1] >= 0xC0) {
        const size_t need = s[k - 1] >= 0xF0 ? 4 : s[k - 1] >= 0xE0 ? 3 : 2;
        if (continuations + 1 < need) cut = k - 1;
    }
    for (size_t i = cut; i > 0 && cut - i < kLongestReference; --i) {
        if (s[i - 1] == ';') break;
        if (s[i - 1] == '&') {
            cut = i - 1;
            break;
        }
    }
    return cut > 0 ? cut : n;
}

}  // namespace

XmlNs NamespaceOf(const char* uri, size_t length) {
    if (length == 0) return XmlNs::None;  // xmlns="" undoes a default namespace
    for (const auto& k : kKnownNamespaces)
        if (strlen(k.uri) == length && memcmp(k.uri, uri, length) == 0) return k.ns;
    return XmlNs::Other;
}

XmlScanner::XmlScanner(ByteStream& in, const std::wstring& part) : in_(in), part_(part) {
    buf_.resize(kPiece);
}

void XmlScanner::HoldText(size_t at, size_t n, bool cdata) {
    textAt_ = at;
    textBytes_ = n;
    textCdata_ = cdata;
    textAfterCr_ = crPending_ && !cdata;
    // A CR at a piece's end pairs with an LF that starts the next piece.
    crPending_ = !cdata && n > 0 && buf_[at + n - 1] == '\r';
}

bool XmlScanner::AppendText(std::wstring& to, std::wstring& reason) const {
    // Decoded into a buffer that only grows, then appended: growing to by
    // the bytes would first fill three units for each character.
    if (decoded_.size() < textBytes_) decoded_.resize(textBytes_);
    bool cr = textAfterCr_;
    size_t written = 0;
    if (!Decode(&buf_[textAt_], textBytes_, textCdata_ ? Decoding::Cdata : Decoding::Text, cr,
                decoded_.data(), written))
        return Malformed(reason);
    to.append(decoded_.data(), written);
    return true;
}

bool XmlScanner::Malformed(std::wstring& reason) const {
    reason = status::XmlReason(part_);
    return false;
}

bool XmlScanner::Begin(std::wstring& reason) {
    started_ = true;
    bool ended = false;
    // Four bytes tell UTF-16 by its mark or by its first "<?".
    while (end_ < 4 && !ended) {
        size_t got = 0;
        if (!in_.Read(&buf_[end_], buf_.size() - end_, got, reason)) return false;
        ended = got == 0;
        end_ += got;
    }
    auto b = reinterpret_cast<const unsigned char*>(buf_.data());
    const bool le = end_ >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) ||
                                  (end_ >= 4 && b[0] == '<' && b[1] == 0 && b[2] == '?' && b[3] == 0));
    const bool be = end_ >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) ||
                                  (end_ >= 4 && b[0] == 0 && b[1] == '<' && b[2] == 0 && b[3] == '?'));
    if (le || be) {
        utf16_ = le ? 1 : 2;
        const size_t mark = b[0] == 0xFF || b[0] == 0xFE ? 2 : 0;
        raw_.assign(b + mark, b + end_);
        inEnded_ = ended;
        pos_ = end_ = 0;
        return true;
    }
    eof_ = ended;
    if (end_ >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) pos_ = 3;
    return true;
}

bool XmlScanner::ReadUtf8(char* out, size_t room, size_t& got, std::wstring& reason) {
    if (utf16_ == 0) return in_.Read(out, room, got, reason);
    while (convertedAt_ == converted_.size()) {
        converted_.clear();
        convertedAt_ = 0;
        if (!inEnded_) {
            const size_t held = raw_.size();
            raw_.resize(held + kPiece);
            size_t n = 0;
            if (!in_.Read(raw_.data() + held, kPiece, n, reason)) return false;
            raw_.resize(held + n);
            inEnded_ = n == 0;
        }
        size_t units = raw_.size() / 2;
        auto unit = [&](size_t i) {
            return utf16_ == 1 ? raw_[2 * i] | raw_[2 * i + 1] << 8 : raw_[2 * i] << 8 | raw_[2 * i + 1];
        };
        // A pair's first half waits for its second.
        if (!inEnded_ && units > 0 && (unit(units - 1) & 0xFC00) == 0xD800) --units;
        if (units == 0) {
            if (!inEnded_) continue;
            got = 0;
            return true;
        }
        std::wstring wide(units, L'\0');
        for (size_t i = 0; i < units; ++i) wide[i] = static_cast<wchar_t>(unit(i));
        // A lone surrogate becomes U+FFFD.
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(units), nullptr, 0,
                                          nullptr, nullptr);
        converted_.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(units), &converted_[0], n,
                            nullptr, nullptr);
        raw_.erase(raw_.begin(), raw_.begin() + static_cast<ptrdiff_t>(units * 2));
    }
    got = std::min(room, converted_.size() - convertedAt_);
    memcpy(out, converted_.data() + convertedAt_, got);
    convertedAt_ += got;
    return true;
}

bool XmlScanner::Fill(std::wstring& reason) {
    if (eof_) return true;
    if (pos_ > 0) {
        memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (end_ == buf_.size()) {
        // One piece of markup fills the buffer.
        if (buf_.size() >= kLongestMarkup) {
            reason = status::BoundReason(status::DocumentBound::Tag, kLongestMarkup);
            return false;
        }
        buf_.resize(std::min(buf_.size() * 2, kLongestMarkup));
    }
    size_t got = 0;
    if (!ReadUtf8(&buf_[end_], buf_.size() - end_, got, reason)) return false;
    eof_ = got == 0;
    end_ += got;
    return true;
}

bool XmlScanner::Need(size_t n, std::wstring& reason) {
    while (end_ - pos_ < n && !eof_)
        if (!Fill(reason)) return false;
    return true;
}

// The terminator's offset from pos_: an end tag's ">" a few bytes on, or
// the end of a comment, a processing instruction or CDATA.
bool XmlScanner::FindEnd(const char* terminator, size_t& at, std::wstring& reason) {
    const size_t k = strlen(terminator);
    size_t from = 0;
    for (;;) {
        const char* begin = &buf_[pos_];
        const size_t n = end_ - pos_;
        for (size_t i = from; i + k <= n; ++i) {
            if (begin[i] == terminator[0] && Same(begin + i, terminator, k)) {
                at = i;
                return true;
            }
        }
        if (eof_) return Malformed(reason);
        from = n >= k ? n - (k - 1) : 0;
        if (!Fill(reason)) return false;
    }
}

bool XmlScanner::Resolve(const char* qname, size_t length, bool element, XmlNs& ns,
                         size_t& localAt) const {
    const char* colon = nullptr;
    for (size_t i = 0; i < length && colon == nullptr; ++i)
        if (qname[i] == ':') colon = qname + i;
    localAt = colon ? static_cast<size_t>(colon - qname) + 1 : 0;
    if (colon == nullptr && !element) {
        ns = XmlNs::None;  // an attribute without a prefix is in none
        return true;
    }
    const size_t prefixLength = colon ? localAt - 1 : 0;
    if (cachedVersion_ == bindingsVersion_ && cachedPrefix_.size() == prefixLength &&
        memcmp(cachedPrefix_.data(), qname, prefixLength) == 0) {
        ns = cachedNs_;
        return true;
    }
    if (prefixLength == 3 && memcmp(qname, "xml", 3) == 0) {
        ns = XmlNs::Xml;
        return true;
    }
    ns = XmlNs::None;  // no default namespace declared
    bool found = prefixLength == 0;
    for (size_t i = bindings_.size(); i-- > 0;) {
        const Binding& b = bindings_[i];
        if (b.prefix.size() == prefixLength && memcmp(b.prefix.data(), qname, prefixLength) == 0) {
            ns = b.ns;
            found = true;
            break;
        }
    }
    if (!found) return false;
    cachedPrefix_.assign(qname, prefixLength);
    cachedNs_ = ns;
    cachedVersion_ = bindingsVersion_;
    return true;
}

// The start tag at pos_, parsed in one pass up to its close: kParsed,
// kCut when the buffer ends within it, or kMalformed.
int XmlScanner::ParseStartTag(size_t& close, bool& empty, size_t& nameLength) {
    const char* b = buf_.data();
    const size_t e = end_;
    const size_t tagStart = pos_ + 1;
    size_t q = tagStart;
    while (q < e && !kNameStop.stop[static_cast<unsigned char>(b[q])]) ++q;
    nameLength = q - tagStart;
    if (nameLength == 0 && q < e) return kMalformed;
    attrs_.clear();
    for (;;) {
        while (q < e && IsSpace(b[q])) ++q;
        if (q == e) return kCut;
        if (b[q] == '>' || b[q] == '/') {
            empty = b[q] == '/';
            close = q + (empty ? 1 : 0);
            if (close == e) return kCut;
            return b[close] == '>' ? kParsed : kMalformed;
        }
        const size_t name = q;
        while (q < e && !kNameStop.stop[static_cast<unsigned char>(b[q])]) ++q;
        const size_t nameEnd = q;
        while (q < e && IsSpace(b[q])) ++q;
        if (q == e) return kCut;
        if (b[q] != '=' || nameEnd == name) return kMalformed;
        ++q;
        while (q < e && IsSpace(b[q])) ++q;
        if (q == e) return kCut;
        if (b[q] != '"' && b[q] != '\'') return kMalformed;
        const char quote = b[q++];
        const char* end = FindByte(b + q, e - q, quote);
        if (end == nullptr) return kCut;
        attrs_.push_back({name, nameEnd - name, q, static_cast<size_t>(end - b) - q});
        q = static_cast<size_t>(end - b) + 1;
    }
}

bool XmlScanner::StartTag(std::wstring& reason) {
    size_t close = 0, nameLength = 0;
    bool empty = false;
    for (;;) {
        const int parsed = ParseStartTag(close, empty, nameLength);
        if (parsed == kParsed) break;
        if (parsed == kMalformed || eof_) return Malformed(reason);
        if (!Fill(reason)) return false;
    }
    const size_t tagStart = pos_ + 1;
    startBindings_ = bindings_.size();
    for (const Attr& a : attrs_) {
        const char* n = &buf_[a.name];
        if (IsDeclaration(n, a.nameLength)) {
            bindings_.push_back({a.nameLength == 5 ? std::string() : std::string(n + 6, a.nameLength - 6),
                                 NamespaceOf(&buf_[a.value], a.valueLength)});
            ++bindingsVersion_;
        }
    }
    XmlNs ns;
    size_t localAt;
    if (!Resolve(&buf_[tagStart], nameLength, true, ns, localAt)) return Malformed(reason);
    if (open_.empty() && rootSeen_) return Malformed(reason);  // a second root
    if (open_.size() >= kDeepest) return Malformed(reason);
    rootSeen_ = true;
    if (!empty) {
        open_.push_back({names_.size(), nameLength, localAt, ns, startBindings_});
        names_.append(&buf_[tagStart], nameLength);
    }
    ns_ = ns;
    local_ = &buf_[tagStart + localAt];
    localLength_ = nameLength - localAt;
    pendingEnd_ = empty;
    pos_ = close + 1;
    return true;
}

bool XmlScanner::EndTag(size_t close, std::wstring& reason) {
    size_t e = pos_ + close;
    while (e > pos_ + 2 && IsSpace(buf_[e - 1])) --e;
    const size_t length = e - (pos_ + 2);
    if (open_.empty()) return Malformed(reason);
    const Open& top = open_.back();
    if (top.nameLength != length || !Same(names_.data() + top.name, &buf_[pos_ + 2], length))
        return Malformed(reason);
    ns_ = top.ns;
    local_ = names_.data() + top.name + top.localAt;
    localLength_ = top.nameLength - top.localAt;
    pendingPop_ = true;  // its name is read until the next event
    pos_ += close + 1;
    return true;
}

bool XmlScanner::Characters(bool& produced, std::wstring& reason) {
    produced = false;
    for (;;) {
        const size_t available = end_ - pos_;
        const char* start = &buf_[pos_];
        const char* lt = FindByte(start, available, '<');
        size_t n;
        if (lt != nullptr) {
            n = static_cast<size_t>(lt - start);
        } else if (eof_) {
            n = available;
        } else if (available < kPiece) {
            // A short piece grows first, so that text comes in long events.
            if (!Fill(reason)) return false;
            continue;
        } else {
            n = SafeCut(start, available);
        }
        if (open_.empty()) {
            // Outside the root only white space may stand.
            for (size_t i = 0; i < n; ++i)
                if (!IsSpace(start[i])) return Malformed(reason);
            pos_ += n;
            return true;
        }
        HoldText(pos_, n, false);
        pos_ += n;
        produced = n > 0;
        return true;
    }
}

bool XmlScanner::Next(Event& event, std::wstring& reason) {
    if (!started_ && !Begin(reason)) return false;
    if (pendingPop_) {
        const Open& top = open_.back();
        names_.resize(top.name);
        if (bindings_.size() != top.bindings) {
            bindings_.resize(top.bindings);
            ++bindingsVersion_;
        }
        open_.pop_back();
        pendingPop_ = false;
    }
    if (pendingEnd_) {
        pendingEnd_ = false;
        if (bindings_.size() != startBindings_) {
            bindings_.resize(startBindings_);
            ++bindingsVersion_;
        }
        event = Event::End;
        return true;
    }
    for (;;) {
        if (pos_ == end_ && !eof_ && !Fill(reason)) return false;
        if (pos_ == end_) {
            if (!open_.empty() || !rootSeen_) return Malformed(reason);
            event = Event::Done;
            return true;
        }
        if (buf_[pos_] != '<') {
            bool produced;
            if (!Characters(produced, reason)) return false;
            if (produced) {
                event = Event::Text;
                return true;
            }
            continue;
        }
        if (!Need(9, reason)) return false;  // "<![CDATA[" tells the longest kind
        const char* p = &buf_[pos_];
        const size_t available = end_ - pos_;
        size_t at = 0;
        // The byte after "<" tells the kind.
        const char kind = available > 1 ? p[1] : '\0';
        if (kind == '/') {
            if (!FindEnd(">", at, reason) || !EndTag(at, reason)) return false;
            event = Event::End;
            return true;
        }
        if (kind == '?') {
            if (!FindEnd("?>", at, reason)) return false;
            pos_ += at + 2;
            continue;
        }
        if (kind == '!' && StartsWith(p, available, "<!--")) {
            if (!FindEnd("-->", at, reason)) return false;
            pos_ += at + 3;
            continue;
        }
        if (kind == '!' && StartsWith(p, available, "<![CDATA[")) {
            if (open_.empty()) return Malformed(reason);
            if (!FindEnd("]]>", at, reason)) return false;
            HoldText(pos_ + 9, at - 9, true);
            pos_ += at + 3;
            if (at == 9) continue;
            event = Event::Text;
            return true;
        }
        if (kind == '!') return Malformed(reason);  // a DTD
        if (!StartTag(reason)) return false;
        event = Event::Start;
        return true;
    }
}

bool XmlScanner::Attribute(XmlNs ns, const char* local, size_t localLength,
                           std::wstring& value) const {
    for (const Attr& a : attrs_) {
        const char* name = &buf_[a.name];
        if (a.nameLength < localLength || IsDeclaration(name, a.nameLength)) continue;
        XmlNs attributeNs;
        size_t localAt;
        if (!Resolve(name, a.nameLength, false, attributeNs, localAt) || attributeNs != ns ||
            a.nameLength - localAt != localLength || !Same(name + localAt, local, localLength))
            continue;
        value.resize(a.valueLength);
        bool cr = false;
        size_t written = 0;
        const bool decoded =
            Decode(&buf_[a.value], a.valueLength, Decoding::Attribute, cr, &value[0], written);
        value.resize(written);
        return decoded;
    }
    return false;
}

bool XmlScanner::Skip(std::wstring& reason) {
    Event event;
    if (pendingEnd_) return Next(event, reason);
    const size_t level = open_.size();  // its own End leaves it open until the next event
    do {
        if (!Next(event, reason)) return false;
    } while (event != Event::End || open_.size() != level);
    return true;
}
