# TCP/IP handles between real processes on 127.0.0.1: two runtime programs,
# socat, and Python servers; the close button during a waiting PUT; ports
# freed by CLOSE; the public-address lookup against a Python web server.
add_executable(tcp_peer ${CMAKE_CURRENT_SOURCE_DIR}/tcp_peer_main.cpp)
target_link_libraries(tcp_peer PRIVATE runtime)
add_test(NAME e2e.network
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/network_test.sh $<TARGET_FILE:tcp_peer>
                 $<TARGET_FILE_DIR:x_probe>)
set_tests_properties(e2e.network PROPERTIES LABELS "e2e" TIMEOUT 180)

# Neither a passing run of the network test nor one that fails leaves a
# process behind: not its helpers, programs, or the children of those.
add_test(NAME e2e.network_processes
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/processes_left_test.sh "socat close_button"
                 ${CMAKE_CURRENT_SOURCE_DIR}/network_test.sh $<TARGET_FILE:tcp_peer>
                 $<TARGET_FILE_DIR:x_probe>)
set_tests_properties(e2e.network_processes PROPERTIES LABELS "e2e" TIMEOUT 300)
