# Textured triangles on the GL layer: queued commands read back with
# glReadPixels.
add_executable(triangle_readback ${CMAKE_CURRENT_LIST_DIR}/triangle_readback_main.cpp)
target_link_libraries(triangle_readback PRIVATE runtime GTest::gtest)
add_test(NAME e2e.triangle_readback
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/renderer_readback_test.sh
                 $<TARGET_FILE:triangle_readback>)
set_tests_properties(e2e.triangle_readback PROPERTIES LABELS "e2e" TIMEOUT 120)

# The statement in a real program: the window's screenshot against the
# picture the reference computes.
add_executable(triangle_program ${CMAKE_CURRENT_LIST_DIR}/triangle_program_main.cpp)
target_link_libraries(triangle_program PRIVATE runtime)
target_include_directories(triangle_program PRIVATE ${CMAKE_SOURCE_DIR}/tests)
add_test(NAME e2e.triangles
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_picture_test.sh
                 $<TARGET_FILE:triangle_program> $<TARGET_FILE_DIR:screen_reader> "Textured Triangles")
set_tests_properties(e2e.triangles PROPERTIES LABELS "e2e" TIMEOUT 120)
