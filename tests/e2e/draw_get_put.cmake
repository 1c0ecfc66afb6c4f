# DRAW, GET and PUT shown in the window: a DRAW picture and a sprite moved
# with PUT XOR on SCREEN 12 and SCREEN 13; the screenshot equals the page the
# program itself wrote.
add_test(NAME e2e.draw_get_put
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/draw_get_put_test.sh
                 $<TARGET_FILE:draw_script_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.draw_get_put PROPERTIES LABELS "e2e" TIMEOUT 180)
