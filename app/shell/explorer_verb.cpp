#include "explorer_verb.h"

#include <windows.h>
#include <shlobj.h>

namespace {

const wchar_t kClasses[] = L"Software\\Classes\\";
const wchar_t kVerbName[] = L"\\shell\\Varnelo";
const wchar_t kCommandKey[] = L"command";
const wchar_t kIconValue[] = L"Icon";
const wchar_t kVerbText[] = L"Varnelo で検索";

// The three places, and what Explorer puts for the folder: the selected
// folder or drive (%1), or the folder whose background was clicked (%V).
struct Place {
    const wchar_t* type;
    const wchar_t* folder;
};
const Place kPlaces[] = {
    {L"Directory", L"%1"},
    {L"Drive", L"%1"},
    {L"Directory\\Background", L"%V"},
};

// A key, closed on every path.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

long SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

long WriteVerbKey(const VerbKey& verb, const std::wstring& exePath) {
    Key key, command;
    long error = RegCreateKeyExW(HKEY_CURRENT_USER, verb.key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                 nullptr, key.out(), nullptr);
    if (error == ERROR_SUCCESS) error = SetText(key.get(), nullptr, kVerbText);
    if (error == ERROR_SUCCESS) error = SetText(key.get(), kIconValue, exePath + L",0");
    if (error == ERROR_SUCCESS)
        error = RegCreateKeyExW(key.get(), kCommandKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                command.out(), nullptr);
    if (error == ERROR_SUCCESS) error = SetText(command.get(), nullptr, verb.command);
    return error;
}

// Deletes a key that holds neither keys nor values; anything else stays.
void DeleteIfEmpty(const std::wstring& path) {
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0)
        return;
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

// "a\b\c" and its parents below kClasses, deepest first.
std::vector<std::wstring> KeysUpToClasses(const std::wstring& key) {
    std::vector<std::wstring> chain;
    const size_t classes = wcslen(kClasses);
    for (std::wstring at = key; at.size() > classes; at.resize(at.find_last_of(L'\\'))) {
        chain.push_back(at);
        if (at.find_last_of(L'\\') < classes) break;
    }
    return chain;
}

void TellExplorer() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace

std::vector<VerbKey> VerbKeys(const std::wstring& exePath) {
    std::vector<VerbKey> keys;
    for (const Place& place : kPlaces)
        keys.push_back({std::wstring(kClasses) + place.type + kVerbName,
                        L"\"" + exePath + L"\" \"" + place.folder + L"\""});
    return keys;
}

VerbState JudgeVerb(const std::vector<std::wstring>& found, const std::vector<VerbKey>& wanted) {
    bool any = false, all = found.size() == wanted.size();
    for (size_t i = 0; i < found.size(); ++i) {
        any = any || !found[i].empty();
        // Paths are compared as Windows compares names: without case.
        all = all && i < wanted.size() &&
              CompareStringOrdinal(found[i].c_str(), -1, wanted[i].command.c_str(), -1, TRUE) ==
                  CSTR_EQUAL;
    }
    if (!any) return VerbState::kAbsent;
    return all ? VerbState::kThisCopy : VerbState::kElsewhere;
}

std::wstring ProgramOfCommand(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') {
        const size_t close = command.find(L'"', 1);
        return command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    return command.substr(0, command.find(L' '));
}

std::vector<std::wstring> RegisteredCommands(const std::vector<VerbKey>& keys) {
    std::vector<std::wstring> commands;
    for (const VerbKey& verb : keys) {
        const std::wstring path = verb.key + L"\\" + kCommandKey;
        DWORD bytes = 0;
        std::wstring command;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr,
                         &bytes) == ERROR_SUCCESS &&
            bytes >= sizeof(wchar_t)) {
            command.resize(bytes / sizeof(wchar_t));
            if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                             &command[0], &bytes) != ERROR_SUCCESS)
                bytes = 0;
            command.resize(wcsnlen(command.c_str(), bytes / sizeof(wchar_t)));
        }
        commands.push_back(command);
    }
    return commands;
}

long AddVerb(const std::wstring& exePath) {
    long error = ERROR_SUCCESS;
    for (const VerbKey& verb : VerbKeys(exePath)) {
        error = WriteVerbKey(verb, exePath);
        if (error != ERROR_SUCCESS) break;
    }
    TellExplorer();
    return error;
}

long RemoveVerb() {
    long error = ERROR_SUCCESS;
    for (const VerbKey& verb : VerbKeys(L"")) {  // the keys' names are the same for any path
        const long deleted = RegDeleteTreeW(HKEY_CURRENT_USER, verb.key.c_str());
        if (deleted == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CURRENT_USER, verb.key.c_str());
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) error = deleted;
        const std::vector<std::wstring> chain = KeysUpToClasses(verb.key);
        for (size_t i = 1; i < chain.size(); ++i) DeleteIfEmpty(chain[i]);
    }
    TellExplorer();
    return error;
}

std::wstring ThisProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return L"";
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
