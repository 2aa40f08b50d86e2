// Documents' text as lines, exact, the same whatever the blocks it is read
// in; and the XML reader under it, event by event, against XmlLite on
// entities, character references, CDATA, namespaces and damage.
#include <gtest/gtest.h>

#include <cstring>

#include "document/document_text.h"
#include "program_beside.h"
#include "status_text.h"
#include "test_support.h"
#include "xml_lite_reference.h"
#include "zip/zip_directory.h"

using namespace testing_support;

namespace {

std::wstring Fixture(const std::wstring& name) { return BesideProgram(L"documents\\" + name); }

TEST(DocumentTextTest, EachCellParagraphAndSlideTextIsALineWithItsPlace) {
    const struct {
        const wchar_t* file;
        ContentKind kind;
        std::wstring text;
        std::wstring failure;
    } cases[] = {
        {L"book.xlsx", ContentKind::Workbook,
         L"[売上!A1] 大阪支店\n[売上!B1] 3.14\n[売上!C1] 大阪支店!\n[売上!A2] インライン\n"
         L"[売上!B2] TRUE\n[売上!C2] 45292\n[売上!E2] #N/A\n[売上!A3] A&B <C> \"東京\"\n"
         L"[売上!B3] -0.0015\n[売上!B12] 東京支社\n"
         L"[メモ!A1] 一行目\n[メモ!A1] 二行目\n[メモ!B1] 改行\n[メモ!B1] コード_x\n[メモ!A2] <タグ> & 記号\n",
         L""},
        {L"report.docx", ContentKind::WordDocument,
         L"[段落 1] 議事録\n[段落 2] 東京支社\n[段落 4] 項目\n[段落 5] 金額\n[段落 6] 交通費\n"
         L"[段落 7] 1,200\n[段落 8] 前\t後\n[段落 8] 次の行 & 記号\n[段落 9] 箱の中\n[段落 10] 本文\n"
         L"[ヘッダー 1] 社外秘\n[フッター 1] 1 ページ\n[脚注 1] 注記です\n[コメント 1] 要確認\n",
         L""},
        {L"deck.pptx", ContentKind::Presentation,
         L"[スライド 1] 四半期報告\n[スライド 1] 売上は前年比 120%\n[スライド 1] 東京支社が最大\n"
         L"[スライド 1 ノート] ここで数字を強調\n[スライド 2] 項目\n[スライド 2] 値\n",
         L""},
        {L"notes.odt", ContentKind::OdfText,
         L"[段落 1] 議事録\n[段落 2] 東京支社  会議\t午後\n[段落 2] 次の行\n[段落 4] 項目\n"
         L"[段落 5] 箇条書き\n[段落 6] 脚注の文\n[段落 7] 要確認\n[段落 8] 注記あり\n",
         L""},
        {L"sheet.ods", ContentKind::OdfSpreadsheet,
         L"[売上!A1] 東京支社\n[売上!B1] 3.14\n[売上!C2] 同じ\n[売上!C3] 同じ\n[売上!A4] 二つ\n"
         L"[売上!B4] 二つ\n[売上!D4] 一行目\n[売上!D4] 二行目\n[メモ!A1] A&B\n",
         L""},
        {L"slides.odp", ContentKind::OdfPresentation,
         L"[スライド 1] 四半期報告\n[スライド 1 ノート] 話す内容\n[スライド 2] まとめ\n", L""},
        {L"broken.docx", ContentKind::WordDocument, L"[段落 1] 一つ目\n[段落 2] 二つ目\n",
         L"文書の部品 word/document.xml の XML が壊れています"},
        {L"nobody.docx", ContentKind::WordDocument, L"",
         L"文書の部品 word/document.xml が見つかりません（壊れています）"},
        {L"archive.zip", ContentKind::Presentation, L"", status::MissingPartReason(L"ppt/presentation.xml")},
        {L"damaged.zip", ContentKind::Workbook, L"", status::InsideReason(status::InsideFault::NoDirectory)},
        {L"locked.xlsx", ContentKind::Workbook, L"", L"暗号化されているため探せません"},
    };
    for (size_t units : {size_t(1), size_t(1) << 20}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(Show(c.file) + " in blocks of " + std::to_string(units));
            FileSource source;
            wchar_t statusText[status::kUnits];
            ASSERT_EQ(source.Open(Fixture(c.file).c_str(), statusText), 1);
            DocumentText document;
            std::wstring text, reason;
            bool end = false;
            if (document.Open(source, c.kind, reason)) {
                while (!end && document.Read(text, units, end, reason)) {}
            }
            EXPECT_EQ(Show(text), Show(c.text));
            EXPECT_EQ(Show(reason), Show(c.failure));
        }
    }
}

