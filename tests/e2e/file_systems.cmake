# A full disk (no inode, no block free) in OPEN, MKDIR and NAME, on memory
# file systems mounted in a namespace of the test's own (root only: skipped
# elsewhere).
add_test(NAME e2e.disk_full
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/disk_full_test.sh $<TARGET_FILE:statements_program>)
set_tests_properties(e2e.disk_full PROPERTIES LABELS "e2e" TIMEOUT 60 SKIP_RETURN_CODE 77)

# NAME on FUSE mounts that neither rename without replacing, nor link, nor
# rename a folder over an empty one: rclone with its file cache off and for
# writes, and fusefat (root only: skipped elsewhere).
foreach(kind rclone-off rclone-writes fusefat)
  string(REPLACE "-" "_" test_name e2e.directories_${kind})
  add_test(NAME ${test_name}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/directories_fuse_test.sh
                   $<TARGET_FILE:statements_program> ${kind})
  set_tests_properties(${test_name} PROPERTIES LABELS "e2e" TIMEOUT 60 SKIP_RETURN_CODE 77)
endforeach()

# NAME and KILL on a read-only FUSE mount that answers ENOSYS to every change:
# the refusing file system of close_refusal.cmake (which sets REFUSING_FS).
add_test(NAME e2e.directories_enosys
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/directories_fuse_test.sh
                 $<TARGET_FILE:statements_program> enosys ${REFUSING_FS})
set_tests_properties(e2e.directories_enosys PROPERTIES LABELS "e2e" TIMEOUT 60 SKIP_RETURN_CODE 77)

# NAME where that file system answers a delete or a rename wrongly, or the
# kernel keeps stale entries for its names.
add_test(NAME e2e.directories_faults
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/directories_fuse_test.sh
                 $<TARGET_FILE:statements_program> faults ${REFUSING_FS})
set_tests_properties(e2e.directories_faults PROPERTIES LABELS "e2e" TIMEOUT 60 SKIP_RETURN_CODE 77)
