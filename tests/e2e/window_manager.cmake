# The window of window_program under a window manager (openbox): its place
# read back, hidden and shown, full screen and back, maximised, the title.
# Under icewm: full screen asked before the window manager placed the window.
# Under fluxbox: another client resizes the full-screen window. Under the
# tiling i3 and herbstluftwm: the window floats; tiled by a rule of i3's, it
# keeps the tile's size and shows the whole frame. Under i3 and openbox the
# window manager ends full screen; under openbox and fluxbox, at once, as soon
# as it has put its full-screen state on the window. The game under herbstluftwm, bspwm and
# i3 on two monitors: back from full screen, its frame lies on one monitor.
# With the record of an ended i3 left on the root (no window manager runs):
# the game starts full screen and Alt+Enter makes it windowed. On Xorg's
# dummy driver, with that record and with none, the window follows the
# screen changing size (skipped where the user may not start Xorg). Under
# openbox, stopped while Alt+Enter is pressed six times and answering late
# (stopped again right after its answer to leave): the window ends as asked
# last; so it does under openbox and icewm when another client then takes
# full screen away, and under metacity stopped for 5 s. Alt held while
# Return is tapped five times steps back round to windowed under metacity
# (which moves the window into a new frame at each change) and openbox. The
# game's window: shown when a window manager starts while it is being made;
# minimised as soon as a late window manager maps it, it stays minimised;
# destroyed by another client, ending the game.
add_test(NAME e2e.window_manager
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_manager_test.sh
                 $<TARGET_FILE:window_program> $<TARGET_FILE_DIR:screen_reader>)
set_tests_properties(e2e.window_manager PROPERTIES LABELS "e2e" TIMEOUT 120)
# The game's rows run the game in place of window_program.
foreach(run IN ITEMS "icewm full-screen-first" "fluxbox outside-resize" "i3 floats"
                     "herbstluftwm floats" "i3 tiled" "i3 host-leaves" "openbox host-leaves"
                     "openbox host-leaves-at-once" "fluxbox host-leaves-at-once"
                     "openbox late-answers" "openbox late-answers-stalled"
                     "openbox late-answers-removed" "icewm late-answers-removed"
                     "metacity late-answers-long"
                     "metacity alt-held" "openbox alt-held"
                     "herbstluftwm game" "bspwm game" "i3 game-two-monitors"
                     "i3 dead-record" "i3 resized" "none resized"
                     "openbox started-during" "openbox minimised-at-once" "openbox destroyed"
                     "none destroyed")
    separate_arguments(args UNIX_COMMAND "${run}")
    string(REPLACE " " "-" run_name "${run}")
    set(program $<TARGET_FILE:window_program>)
    if(run MATCHES " game|dead-record|started-during|minimised|destroyed")
        set(program $<TARGET_FILE:tarvo>)
    endif()
    add_test(NAME e2e.window_manager.${run_name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_manager_test.sh
                     ${program} $<TARGET_FILE_DIR:screen_reader> ${args})
    set_tests_properties(e2e.window_manager.${run_name} PROPERTIES LABELS "e2e" TIMEOUT 60
                         SKIP_RETURN_CODE 77)
endforeach()
# Several rounds of a manager stopped and resumed.
set_tests_properties(e2e.window_manager.openbox-late-answers
                     e2e.window_manager.openbox-late-answers-stalled
                     e2e.window_manager.openbox-late-answers-removed
                     e2e.window_manager.icewm-late-answers-removed
                     e2e.window_manager.metacity-late-answers-long PROPERTIES TIMEOUT 150)
