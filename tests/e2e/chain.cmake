# CHAIN between two programs in a window: the screen, the directory and the
# arguments handed over, and the hand-over file gone afterwards.
add_executable(chain_sender ${CMAKE_CURRENT_SOURCE_DIR}/chain_sender_main.cpp)
target_link_libraries(chain_sender PRIVATE runtime)
add_executable(chain_receiver ${CMAKE_CURRENT_SOURCE_DIR}/chain_receiver_main.cpp)
target_link_libraries(chain_receiver PRIVATE runtime)
add_test(NAME e2e.chain
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/chain_test.sh $<TARGET_FILE:chain_sender>
                 $<TARGET_FILE:chain_receiver> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.chain PROPERTIES LABELS "e2e" TIMEOUT 180)
