#include "program_beside.h"

namespace testing_support {

std::wstring BesideProgram(const std::wstring& name) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self, n);
    return exe.substr(0, exe.find_last_of(L'\\') + 1) + name;
}

bool StartBeside(const std::wstring& name, const std::wstring& arguments, HANDLE in, HANDLE out,
                 PROCESS_INFORMATION* process) {
    const std::wstring exe = BesideProgram(name);
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = out;
    if (CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, process))
        return true;
    *process = PROCESS_INFORMATION{};
    return false;
}

}  // namespace testing_support
