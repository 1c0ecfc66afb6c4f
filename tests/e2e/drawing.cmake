# Drawing statements shown in the window: a scene of lines, boxes, circles,
# arcs and PAINT on SCREEN 12, SCREEN 13 and a 32-bit page; the screenshot
# equals the page the program itself wrote.
add_test(NAME e2e.drawing
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/drawing_test.sh
                 $<TARGET_FILE:draw_script_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.drawing PROPERTIES LABELS "e2e" TIMEOUT 180)
