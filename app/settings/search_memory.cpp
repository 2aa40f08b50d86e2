#include "search_memory.h"

#include <cwchar>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "setting_names.h"
#include "settings.h"

namespace {

struct FieldNames {
    int control;
    const wchar_t* key;      // in [Search]
    const wchar_t* history;  // its section of recent values
};
const FieldNames kFields[] = {
    {IDC_FOLDER_EDIT, settings::kStartFolderKey, settings::kStartFolderHistory},
    {IDC_PATTERN1_EDIT, settings::kPattern1Key, settings::kPattern1History},
    {IDC_PATTERN2_EDIT, settings::kPattern2Key, settings::kPattern2History},
    {IDC_RESULTS_EDIT, settings::kResultsFileKey, settings::kResultsFileHistory},
};

// A field held either as a fixed array or as a string.
template <size_t N>
void Assign(wchar_t (&field)[N], const std::wstring& value) {
    if (value.size() >= N) return;  // too long for the field: left as it is
    wcscpy(field, value.c_str());
}
void Assign(std::wstring& field, const std::wstring& value) { field = value; }

template <typename Field>
void LoadField(Field& field, const FieldNames& names) {
    const std::wstring missing;
    std::wstring value = settings::ReadString(settings::kSearchSection, names.key, missing);
    if (!value.empty()) Assign(field, value);
}

void RememberField(const std::wstring& value, const FieldNames& names) {
    settings::WriteString(settings::kSearchSection, names.key, value);
    std::vector<std::wstring> recent = settings::ReadList(names.history);
    settings::Remember(recent, value, settings::kHistoryLimit);
    settings::WriteList(names.history, recent);
}

}  // namespace

void LoadRememberedConditions(SearchConditions& c) {
    LoadField(c.startFolder, kFields[0]);
    LoadField(c.pattern1, kFields[1]);
    LoadField(c.pattern2, kFields[2]);
    LoadField(c.resultsFile, kFields[3]);
}

void RememberConditions(const SearchConditions& c) {
    const std::wstring values[] = {c.startFolder, c.pattern1, c.pattern2, c.resultsFile};
    for (size_t i = 0; i < 4; ++i) RememberField(values[i], kFields[i]);
}

void ShowRecentValues(HWND dialog) {
    for (const FieldNames& names : kFields) {
        HWND combo = GetDlgItem(dialog, names.control);
        std::vector<std::wstring> recent = settings::ReadList(names.history);
        if (recent.size() > settings::kHistoryLimit) recent.resize(settings::kHistoryLimit);
        for (const std::wstring& value : recent)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
}
