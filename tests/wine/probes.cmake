# Small Windows programs of the Wine checks (test code, not shipped):
#   launch       starts a program with an exact command line read from a file (also used by
#                the end-to-end scenarios)
#   params_probe prints what the command-line parser recorded
#   exec_probe   runs ExecuteAndWait on the real shell; sleeper is the child it starts
# Included from tests/wine/CMakeLists.txt in the Windows build, after sanivo_wine_scenario.
add_executable(launch ${CMAKE_CURRENT_LIST_DIR}/launch.cpp)
add_executable(sleeper ${CMAKE_CURRENT_LIST_DIR}/sleeper.cpp)
add_executable(params_probe ${CMAKE_CURRENT_LIST_DIR}/params_probe.cpp)
target_link_libraries(params_probe PRIVATE sanivo_cmdline)
add_executable(exec_probe ${CMAKE_CURRENT_LIST_DIR}/exec_probe.cpp)
target_link_libraries(exec_probe PRIVATE sanivo_sysenv)

sanivo_wine_scenario(wine_params SCRIPT ${CMAKE_CURRENT_LIST_DIR}/test_params.py
                     PROGRAMS launch params_probe LABELS cmdline)
sanivo_wine_scenario(wine_execute SCRIPT ${CMAKE_CURRENT_LIST_DIR}/test_execute.py
                     PROGRAMS exec_probe sleeper LABELS sysenv)

# dll_search_probe loads a library by bare name with and without the restricted DLL search;
# the canary DLL of the end-to-end scenarios is what it finds when it finds a planted one.
add_executable(dll_search_probe ${CMAKE_CURRENT_LIST_DIR}/dll_search_probe.cpp)
target_link_libraries(dll_search_probe PRIVATE sanivo_platform)
sanivo_wine_scenario(wine_dll_search SCRIPT ${CMAKE_CURRENT_LIST_DIR}/test_dll_search.py
                     PROGRAMS dll_search_probe canary LABELS platform)
