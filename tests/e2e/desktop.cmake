# ctest from a terminal on a user's desktop: the tests that showed boxes on
# its display or read its lock keys run through ctest, traced, and leave the
# desktop, the user's home and everything outside their folders as it was;
# every test keeps the desktop out of its environment and has a time limit.
# Skipped where strace may not trace.
add_test(NAME e2e.desktop_untouched
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/desktop_untouched_test.sh ${CMAKE_BINARY_DIR}
                 $<TARGET_FILE_DIR:x_probe>)
set_tests_properties(e2e.desktop_untouched PROPERTIES LABELS "e2e" TIMEOUT 180
                     SKIP_RETURN_CODE 77)
