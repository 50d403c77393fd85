# The Linux reference shell: its status-bar row, and the shell driven end to end with the
# real plug-in (interactive in tmux, batch files and transient commands as child processes).
add_executable(shell_tests status_render_test.cpp)
target_link_libraries(shell_tests PRIVATE hbshell_core GTest::gtest GTest::gtest_main)
hb_add_test(shell_status SECONDS 10 COMMAND shell_tests)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
hb_add_test(shell_e2e SECONDS 60
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/shell_e2e.py
            --shell $<TARGET_FILE:hintbar-shell> --data ${PROJECT_SOURCE_DIR}/data/Hintbar.txt)
