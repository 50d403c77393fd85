// The status-bar text of a help entry, and the copy of the status bar's own text that is put
// back once no help applies.
#include "livehelp/status_bar.h"

char16_t* SavedStatusText = nullptr;
int32_t StatusSavedThisLine = 0;

int ReleaseSavedStatusText() {
    PlatformFree(SavedStatusText);
    SavedStatusText = nullptr;
    return 0;
}
