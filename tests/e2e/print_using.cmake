# PRINT USING through its test program: 10,000 random values and formats
# against an exact decimal reference.
add_test(NAME e2e.print_using_property
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/print_using_property.py
                 $<TARGET_FILE:print_using_program> 10000)
set_tests_properties(e2e.print_using_property PROPERTIES LABELS "e2e" TIMEOUT 120)

# DATE$ and TIME$ of a real program under faketime, against date(1).
add_test(NAME e2e.date_time
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/date_time_test.sh $<TARGET_FILE:clock_text>)
set_tests_properties(e2e.date_time PROPERTIES LABELS "e2e" TIMEOUT 60)
