// The identity record, the command table and the usage and help exports.
#include "base/format16.h"
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "command/hbar.h"
#include "platform/platform.h"
#include "plugin/exports.h"

namespace {

struct CommandRow {
    char16_t name[11];
    const char16_t* help;
};

const CommandRow kCommands[] = {{u"hbar", kCommandHelp}};

PluginInfo g_info;

const CommandRow* FindCommand(const char16_t* name) {
    for (const CommandRow& row : kCommands) {
        if (Str16CompareNoCase(name, row.name) == 0) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

extern "C" PluginInfo* HB_STDCALL GetPluginInfo(void) {
    g_info.name = kPluginName;
    g_info.author = u"The Hintbar developers";
    g_info.email = u"hintbar@example.org";
    g_info.web = u"https://example.org/hintbar";
    g_info.description = u"Provides status-bar help for functions.";
    g_info.implements = u"hbar,*key";
    g_info.major = kVersionMajor;
    g_info.minor = kVersionMinor;
    g_info.build = kVersionBuild;
    return &g_info;
}

extern "C" int HB_STDCALL Usage(const char16_t* name, char16_t* buffer) {
    // Variable functions and internal variables are never the plug-in's commands.
    if (!name || !buffer || name[0] == u'@' || name[0] == u'_') {
        return 0;
    }
    const CommandRow* row = FindCommand(name);
    if (!row) {
        return 0;
    }
    // The usage proper follows the one-line description and the line feeds after it.
    // Every command's help has its line feed; the first test only guards the scan.
    const char16_t* usage = row->help;
    while (*usage && *usage != u'\n') { // GCOVR_EXCL_BR_LINE
        ++usage;
    }
    while (*usage == u'\n') {
        ++usage;
    }
    Str16Copy({buffer, kMessageUnits}, usage);
    return 1;
}

extern "C" int HB_STDCALL Help(const char16_t* name) {
    char16_t caption[kMessageUnits];
    Format16(caption, u"%s Plugin Help", kPluginName);
    if (!name) {
        return 0;
    }
    const CommandRow* row = FindCommand(name);
    if (!row) {
        return 0;
    }
    PlatformMessageBox(PlatformForegroundWindow(), row->help, caption);
    return 1;
}
