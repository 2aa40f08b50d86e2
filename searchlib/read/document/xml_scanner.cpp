#include "xml_scanner.h"

#include <algorithm>

#include "status_text.h"

namespace {

constexpr size_t kPiece = size_t(64) << 10;
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
    {"http://www.w3.org/XML/1998/namespace", XmlNs::Xml},
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool StartsWith(const char* p, size_t n, const char* prefix) {
    const size_t k = strlen(prefix);
    return n >= k && memcmp(p, prefix, k) == 0;
}

void PutUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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

// Appends the UTF-8 bytes p[0, n) to out as UTF-16: references made plain
// (but in CDATA), CR LF and lone CR made LF, and in an attribute tab and
// line breaks made spaces. An ill-formed byte becomes U+FFFD. crPending
// carries a CR at the end of one text piece to the next. False on a
// reference that names nothing.
bool Decode(const char* p, size_t n, Decoding mode, bool& crPending, std::wstring& out) {
    const size_t base = out.size();
    out.resize(base + n);  // never more units than bytes
    wchar_t* w = &out[base];
    auto s = reinterpret_cast<const unsigned char*>(p);
    const unsigned char* e = s + n;
    if (crPending && s < e && *s == '\n') ++s;
    crPending = false;
    const wchar_t lineBreak = mode == Decoding::Attribute ? L' ' : L'\n';
    while (s < e) {
        const unsigned c = *s;
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
        unsigned cp = 0xFFFD;
        size_t length = 1;
        if (c >= 0xC2 && c <= 0xDF && e - s >= 2 && IsContinuation(s[1])) {
            cp = (c & 0x1F) << 6 | (s[1] & 0x3F);
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF && e - s >= 3 && IsContinuation(s[1]) &&
                   IsContinuation(s[2])) {
            const unsigned v = (c & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F);
            if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
                cp = v;
                length = 3;
            }
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
    out.resize(static_cast<size_t>(w - out.data()));
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
        for (size_t i = 0; i < units; ++i) {
            unsigned c = unit(i);
            if ((c & 0xFC00) == 0xD800 && i + 1 < units && (unit(i + 1) & 0xFC00) == 0xDC00) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
                ++i;
            } else if ((c & 0xF800) == 0xD800) {
                c = 0xFFFD;
            }
            PutUtf8(converted_, c);
        }
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

// The terminator's offset from pos_.
bool XmlScanner::FindEnd(const char* terminator, size_t& at, std::wstring& reason) {
    const size_t k = strlen(terminator);
    size_t from = 0;
    for (;;) {
        const char* begin = &buf_[pos_];
        const char* found = std::search(begin + from, begin + (end_ - pos_), terminator, terminator + k);
        if (found != begin + (end_ - pos_)) {
            at = static_cast<size_t>(found - begin);
            return true;
        }
        if (eof_) return Malformed(reason);
        from = end_ - pos_ >= k ? end_ - pos_ - (k - 1) : 0;
        if (!Fill(reason)) return false;
    }
}

// The offset from pos_ of the ">" that closes a tag, quoted values skipped.
bool XmlScanner::FindTagClose(size_t& at, std::wstring& reason) {
    size_t k = 1;
    char quote = 0;
    for (;;) {
        for (; pos_ + k < end_; ++k) {
            const char c = buf_[pos_ + k];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                at = k;
                return true;
            } else if (c == '<') {
                return Malformed(reason);
            }
        }
        if (eof_) return Malformed(reason);
        if (!Fill(reason)) return false;
    }
}

bool XmlScanner::Resolve(const char* qname, size_t length, bool element, XmlNs& ns,
                         size_t& localAt) const {
    const char* colon = static_cast<const char*>(memchr(qname, ':', length));
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

bool XmlScanner::StartTag(size_t close, std::wstring& reason) {
    const size_t tagStart = pos_ + 1;
    size_t e = pos_ + close;
    const bool empty = e > tagStart && buf_[e - 1] == '/';
    if (empty) --e;
    size_t q = tagStart;
    while (q < e && !IsSpace(buf_[q])) ++q;
    const size_t nameLength = q - tagStart;
    if (nameLength == 0) return Malformed(reason);

    attrs_.clear();
    startBindings_ = bindings_.size();
    for (;;) {
        while (q < e && IsSpace(buf_[q])) ++q;
        if (q == e) break;
        const size_t name = q;
        while (q < e && buf_[q] != '=' && !IsSpace(buf_[q])) ++q;
        const size_t nameEnd = q;
        while (q < e && IsSpace(buf_[q])) ++q;
        if (q == e || buf_[q] != '=' || nameEnd == name) return Malformed(reason);
        ++q;
        while (q < e && IsSpace(buf_[q])) ++q;
        if (q == e || (buf_[q] != '"' && buf_[q] != '\'')) return Malformed(reason);
        const char quote = buf_[q++];
        const size_t value = q;
        while (q < e && buf_[q] != quote) ++q;
        if (q == e) return Malformed(reason);
        attrs_.push_back({name, nameEnd - name, value, q - value});
        ++q;
        const char* n = &buf_[name];
        const size_t nLength = nameEnd - name;
        if (StartsWith(n, nLength, "xmlns") && (nLength == 5 || n[5] == ':')) {
            const std::string prefix = nLength == 5 ? std::string() : std::string(n + 6, nLength - 6);
            bindings_.push_back({prefix, NamespaceOf(&buf_[value], q - 1 - value)});
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
    pos_ += close + 1;
    return true;
}

bool XmlScanner::EndTag(size_t close, std::wstring& reason) {
    size_t e = pos_ + close;
    while (e > pos_ + 2 && IsSpace(buf_[e - 1])) --e;
    const size_t length = e - (pos_ + 2);
    if (open_.empty()) return Malformed(reason);
    const Open& top = open_.back();
    if (top.nameLength != length || memcmp(names_.data() + top.name, &buf_[pos_ + 2], length) != 0)
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
        const char* lt = static_cast<const char*>(memchr(start, '<', available));
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
        text_.clear();
        if (!Decode(start, n, Decoding::Text, crPending_, text_)) return Malformed(reason);
        pos_ += n;
        produced = !text_.empty();
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
        if (StartsWith(p, available, "</")) {
            if (!FindTagClose(at, reason) || !EndTag(at, reason)) return false;
            event = Event::End;
            return true;
        }
        if (StartsWith(p, available, "<?")) {
            if (!FindEnd("?>", at, reason)) return false;
            pos_ += at + 2;
            continue;
        }
        if (StartsWith(p, available, "<!--")) {
            if (!FindEnd("-->", at, reason)) return false;
            pos_ += at + 3;
            continue;
        }
        if (StartsWith(p, available, "<![CDATA[")) {
            if (open_.empty()) return Malformed(reason);
            if (!FindEnd("]]>", at, reason)) return false;
            text_.clear();
            crPending_ = false;
            Decode(&buf_[pos_ + 9], at - 9, Decoding::Cdata, crPending_, text_);
            crPending_ = false;
            pos_ += at + 3;
            if (text_.empty()) continue;
            event = Event::Text;
            return true;
        }
        if (StartsWith(p, available, "<!")) return Malformed(reason);  // a DTD
        if (!FindTagClose(at, reason) || !StartTag(at, reason)) return false;
        event = Event::Start;
        return true;
    }
}

bool XmlScanner::Attribute(XmlNs ns, const char* local, std::wstring& value) const {
    const size_t localLength = strlen(local);
    for (const Attr& a : attrs_) {
        const char* name = &buf_[a.name];
        if (StartsWith(name, a.nameLength, "xmlns") && (a.nameLength == 5 || name[5] == ':'))
            continue;
        XmlNs attributeNs;
        size_t localAt;
        if (!Resolve(name, a.nameLength, false, attributeNs, localAt) || attributeNs != ns ||
            a.nameLength - localAt != localLength || memcmp(name + localAt, local, localLength) != 0)
            continue;
        value.clear();
        bool cr = false;
        return Decode(&buf_[a.value], a.valueLength, Decoding::Attribute, cr, value);
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
