// Room for one more item at the end of an array on the C heap, doubling it as it fills.
#pragma once

#include <cstdint>
#include <cstdlib>

// False when memory ran out; the array is then as it was.
template <typename T> bool GrowFor(T** items, uint32_t count, uint32_t* capacity) {
    if (count < *capacity) {
        return true;
    }
    uint32_t grown = *capacity ? *capacity * 2 : 16;
    T* bigger = static_cast<T*>(realloc(*items, grown * sizeof(T)));
    if (!bigger) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return false;
    }
    *items = bigger;
    *capacity = grown;
    return true;
}
