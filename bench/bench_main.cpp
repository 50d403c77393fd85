// The benchmark program: the plug-in runs against the reference host with its output kept
// quiet and a host window with a status bar, as in a real session.
#include "bench/help_files.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/window_model.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    PlatformSetEnvironmentVariable(u"NoLoadMsg", u"1");
    void* window = WindowModelCreate(nullptr, u"HintbarBenchHost", u"bench", true);
    WindowModelCreate(window, u"XTPStatusBar", u"Ready", true);
    HostSetMainWindow(window);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveHelpFiles();
    return 0;
}
