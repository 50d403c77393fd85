// Counts worded for hbar's and start-up's lines: the host writes the number with its own
// thousands separators.
#include "command/counts.h"

#include "base/format16.h"
#include "base/host.h"
#include "base/limits.h"
#include "base/messages.h"
#include "base/text16.h"

namespace {
// Static result buffers: a result lasts until the next call that writes the same buffer.
char16_t CountBuffer[kMessageUnits];
char16_t ByteCountBuffer[kMessageUnits];
} // namespace

const char16_t* FormatCount(uint64_t count) {
    Format16(CountBuffer, u"%%@comma[%I64u] ", count);
    ExpandHostVariables(CountBuffer);
    Str16Append(CountBuffer, Pluralize(count, u"function"));
    return CountBuffer;
}

const char16_t* FormatByteCount(uint64_t count) {
    char16_t number[kMessageUnits];
    Format16(number, u"%%@comma[%I64u]", count);
    ExpandHostVariables(number);
    ByteCountBuffer[0] = 0;
    for (size_t length = Str16Len(number); length < 9; ++length) {
        Str16Append(ByteCountBuffer, u" ");
    }
    Str16Append(ByteCountBuffer, number);
    Str16Append(ByteCountBuffer, u" ");
    Str16Append(ByteCountBuffer, Pluralize(count, u"byte"));
    return ByteCountBuffer;
}