// Gives its bytes a few at a time, so that every piece of XML is cut
// somewhere between two reads.
class Trickle : public ByteStream {
public:
    Trickle(const std::string& bytes, size_t step) : bytes_(bytes), step_(step) {}
    bool Read(void* out, size_t n, size_t& got, std::wstring&) override {
        got = std::min({n, step_, bytes_.size() - at_});
        memcpy(out, bytes_.data() + at_, got);
        at_ += got;
        return true;
    }

private:
    const std::string& bytes_;
    size_t step_, at_ = 0;
};

// The scanner's events in the form XmlLiteEvents gives.
std::wstring ScannerEvents(const std::string& bytes, size_t step) {
    Trickle in(bytes, step);
    XmlScanner xml(in, L"part");
    std::wstring events, reason;
    for (;;) {
        XmlScanner::Event event;
        if (!xml.Next(event, reason)) return events + L"!error";
        switch (event) {
        case XmlScanner::Event::Start: {
            const std::string local(xml.local());
            events += L"<" + std::to_wstring(static_cast<int>(xml.ns())) + L":" +
                      std::wstring(local.begin(), local.end()) + L">";
            break;
        }
        case XmlScanner::Event::End: events += L"</>"; break;
        case XmlScanner::Event::Text:
            if (!xml.AppendText(events, reason)) return events + L"!error";
            break;
        case XmlScanner::Event::Done: return events + L"|end";
        }
    }
}

// Every XML part of a fixture document, as its bytes.
std::vector<std::string> PartsOf(const wchar_t* file) {
    std::vector<std::string> parts;
    FileSource source;
    wchar_t statusText[status::kUnits];
    if (!source.Open(Fixture(file).c_str(), statusText)) return parts;
    ZipDirectory directory;
    ZipEntry entry;
    std::wstring reason;
    directory.Open(source, reason);
    while (directory.Next(entry, reason) > 0) {
        if (entry.name.find(L".xml") == std::wstring::npos && entry.name.find(L".rels") == std::wstring::npos)
            continue;  // an OpenDocument's mimetype
        MemberStream member;
        std::string bytes(entry.size, '\0');
        size_t got = 0;
        if (member.Open(source, entry, reason) && member.Read(&bytes[0], bytes.size(), got, reason))
            parts.push_back(bytes);
    }
    return parts;
}

TEST(DocumentTextTest, TheXmlReaderReadsAsXmlLiteDoes) {
    // Each piece of XML with its events as XML has them; none: as XmlLite
    // reads it. Wine's XmlLite is wrong on the ones given (it makes &#10;
    // a space, takes the outer binding of a prefix declared again, lets an
    // undeclared entity or prefix pass and loops at a cut end).
    std::vector<std::pair<std::string, std::wstring>> xml = {
        {"<a>x&amp;y&lt;&gt;&quot;&apos;&#x6771;&#20140;&#65;</a>", L""},
        {"<a>&#x20BB7;&#10;&#13;</a>", L"<0:a>\U00020BB7\n\r</>|end"},
        {"<a>p<![CDATA[<b>&amp;\r\n]]>q</a>", L""},
        {"<r xmlns=\"urn:x\" xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<w:p><t xmlns=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">in</t>"
         "<t>out</t></w:p><x:t xmlns:x=\"urn:x\">\xE6\x9D\xB1</x:t></r>", L""},
        {"<w:r xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<q xmlns:w=\"urn:y\"><w:p/></q><w:p/></w:r>", L"<4:r><0:q><1:p></></><4:p></></>|end"},
        {"<a>1\r\n2\r3\n</a>", L""},
        {"<?xml version=\"1.0\"?>\r\n<!-- c --><a> <?pi x?> b <!--<x>--></a>\n", L""},
        {"<a><b c=\"x>y\" d='\"'/><d/></a>", L""},
        {"\xEF\xBB\xBF<a>\xE6\x9D\xB1\xE4\xBA\xAC</a>", L""},
        {"\xFF\xFE" + Utf16Bytes(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>東&#x4EAC;\U00020BB7</a>"), L""},
        {"<a><b></a></b>", L""},
        {"<a>&nbsp;</a>", L"<0:a>!error"},
        {"<x:a/>", L"!error"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", L""},
        {"<a><b>", L"<0:a><0:b>!error"},
        {"<a/><b/>", L""},
        {"text<a/>", L"!error"},
    };
    for (const wchar_t* file : {L"book.xlsx", L"report.docx", L"deck.pptx", L"notes.odt", L"sheet.ods"})
        for (const std::string& part : PartsOf(file)) xml.push_back({part, L""});
    ASSERT_GT(xml.size(), 30u);
    for (const auto& [bytes, events] : xml) {
        SCOPED_TRACE(Show(std::wstring(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 80))));
        std::wstring reference = events;
        if (reference.empty()) {
            ASSERT_TRUE(XmlLiteEvents(bytes, reference)) << "xmllite.dll can't be loaded";
        }
        for (size_t step : {size_t(1), size_t(1) << 20})
            EXPECT_EQ(Show(ScannerEvents(bytes, step)), Show(reference));
    }
}

}  // namespace
