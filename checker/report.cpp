// The report's two forms. Lines read "FILE:LINE:COLUMN: severity: message [code]", as an
// editor or a CI log expects; JSON gives the same fields as one record per finding.
#include "checker/report.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/messages.h"
#include "base/text16.h"
#include "platform/platform.h"

#include <cstdarg>

namespace {

constexpr size_t kPendingUnits = 32768;
char16_t g_pending[kPendingUnits];
size_t g_length = 0;
bool g_firstFile = true;

// Text that a terminal would act on is written as an escape instead.
void EmitEscaped(const char16_t* text, bool json) {
    char16_t unit[2] = {0, 0};
    for (const char16_t* p = text; *p; ++p) {
        char16_t c = *p;
        bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (json && (c == u'"' || c == u'\\')) {
            Emit(c == u'"' ? u"\\\"" : u"\\\\");
        } else if (control && (json || c != u'\t')) {
            EmitFormatted(u"\\u%04x", c);
        } else {
            unit[0] = c;
            Emit(unit);
        }
    }
}

void EmitTextFinding(const char16_t* file, const Finding& f) {
    EmitEscaped(file, false);
    if (f.line) {
        EmitFormatted(u":%u", f.line);
        if (f.column) {
            EmitFormatted(u":%u", f.column);
        }
    }
    EmitFormatted(u": %s: ", SeverityName(f.severity));
    EmitEscaped(f.message, false);
    EmitFormatted(u" [%s]\n", f.code);
}

void EmitJsonFinding(const char16_t* file, const Finding& f, bool first) {
    Emit(first ? u"\n    {\"file\": \"" : u",\n    {\"file\": \"");
    EmitEscaped(file, true);
    EmitFormatted(u"\", \"line\": %u, \"column\": %u, \"severity\": \"%s\", \"code\": \"%s\", "
                  u"\"message\": \"",
                  f.line, f.column, SeverityName(f.severity), f.code);
    EmitEscaped(f.message, true);
    Emit(u"\"}");
}

// "1,234 functions", "1 error": the plug-in's own wording of counts.
void EmitCount(uint32_t count, const char16_t* noun) {
    EmitFormatted(u"%u %s", count, Pluralize(count, noun));
}

} // namespace

void Emit(const char16_t* text) {
    for (const char16_t* p = text; *p; ++p) {
        // Never between the halves of a surrogate pair: each piece is converted on its own.
        bool low = *p >= 0xDC00 && *p <= 0xDFFF;
        if (g_length + 2 >= kPendingUnits && !low) {
            FlushOutput();
        }
        g_pending[g_length++] = *p;
    }
}

void EmitFormatted(const char16_t* format, ...) {
    char16_t text[kMessageUnits];
    va_list args;
    va_start(args, format);
    Format16V(text, kMessageUnits, format, args);
    va_end(args);
    Emit(text);
}

void FlushOutput() {
    g_pending[g_length] = 0;
    PlatformWriteStandard(kStdOutput, g_pending);
    g_length = 0;
}

void EmitError(const char16_t* text) {
    FlushOutput();
    PlatformWriteStandard(kStdError, text);
}

void BeginReport(const ReportOptions* options) {
    g_firstFile = true;
    if (options->json) {
        Emit(u"{\"files\": [");
    }
}

void WriteFileReport(const ReportOptions* options, const char16_t* file,
                     const FindingList* findings, uint32_t functions) {
    const uint32_t* tally = findings->tally;
    if (options->json) {
        Emit(g_firstFile ? u"\n  {\"file\": \"" : u",\n  {\"file\": \"");
        EmitEscaped(file, true);
        EmitFormatted(u"\", \"functions\": %u, \"errors\": %u, \"warnings\": %u, \"notes\": %u, "
                      u"\"findings\": [",
                      functions, tally[kSeverityError], tally[kSeverityWarning],
                      tally[kSeverityNote]);
    }
    g_firstFile = false;
    bool first = true;
    for (uint32_t i = 0; i < findings->count; ++i) {
        const Finding& f = findings->items[i];
        if (options->quiet && f.severity != kSeverityError) {
            continue;
        }
        if (options->json) {
            EmitJsonFinding(file, f, first);
        } else {
            EmitTextFinding(file, f);
        }
        first = false;
    }
    if (findings->incomplete) {
        EmitError(u"hintbar-check: out of memory: some findings are missing\n");
    }
    if (options->json) {
        Emit(first ? u"]}" : u"\n  ]}");
        return;
    }
    if (options->quiet) {
        return;
    }
    EmitEscaped(file, false);
    Emit(u": the plug-in loads ");
    EmitFormatted(u"%s; ", FormatCount(functions));
    EmitCount(tally[kSeverityError], u"error");
    Emit(u", ");
    EmitCount(tally[kSeverityWarning], u"warning");
    Emit(u", ");
    EmitCount(tally[kSeverityNote], u"note");
    Emit(u"\n");
}

void EndReport(const ReportOptions* options) {
    if (options->json) {
        Emit(g_firstFile ? u"]}\n" : u"\n]}\n");
    }
    FlushOutput();
}
