# Directory statements and SHELL in a window: FILES read off the screen, and
# a waited SHELL leaving full screen and coming back to an unchanged screen;
# NAME where the way round a missing no-replace rename goes wrong, and KILL
# held before its delete, through a preloaded library.
add_executable(directories_program ${CMAKE_CURRENT_SOURCE_DIR}/directories_program_main.cpp)
target_link_libraries(directories_program PRIVATE runtime)
add_library(rename_fallback_shim MODULE ${CMAKE_CURRENT_SOURCE_DIR}/rename_fallback_shim.c)
target_compile_options(rename_fallback_shim PRIVATE -fno-sanitize=all)
target_link_options(rename_fallback_shim PRIVATE -fno-sanitize=all)
target_link_libraries(rename_fallback_shim PRIVATE ${CMAKE_DL_LIBS})
add_test(NAME e2e.directories
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/directories_test.sh
                 $<TARGET_FILE:directories_program> $<TARGET_FILE_DIR:screen_reader>
                 $<TARGET_FILE:statements_program> $<TARGET_FILE:rename_fallback_shim>)
set_tests_properties(e2e.directories PROPERTIES LABELS "e2e" TIMEOUT 120)

# NAME on an exFAT stick mounted through FUSE, which has neither a rename
# that refuses to replace nor hard links (root only: skipped elsewhere).
add_test(NAME e2e.directories_exfat
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/directories_exfat_test.sh
                 $<TARGET_FILE:statements_program>)
set_tests_properties(e2e.directories_exfat PROPERTIES LABELS "e2e" TIMEOUT 60 SKIP_RETURN_CODE 77)

# Names meet where an exFAT up-case table says, over every pair of characters
# it or Unicode's case mappings join: on the local disk, and on an exFAT stick
# and a FAT image through FUSE (those root only: skipped elsewhere).
add_test(NAME e2e.case_fold_stick
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/case_fold_stick_test.sh
                 $<TARGET_FILE:statements_program>)
set_tests_properties(e2e.case_fold_stick PROPERTIES LABELS "e2e" TIMEOUT 300 SKIP_RETURN_CODE 77)
