// The findings of one file, kept in one growing array.
#include "checker/findings.h"

#include "base/format16.h"
#include "base/text16.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

int AddFinding(FindingList* list, uint32_t line, uint32_t column, int32_t severity,
               const char16_t* code, const char16_t* format, ...) {
    if (!list || !code || !format || severity < kSeverityNote || severity > kSeverityError) {
        return -1;
    }
    ++list->tally[severity];
    if (list->count == list->capacity) {
        uint32_t grown = list->capacity ? list->capacity * 2 : 64;
        Finding* items = static_cast<Finding*>(realloc(list->items, grown * sizeof(Finding)));
        if (!items) {
            list->incomplete = true;
            return -1;
        }
        list->items = items;
        list->capacity = grown;
    }
    char16_t text[kFindingUnits];
    va_list args;
    va_start(args, format);
    size_t length = Format16V(text, kFindingUnits, format, args);
    va_end(args);
    char16_t* message = static_cast<char16_t*>(malloc((length + 1) * sizeof(char16_t)));
    if (!message) {
        list->incomplete = true;
        return -1;
    }
    Str16Copy(message, length + 1, text);
    list->items[list->count] = Finding{line, column, severity, code, message, list->count};
    ++list->count;
    return 0;
}

void SortFindings(FindingList* list) {
    if (!list || !list->items) {
        return;
    }
    std::sort(list->items, list->items + list->count, [](const Finding& a, const Finding& b) {
        if (a.line != b.line) {
            return a.line < b.line;
        }
        if (a.column != b.column) {
            return a.column < b.column;
        }
        return a.order < b.order;
    });
}

void ReleaseFindings(FindingList* list) {
    if (!list) {
        return;
    }
    for (uint32_t i = 0; i < list->count; ++i) {
        free(list->items[i].message);
    }
    free(list->items);
    *list = FindingList{};
}

const char16_t* SeverityName(int32_t severity) {
    switch (severity) {
    case kSeverityError:
        return u"error";
    case kSeverityWarning:
        return u"warning";
    default:
        return u"note";
    }
}
