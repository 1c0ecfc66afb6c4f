# Scaled image copies and depth control on the GL layer: queued commands read
# back with glReadPixels.
add_executable(scaled_copy_readback ${CMAKE_CURRENT_LIST_DIR}/scaled_copy_readback_main.cpp)
target_link_libraries(scaled_copy_readback PRIVATE runtime GTest::gtest)
add_test(NAME e2e.scaled_copy_readback
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/renderer_readback_test.sh
                 $<TARGET_FILE:scaled_copy_readback>)
set_tests_properties(e2e.scaled_copy_readback PROPERTIES LABELS "e2e" TIMEOUT 120)

# The statement in a real program: the window's screenshot against the
# picture the reference computes.
add_executable(scaled_copy_program ${CMAKE_CURRENT_LIST_DIR}/scaled_copy_program_main.cpp)
target_link_libraries(scaled_copy_program PRIVATE runtime)
target_include_directories(scaled_copy_program PRIVATE ${CMAKE_SOURCE_DIR}/tests)
add_test(NAME e2e.scaled_copy
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_picture_test.sh
                 $<TARGET_FILE:scaled_copy_program> $<TARGET_FILE_DIR:screen_reader> "Scaled Copy")
set_tests_properties(e2e.scaled_copy PROPERTIES LABELS "e2e" TIMEOUT 120)
