# Serial ports: a compiled program answers a scripted peer over a pair of
# pseudo-terminals that socat joins.
add_executable(serial_peer ${CMAKE_CURRENT_SOURCE_DIR}/serial_peer_main.cpp)
target_link_libraries(serial_peer PRIVATE runtime)
add_test(NAME e2e.serial
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/serial_test.sh $<TARGET_FILE:serial_peer>)
set_tests_properties(e2e.serial PROPERTIES LABELS "e2e" TIMEOUT 120)
