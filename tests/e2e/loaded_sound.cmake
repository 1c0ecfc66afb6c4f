# Loaded sounds through OpenAL's wave-file writer: PCM made by sox, played at
# a volume with a play-time limit, measured by sox. Needs no display.
add_executable(loaded_sound_program ${CMAKE_CURRENT_LIST_DIR}/loaded_sound_program_main.cpp)
target_link_libraries(loaded_sound_program PRIVATE runtime)
add_test(NAME e2e.loaded_sound
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/loaded_sound_test.sh
                 $<TARGET_FILE:loaded_sound_program>)
set_tests_properties(e2e.loaded_sound PROPERTIES LABELS "e2e" TIMEOUT 60)

# The same program's sound through a PulseAudio daemon of the test's own:
# moved between two outputs by the mixer, and moved on when its output goes
# away. Skipped when the daemon cannot start.
add_test(NAME e2e.sound_output_move
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/sound_output_move_test.sh
                 $<TARGET_FILE:loaded_sound_program>)
set_tests_properties(e2e.sound_output_move PROPERTIES LABELS "e2e" TIMEOUT 60
                     SKIP_RETURN_CODE 77)
