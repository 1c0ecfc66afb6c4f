# The window of window_program under a window manager (openbox): its place
# read back, hidden and shown, full screen and back, maximised, the title.
add_test(NAME e2e.window_manager
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_manager_test.sh
                 $<TARGET_FILE:window_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.window_manager PROPERTIES LABELS "e2e" TIMEOUT 120)
