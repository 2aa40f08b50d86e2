#include "preview_text.h"

#include <algorithm>
#include <vector>

namespace {

const wchar_t kGoesOn = L'…';
const wchar_t kHitMark = L'>';
const wchar_t kRowEnd[] = L"\r\n";
// A match that ends within this many units shows from the lines' starts;
// a later one shows after this many units of what is before it.
const int kStartKept = 400;
const int kBeforeMatch = 100;

}  // namespace

int PreviewFromUnit(int matchStart, int matchLength) {
    if (matchStart + matchLength <= kStartKept) return 0;
    return std::max(0, matchStart - kBeforeMatch);
}

PreviewShown ComposePreview(const std::wstring& lines, int firstLine, int hitLine, int fromUnit,
                            int matchStart, int matchLength) {
    std::vector<std::wstring> rows;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find(kRowEnd, at);
        if (end == std::wstring::npos) end = lines.size();
        rows.push_back(lines.substr(at, end - at));
        at = end + 2;
    }
    PreviewShown shown;
    const size_t digits = std::to_wstring(firstLine + static_cast<int>(rows.size()) - 1).size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int number = firstLine + static_cast<int>(i);
        std::wstring row = std::to_wstring(number);
        row.insert(0, digits - std::min(digits, row.size()), L' ');
        row += number == hitLine ? kHitMark : L' ';
        row += L' ';
        const std::wstring& line = rows[i];
        const bool cutBefore = fromUnit > 0 && !line.empty();
        if (cutBefore) row += kGoesOn;
        const int textAt = static_cast<int>(shown.text.size() + row.size());
        row.append(line, 0, kPreviewLineUnits);
        if (line.size() > static_cast<size_t>(kPreviewLineUnits)) row += kGoesOn;
        if (number == hitLine) {
            shown.hitRow = static_cast<int>(i);
            const int from = std::clamp(matchStart - fromUnit, 0, kPreviewLineUnits);
            const int to = std::clamp(matchStart + matchLength - fromUnit, from, kPreviewLineUnits);
            const int shownUnits = std::min<int>(static_cast<int>(line.size()), kPreviewLineUnits);
            shown.selectFrom = textAt + std::min(from, shownUnits);
            shown.selectTo = textAt + std::min(to, shownUnits);
        }
        shown.text += row;
        if (i + 1 < rows.size()) shown.text += kRowEnd;
    }
    return shown;
}
