// The fixes of one file, kept in two growing arrays: the fixes and all their edits.
#include "checker/fixes.h"

#include "base/text16.h"
#include "checker/grow.h"

#include <cstdlib>

namespace {

void PutUnit(uint8_t* bytes, uint32_t* n, uint32_t value, uint32_t width, bool bigEndian) {
    for (uint32_t i = 0; i < width; ++i) {
        uint32_t shift = 8 * (bigEndian ? width - 1 - i : i);
        bytes[(*n)++] = static_cast<uint8_t>(value >> shift);
    }
}

} // namespace

int32_t AddFix(FixList* list, uint32_t line, int32_t code, const char16_t* what) {
    if (!GrowFor(&list->items, list->count, &list->capacity)) { // GCOVR_EXCL_BR_LINE
        return -1;
    }
    Fix& fix = list->items[list->count];
    fix = Fix{line, code, list->editCount, 0, {}, {}};
    Str16Copy({fix.what, kFixWhatUnits}, what);
    return static_cast<int32_t>(list->count++);
}

bool AddFixEdit(FixList* list, const FixEdit& edit) {
    if (list->count == 0 || !GrowFor(&list->edits, list->editCount, &list->editCapacity)) {
        return false;
    }
    list->edits[list->editCount++] = edit;
    ++list->items[list->count - 1].count;
    return true;
}

void DropLastFix(FixList* list) {
    if (list->count == 0) {
        return;
    }
    list->editCount = list->items[list->count - 1].first;
    --list->count;
}

void ReleaseFixes(FixList* list) {
    free(list->items);
    free(list->edits);
    *list = FixList{};
}

const Fix* ActiveFix(const FixList* list, uint32_t index) {
    if (!list || index >= list->count || list->items[index].code < 0) {
        return nullptr;
    }
    return &list->items[index];
}

uint32_t EncodeFixText(Encoding encoding, const char16_t* text, uint8_t* bytes) {
    const EncodingForm& form = FormOf(encoding);
    uint32_t n = 0;
    for (const char16_t* p = text; *p; ++p) {
        uint32_t c = *p;
        bool pair = IsSurrogatePair(c, p[1]);
        if (pair) {
            c = CombineSurrogates(c, p[1]);
        }
        uint32_t need = form.unitBytes == 2 ? (pair ? 4 : 2) : form.unitBytes;
        if (encoding == Encoding::Utf8) {
            need = Utf8Length(c);
        }
        if (n + need > kFixBytes || (encoding == Encoding::Ansi && c >= 0x80)) {
            return 0;
        }
        if (encoding == Encoding::Utf8) {
            n += EncodeUtf8(c, std::span<uint8_t>(bytes + n, need));
        } else if (form.unitBytes == 2) {
            PutUnit(bytes, &n, pair ? *p : c, 2, form.bigEndian);
            if (pair) {
                PutUnit(bytes, &n, *++p, 2, form.bigEndian);
            }
        } else {
            PutUnit(bytes, &n, c, form.unitBytes, form.bigEndian);
        }
        p += pair && form.unitBytes != 2 ? 1 : 0;
    }
    return n;
}
