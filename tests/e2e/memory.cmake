# BSAVE and BLOAD of the text screen, and CALL ABSOLUTE writing into it.
add_executable(memory_program memory_program_main.cpp)
target_link_libraries(memory_program PRIVATE runtime)
add_test(NAME e2e.memory
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/memory_test.sh
                 $<TARGET_FILE:memory_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.memory PROPERTIES LABELS "e2e" TIMEOUT 120)
