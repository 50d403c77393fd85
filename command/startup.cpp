// Start-up load and shutdown: finding Hintbar.txt in its three places, and what is said when
// the host unloads the plug-in.
#include "command/startup.h"

#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "base/product.h"
#include "base/text16.h"
#include "command/error_messages.h"
#include "helptable/help_file_name.h"
#include "helptable/help_sources.h"
#include "base/host.h"
#include "platform/files.h"
#include "platform/invariants.h"
#include "platform/platform.h"

namespace {

// Paths are long; the start-up search runs once, on the host's thread, so they are kept out
// of the caller's stack.
char16_t g_path[kPathUnits];
char16_t g_variable[kLineUnits];

// The places of this search: the path as tried (its full path when the host gives one), and
// whether a load was tried there. The host and the plug-in often share a directory, and the
// variable may name either: one file is loaded, and its faults reported, only once. A search
// that loads nothing names every place it looked.
constexpr int kPlaceCount = 3;
struct Place {
    char16_t path[kPathUnits];
    bool loadTried;
};
Place g_places[kPlaceCount];
int g_placeCount = 0;

bool SamePath(const char16_t* a, const char16_t* b) {
    return kPathsIgnoreCase ? Str16CompareNoCase(a, b) == 0 : Str16Equal(a, b);
}

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

// Any value of NoLoadMsg, even one too long for the buffer, silences the informational lines.
bool Silenced() {
    char16_t value[kMessageUnits];
    value[0] = 0;
    uint32_t length = PlatformGetEnvironmentVariable(u"NoLoadMsg", value);
    // An empty value reads as length 0 and leaves the buffer empty: the second test is a guard.
    return length != 0 || value[0] != 0; // GCOVR_EXCL_BR_LINE
}

// Notes a place the search looked in, as it is named.
Place& NotePlace(const char16_t* path) {
    // Each of the three places is noted once: the list is never full.
    int at = HB_ALWAYS(g_placeCount < kPlaceCount) ? g_placeCount++ : kPlaceCount - 1;
    Place& place = g_places[at];
    place.loadTried = false;
    Str16Copy(place.path, path);
    return place;
}

// Loads the path into the HelpTable when it names a plain file not loaded before in this
// search; true when a tree came of it. A FIFO is passed over as a device is: reading it
// would hold the host's start-up until some program wrote into it. (The hbar command still
// reads a FIFO that it is given.)
bool TryPlace(const char16_t* path) {
    Place& place = NotePlace(path);
    if (!IsPlainFile(path) || PlatformIsPipe(path)) {
        return false;
    }
    HostTrueName(path, place.path);
    bool named = place.path[0] != 0;
    for (const Place* earlier = g_places; named && earlier != &place; ++earlier) {
        if (earlier->loadTried && SamePath(place.path, earlier->path)) {
            return false;
        }
    }
    if (!named) {
        Str16Copy(place.path, path);
    }
    place.loadTried = true;
    HelpLoadResult loaded = LoadHelpTable(path, place.path);
    ReportLoadFailure(loaded);
    return loaded.outcome == HelpLoad::Loaded;
}

void LoadDefaultHelpFile() {
    g_placeCount = 0;

    // The host's own directory.
    Str16Copy(g_path, u"%@path[%_cmdspec]");
    ExpandHostVariables(g_path);
    AppendDataFileName(g_path);
    if (TryPlace(g_path)) {
        return;
    }

    // The plug-in's own directory.
    g_path[0] = 0;
    PlatformGetModuleFileName(RecordedModuleHandle(), g_path);
    size_t cut = 0; // just past the last separator; 0 when there is none
    for (size_t i = 0; g_path[i]; ++i) {
        if (IsSeparator(g_path[i])) {
            cut = i + 1;
        }
    }
    if (cut > 0) {
        g_path[cut] = 0;
        Str16Append(g_path, kDataFileName);
        if (TryPlace(g_path)) {
            return;
        }
    }

    // Where the Hintbar variable points: a file, or a directory holding Hintbar.txt.
    g_path[0] = 0;
    g_variable[0] = 0;
    PlatformGetEnvironmentVariable(u"Hintbar", g_variable);
    if (!g_variable[0]) {
        return;
    }
    if (ResolveHelpFileName(g_variable, g_path) == HelpFileName::Bad) {
        NotePlace(g_variable); // the host found the name not valid: nothing to try
        return;
    }
    TryPlace(g_path);
}

} // namespace

StartupResult LoadHelpAtStartup() {
    char16_t shell[kMessageUnits];
    Str16Copy(shell, u"%[_transient]%[_pipe]");
    ExpandHostVariables(shell);
    if (!Str16Equal(shell, u"00")) {
        return StartupResult::Declined;
    }
    bool silenced = Silenced();
    LoadDefaultHelpFile();
    if (!silenced) {
        HostPrint(u"%s v%u.%u.%u loaded.\r\n", kPluginName, kVersionMajor, kVersionMinor,
                  kVersionBuild);
    }
    if (HelpTableRoot()) {
        if (!silenced) {
            HostPrint(u"\u2022  %s loaded into memory.\r\n", FormatCount(HelpTableCount()));
        }
    } else {
        WriteErrorPrefix();
        HostPrintTo(ErrorHandle(), u"%s not found!\r\n", kDataFileName);
        for (int i = 0; i < g_placeCount; ++i) {
            HostPrintTo(ErrorHandle(), u"  Looked for \"%s\".\r\n", g_places[i].path);
        }
        if (!g_variable[0]) {
            HostPrintTo(ErrorHandle(), u"  The Hintbar variable, which may name the file or its "
                                       u"folder, is not set.\r\n");
        }
        HostPrintTo(ErrorHandle(),
                    u"Function help is not (yet) available.  Use HBAR /L to load it.\r\n");
    }
    return StartupResult::Started;
}

void ReportShutdown(uint32_t released) {
    if (released != 0 && !Silenced()) {
        HostPrint(u"\u2022  %s deleted.\r\n", FormatCount(released));
    }
}
