#include "fuzz/fuzz_windows.h"

#include "host/hostshell/host_control.h"
#include "platform/window_model.h"

void FuzzMakeHostWindow() {
    void* main = WindowModelCreate(nullptr, u"HintbarFuzzHost", u"fuzz", true);
    WindowModelCreate(main, u"XTPStatusBar", u"Ready", true);
    HostSetMainWindow(main);
}
