# The line search's skipping of lines that can't match, against testing
# every line with the standard library's search.
tessumi_unit_test(line_skip_test line_skip_test.cpp)
