# Keys typed into the window of window_program, read with INKEY$, LINE INPUT
# and INPUT$; keys released while another window has the focus; the close
# button while INPUT$ waits.
add_test(NAME e2e.keyboard_input
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/keyboard_input_test.sh
                 $<TARGET_FILE:window_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.keyboard_input PROPERTIES LABELS "e2e" TIMEOUT 60)

# Text typed on German, French, British, Spanish and US international
# layouts: code-page characters, dead keys, a sentence into INPUT.
add_test(NAME e2e.text_input
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/text_input_test.sh
                 $<TARGET_FILE:window_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.text_input PROPERTIES LABELS "e2e" TIMEOUT 90)
