#include "editor_command.h"

#include <windows.h>

namespace {

const wchar_t kQuote = L'"';
const wchar_t kMark = L'%';
const wchar_t kSpaces[] = L" \t";
const wchar_t kNotepad[] = L"\\notepad.exe";
const wchar_t kFileOnly[] = L"%F";

}  // namespace

EditorCommand SplitEditorCommand(const std::wstring& command) {
    const size_t from = command.find_first_not_of(kSpaces);
    if (from == std::wstring::npos) return {};
    size_t end;
    EditorCommand split;
    if (command[from] == kQuote) {
        end = command.find(kQuote, from + 1);
        split.program = command.substr(from + 1, end == std::wstring::npos ? end : end - from - 1);
        end = end == std::wstring::npos ? command.size() : end + 1;
    } else {
        end = command.find_first_of(kSpaces, from);
        if (end == std::wstring::npos) end = command.size();
        split.program = command.substr(from, end - from);
    }
    const size_t rest = command.find_first_not_of(kSpaces, end);
    if (rest != std::wstring::npos) split.arguments = command.substr(rest);
    return split;
}

std::wstring JoinEditorCommand(const EditorCommand& command) {
    std::wstring joined = QuoteArgument(command.program);
    if (!command.arguments.empty()) joined += L" " + command.arguments;
    return joined;
}

std::wstring QuoteArgument(const std::wstring& text) {
    if (!text.empty() && text.find_first_of(kSpaces) == std::wstring::npos) return text;
    // Backslashes before the closing quote would escape it: doubled.
    size_t trailing = 0;
    while (trailing < text.size() && text[text.size() - 1 - trailing] == L'\\') ++trailing;
    return kQuote + text + std::wstring(trailing, L'\\') + kQuote;
}

std::wstring EditorCommandLine(const EditorCommand& command, const std::wstring& file, int line) {
    std::wstring arguments;
    bool quoted = false;  // inside a pair of quotes of the template
    bool fileGiven = false;
    const std::wstring& t = command.arguments;
    for (size_t i = 0; i < t.size(); ++i) {
        const wchar_t c = t[i];
        if (c == kQuote) quoted = !quoted;
        if (c != kMark || i + 1 == t.size()) {
            arguments += c;
            continue;
        }
        const wchar_t next = t[++i];
        if (next == L'F') {
            arguments += quoted ? file : QuoteArgument(file);
            fileGiven = true;
        } else if (next == L'L') {
            arguments += std::to_wstring(line);
        } else if (next == kMark) {
            arguments += kMark;
        } else {
            arguments += c;
            --i;  // not a field: the next character is read as itself
        }
    }
    if (!fileGiven) arguments += (arguments.empty() ? L"" : L" ") + QuoteArgument(file);
    return QuoteArgument(command.program) + L" " + arguments;
}

EditorCommand NotepadCommand() {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring system = n > 0 && n < MAX_PATH ? std::wstring(folder, n) : L"";
    return {system.empty() ? L"notepad.exe" : system + kNotepad, kFileOnly};
}
