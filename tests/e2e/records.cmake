# Record files compared byte for byte with files an independent writer (Python's
# struct module) made: fixed-width records copied field by field, and
# variable-length strings with their length prefix. Needs no display.
add_test(NAME e2e.records
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/records_test.sh
                 $<TARGET_FILE:record_copy>)
set_tests_properties(e2e.records PROPERTIES LABELS "e2e" TIMEOUT 60)
