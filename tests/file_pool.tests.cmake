# Whole runs on one thread and on a pool of workers, compared.
tessumi_unit_test(file_pool_test file_pool_test.cpp)
set_tests_properties(file_pool_test PROPERTIES TIMEOUT 600)
