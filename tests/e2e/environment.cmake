# ENVIRON in a windowed program's first statements, while the main thread
# opens the window: 30 starts, each ending cleanly.
add_executable(environ_start_program ${CMAKE_CURRENT_SOURCE_DIR}/environ_start_program_main.cpp)
target_link_libraries(environ_start_program PRIVATE runtime)
add_test(NAME e2e.environ_start
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/environ_start_test.sh
                 $<TARGET_FILE:environ_start_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.environ_start PROPERTIES LABELS "e2e" TIMEOUT 300)
