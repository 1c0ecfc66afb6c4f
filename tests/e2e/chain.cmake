# CHAIN between two programs in a window: the screen, the directory and the
# arguments handed over, and the hand-over file gone afterwards.
add_executable(chain_program ${CMAKE_CURRENT_SOURCE_DIR}/chain_program_main.cpp)
target_link_libraries(chain_program PRIVATE runtime)
add_test(NAME e2e.chain
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/chain_test.sh $<TARGET_FILE:chain_program>
                 $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.chain PROPERTIES LABELS "e2e" TIMEOUT 180)
