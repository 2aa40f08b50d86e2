# Progress and stopping: the library's callback, the window program and
# lookfor.exe during a long search.
tessumi_dll_test(run_progress_test run_progress_test.cpp)
