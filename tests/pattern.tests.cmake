# The pattern test: answers, failure texts, limits, and a differential run
# against the standard library's own search.
tessumi_unit_test(pattern_test pattern_test.cpp)
