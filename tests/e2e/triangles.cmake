# Textured triangles on the GL layer: queued commands read back with
# glReadPixels.
add_executable(triangle_readback ${CMAKE_CURRENT_LIST_DIR}/triangle_readback_main.cpp)
target_link_libraries(triangle_readback PRIVATE runtime GTest::gtest)
add_test(NAME e2e.triangle_readback
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/renderer_readback_test.sh
                 $<TARGET_FILE:triangle_readback>)
set_tests_properties(e2e.triangle_readback PROPERTIES LABELS "e2e" TIMEOUT 120)
