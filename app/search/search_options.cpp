#include "search_options.h"

#include "Tessumi.h"
#include "settings/settings.h"

namespace {

const wchar_t kSection[] = L"SearchOptions";
const wchar_t kExcludedFoldersKey[] = L"ExcludedFolders";

// Each switch: its key in the settings, its flag, and where it lives.
struct Switch {
    const wchar_t* key;
    int flag;
    bool SearchOptions::*member;
};
const Switch kSwitches[] = {
    {L"IgnoreCase", TESSUMI_IGNORE_CASE, &SearchOptions::ignoreCase},
    {L"IgnoreWidth", TESSUMI_IGNORE_WIDTH, &SearchOptions::ignoreWidth},
    {L"IgnoreKana", TESSUMI_IGNORE_KANA, &SearchOptions::ignoreKana},
    {L"SkipBinary", TESSUMI_SKIP_BINARY, &SearchOptions::skipBinary},
    {L"KeepGoing", TESSUMI_KEEP_GOING, &SearchOptions::keepGoing},
    {L"Pattern1Wildcards", TESSUMI_PATTERN1_MASKS, &SearchOptions::pattern1Wildcards},
    {L"Documents", TESSUMI_DOCUMENTS, &SearchOptions::documents},
    {L"Archives", TESSUMI_ARCHIVES, &SearchOptions::archives},
};

}  // namespace

int OptionFlags(const SearchOptions& options) {
    int flags = 0;
    for (const Switch& s : kSwitches)
        if (options.*s.member) flags |= s.flag;
    return flags;
}

SearchOptions LoadSearchOptions() {
    SearchOptions options;
    for (const Switch& s : kSwitches)
        options.*s.member = settings::ReadInt(kSection, s.key, options.*s.member ? 1 : 0, 0, 1) != 0;
    options.excludedFolders =
        settings::ReadString(kSection, kExcludedFoldersKey, options.excludedFolders);
    return options;
}

void SaveSearchOptions(const SearchOptions& options) {
    for (const Switch& s : kSwitches) settings::WriteInt(kSection, s.key, options.*s.member ? 1 : 0);
    settings::WriteString(kSection, kExcludedFoldersKey, options.excludedFolders);
}
