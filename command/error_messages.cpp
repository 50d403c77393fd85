// The error messages: each failure below is worded here, after the prefix, on standard error.
#include "command/error_messages.h"

#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "base/host.h"
#include "platform/platform.h"

namespace {

void Report(const char16_t* format, const char16_t* insert = nullptr) {
    WriteErrorPrefix();
    HostPrintTo(ErrorHandle(), format, insert);
}

// "<format with the name>" then the system's text for the error on a line of its own.
void ReportWithError(const char16_t* format, const char16_t* name, int32_t error) {
    char16_t text[kMessageUnits];
    DescribeError(text, error);
    Report(format, name);
    HostPrintTo(ErrorHandle(), u"   %s\r\n", text);
}

// "<format with the system's text for the error>".
void ReportErrorText(const char16_t* format, int32_t error) {
    char16_t text[kMessageUnits];
    DescribeError(text, error);
    Report(format, text);
}

} // namespace

void* ErrorHandle() {
    return PlatformStdHandle(kStdError);
}

void WriteErrorPrefix() {
    void* handle = ErrorHandle();
    HostPrintTo(handle, u"%s plugin: ", kPluginName);
    char16_t buffer[kLineUnits];
    Str16Copy(buffer, u"%_batch");
    ExpandHostVariables(buffer);
    if (buffer[0] == u'0') {
        return;
    }
    Str16Copy(buffer, u"%_batchname [%_batchline]  ");
    ExpandHostVariables(buffer);
    HostPrintTo(handle, u"%s", buffer); // as text: a batch name may hold a percent sign
}

void ReportSourceFailure(const SourceOpenResult& opened) {
    if (opened.outcome != SourceOpen::Failed) {
        return;
    }
    const char16_t* name = opened.name ? opened.name : u"";
    switch (opened.fault) {
    case SourceFault::Open:
        ReportWithError(u"Error opening \"%s\" :\r\n", name, opened.error);
        return;
    case SourceFault::TempName:
        Report(u"Can\u2019t create temp file for pipe copy\n");
        return;
    case SourceFault::CopyMemory:
        Report(u"Can\u2019t allocate buffer for copy\n");
        return;
    case SourceFault::TempWrite:
        ReportWithError(u"Error writing temp file \"%s\" :\r\n", name, opened.error);
        return;
    case SourceFault::TooLarge:
        Report(u"File is way too big!\r\n");
        return;
    case SourceFault::Mapping:
        ReportErrorText(u"Error mapping file: %s\r\n", opened.error);
        return;
    case SourceFault::View:
        ReportErrorText(u"Error mapping view of file: %s\r\n", opened.error);
        return;
    case SourceFault::None: // GCOVR_EXCL_LINE: a failed open always names its step
        return;             // GCOVR_EXCL_LINE
    }
}

void ReportLoadFailure(const HelpLoadResult& result) {
    switch (result.outcome) {
    case HelpLoad::Loaded:
        return;
    case HelpLoad::NotOpened:
        ReportSourceFailure(result.source);
        return;
    case HelpLoad::NoFunctions:
        Report(u"No functions found in file \"%s\".\n", result.file ? result.file : u"");
        return;
    case HelpLoad::NoArray:
        Report(u"Allocating help array\n");
        return;
    case HelpLoad::NoText:
        Report(u"Error allocating memory for help strings\r\n");
        return;
    case HelpLoad::NoTree:
        Report(u"Error converting array to tree\n");
        return;
    }
}
