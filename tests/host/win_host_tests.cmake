# The Windows host program, HintbarHost.exe, run under Wine (and Xvfb) on the scripts in
# win_host/, each checked against its .expect file. The help file is found through the
# Hintbar variable, relative to the scripts' folder.
set(win_host_dir ${CMAKE_CURRENT_SOURCE_DIR}/win_host)
foreach(name live_help startup hbar)
    hb_add_test(host_${name} SECONDS 90
        ENVIRONMENT "Hintbar=Hintbar.txt;NoLoadMsg="
        COMMAND ${win_host_dir}/run_host.sh ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh
                $<TARGET_FILE:HintbarHost> ${win_host_dir}/${name}.hbs ${win_host_dir}/${name}.expect
        WORKING_DIRECTORY ${win_host_dir})
endforeach()

# The plug-in beside the host's executable, with a Hintbar.txt there that does not load.
hb_add_test(host_startup_once SECONDS 90
    COMMAND ${win_host_dir}/startup_once.sh ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh
            $<TARGET_FILE:HintbarHost> $<TARGET_FILE:Hintbar>)

# The plug-in in a folder apart from the host's executable, as users install it.
hb_add_test(host_plugin_apart SECONDS 90
    COMMAND ${win_host_dir}/plugin_apart.sh ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh
            $<TARGET_FILE:HintbarHost> $<TARGET_FILE:Hintbar> ${PROJECT_SOURCE_DIR}/data/Hintbar.txt)
