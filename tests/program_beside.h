// Starting a helper program that the build puts beside the test program,
// with its standard handles on handles the test holds.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// The path of name in this test program's folder.
std::wstring BesideProgram(const std::wstring& name);

// Starts `name` from this test program's folder with `arguments` after its
// quoted path, its standard input on `in` and its output and error on
// `out` (inheritable handles). False, and *process all null, if it did not
// start; otherwise the caller closes process->hProcess and process->hThread.
bool StartBeside(const std::wstring& name, const std::wstring& arguments, HANDLE in, HANDLE out,
                 PROCESS_INFORMATION* process);

}  // namespace testing_support
