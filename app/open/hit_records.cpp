#include "hit_records.h"

#include <windows.h>

#include "Tessumi.h"
#include "result_record.h"

namespace {

const wchar_t kCsvHeader[] = L"パス,行,内容";
const char kUtf8Mark[] = "\xEF\xBB\xBF";
// A spreadsheet takes a cell that starts with one of these as a formula
// (and may run what it names): such a cell gets a leading apostrophe.
const wchar_t kFormulaStarts[] = L"=+-@\t\r";

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n,
                            nullptr, nullptr);
    return bytes;
}

// A CSV field: quoted, quotes doubled, never read as a formula.
std::wstring CsvField(const std::wstring& value) {
    std::wstring field = L"\"";
    if (!value.empty() && wcschr(kFormulaStarts, value[0])) field += L'\'';
    for (wchar_t c : value) {
        if (c == L'"') field += L'"';
        field += c;
    }
    return field + L"\"";
}

}  // namespace

std::vector<HitRecord> HitRecordsIn(const LineIndex& index, const wchar_t* units, size_t firstLine,
                                    size_t lastLine) {
    std::vector<HitRecord> records;
    const size_t count = LineCount(index);
    for (size_t line = firstLine; line <= lastLine && line < count; ++line) {
        ResultRecord record;
        if (!RecordAt(index, units, line, &record) || record.pathLine != line) continue;
        const LineText hit = LineAt(index, units, line + 1);
        const int start = HitTextStart(hit);
        records.push_back({record.path, record.number,
                           std::wstring(hit.units + start, static_cast<size_t>(hit.count - start))});
        ++line;  // the hit line
    }
    return records;
}

bool EditorLines(std::vector<HitRecord>& records, const std::atomic<bool>& stop) {
    // A file's records stand together: each file is read once for all of them.
    std::vector<int> numbers, lines;
    for (size_t first = 0, end = 0; first < records.size(); first = end) {
        if (stop.load()) return false;
        for (end = first; end < records.size() && records[end].path == records[first].path; ++end) {
        }
        numbers.clear();
        for (size_t k = first; k < end; ++k) numbers.push_back(records[k].line);
        lines.assign(numbers.size(), 0);
        wchar_t status[TESSUMI_STATUS_TEXT_UNITS];
        FnPhysicalLines(records[first].path.c_str(), numbers.data(), static_cast<int>(numbers.size()),
                        lines.data(), status);
        for (size_t k = first; k < end; ++k) records[k].line = lines[k - first];
    }
    return true;
}

std::wstring TagJumpText(const std::vector<HitRecord>& records) {
    std::wstring text;
    for (const HitRecord& r : records)
        text += r.path + L"(" + std::to_wstring(r.line) + L"): " + r.text + L"\r\n";
    return text;
}

std::string TagJumpBytes(const std::vector<HitRecord>& records) {
    return Utf8(TagJumpText(records));
}

std::string CsvBytes(const std::vector<HitRecord>& records) {
    std::wstring text = std::wstring(kCsvHeader) + L"\r\n";
    for (const HitRecord& r : records)
        text += CsvField(r.path) + L"," + std::to_wstring(r.line) + L"," + CsvField(r.text) + L"\r\n";
    return kUtf8Mark + Utf8(text);
}
