// The benchmark program: the plug-in runs against the reference host with its output kept
// quiet and a host window with a status bar, as in a real session.
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/window_model.h"

#include <benchmark/benchmark.h>

#include <filesystem>

int main(int argc, char** argv) {
    PlatformSetEnvironmentVariable(u"NoLoadMsg", u"1");
    void* window = WindowModelCreate(nullptr, u"HintbarBenchHost", u"bench", true);
    WindowModelCreate(window, u"XTPStatusBar", u"Ready", true);
    HostSetMainWindow(window);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                    ("hbbench-" + std::to_string(PlatformGetCurrentProcessId())),
                                ec);
    return 0;
}
