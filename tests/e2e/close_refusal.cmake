# CLOSE, BSAVE and the end of a program on a file system that takes every
# write and refuses it at the close, as an NFS client over its quota does: a
# FUSE file system of the tests' own (root only: skipped elsewhere, and where
# libfuse3 is missing).
pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
set(REFUSING_FS "none")
if(FUSE3_FOUND)
  add_executable(refusing_fs ${CMAKE_CURRENT_SOURCE_DIR}/refusing_fs.c)
  target_link_libraries(refusing_fs PRIVATE PkgConfig::FUSE3)
  set(REFUSING_FS $<TARGET_FILE:refusing_fs>)
endif()
add_test(NAME e2e.close_refusal
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/close_refusal_test.sh
                 $<TARGET_FILE:statements_program> $<TARGET_FILE:save_program>
                 ${REFUSING_FS})
set_tests_properties(e2e.close_refusal PROPERTIES LABELS "e2e" TIMEOUT 120 SKIP_RETURN_CODE 77)
