# Writes build_stamp.h with the time of this build and the machine it runs on.
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S")
cmake_host_system_information(RESULT host QUERY HOSTNAME)
file(WRITE "${OUT}.tmp" "#define HB_BUILD_TIME \"${now}\"\n#define HB_BUILD_HOST \"${host}\"\n")
file(RENAME "${OUT}.tmp" "${OUT}")
