// Finding a help file from a name: a directory stands for the Hintbar.txt in it.
#include "helptable/help_file_name.h"

#include "base/limits.h"
#include "base/text16.h"
#include "base/host.h"
#include "platform/files.h"
#include "platform/platform.h"

const char16_t kDataFileName[] = u"Hintbar.txt";

void AppendDataFileName(std::span<char16_t> path) {
    if (path.empty()) {
        return;
    }
    size_t length = 0;
    while (length < path.size() && path[length]) {
        ++length;
    }
    if (length > 0 && length < path.size()) {
        char16_t last = path[length - 1];
        if (last != u'/' && last != u'\\' && last != u':') {
            const char16_t separator[2] = {kPathSeparator, 0};
            Str16Append(path, separator);
        }
    }
    Str16Append(path, kDataFileName);
}

bool IsPlainFile(const char16_t* path) {
    if (!path || !path[0]) {
        return false;
    }
    uint32_t attributes = PlatformGetFileAttributes(path);
    if (attributes == kInvalidFileAttributes) {
        return false;
    }
    return (attributes & (kFileAttributeDirectory | kFileAttributeDevice)) == 0;
}

HelpFileName ResolveHelpFileName(const char16_t* name, std::span<char16_t> path) {
    if (path.size() < static_cast<size_t>(kPathUnits)) {
        return HelpFileName::Bad; // the host writes a full name of up to kPathUnits units
    }
    HostTrueName(name, path.first<kPathUnits>());
    if (!path[0]) {
        return HelpFileName::Bad;
    }
    if (HostIsDirectory(path.data())) {
        AppendDataFileName(path);
    }
    return IsPlainFile(path.data()) ? HelpFileName::Ok : HelpFileName::NotFound;
}
