// The checker's heap: records that own what they point to, and arrays on the C heap that grow
// as they fill. Nothing throws: an allocation that fails is reported, and the caller says so.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <type_traits>

// A record of plain fields, owned: Free releases its heap parts when it goes, and it moves but
// is never copied, so that each part has one owner. A moved-from record is empty.
template <typename Record, void (*Free)(Record*)> struct Owned : Record {
    Owned() = default;
    ~Owned() { Free(this); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : Record(other) { static_cast<Record&>(other) = Record{}; }
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Free(this);
            static_cast<Record&>(*this) = other;
            static_cast<Record&>(other) = Record{};
        }
        return *this;
    }
};

// Room for more items (one unless told) at the end of an array on the C heap, doubling it as
// it fills. False when memory ran out, or the array would not fit in a size_t; the array is
// then as it was.
template <typename T, typename N> bool GrowFor(T** items, N count, N* capacity, N more = 1) {
    static_assert(std::is_trivially_copyable_v<T>, "moved by realloc");
    if (more <= *capacity - count) {
        return true;
    }
    N grown = *capacity ? *capacity : 16;
    while (grown - count < more) {
        // GCOVR_EXCL_BR_START: no test holds so much
        if (grown > std::numeric_limits<N>::max() / 2 ||
            grown > std::numeric_limits<size_t>::max() / 2 / sizeof(T)) {
            return false;
        }
        // GCOVR_EXCL_BR_STOP
        grown *= 2;
    }
    T* bigger = static_cast<T*>(realloc(*items, static_cast<size_t>(grown) * sizeof(T)));
    if (!bigger) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return false;
    }
    *items = bigger;
    *capacity = grown;
    return true;
}

template <typename T> struct ArrayRecord {
    T* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
};

template <typename T> void FreeArray(ArrayRecord<T>* array) {
    free(array->items);
}

// An array of plain items on the C heap, freed when it goes.
template <typename T> using HeapArray = Owned<ArrayRecord<T>, FreeArray<T>>;

// Adds item at the end; false when memory ran out.
template <typename T> [[nodiscard]] bool Push(HeapArray<T>* array, const T& item) {
    if (!GrowFor(&array->items, array->count, &array->capacity)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    array->items[array->count++] = item;
    return true;
}

// Makes the array count items long, each zero; false when memory ran out.
template <typename T> [[nodiscard]] bool MakeZeroed(HeapArray<T>* array, uint32_t count) {
    *array = HeapArray<T>{};
    array->items = static_cast<T*>(calloc(count ? count : 1, sizeof(T)));
    if (!array->items) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return false;
    }
    array->count = count;
    array->capacity = count ? count : 1;
    return true;
}

// The items, which the caller now owns (and frees); the array is left empty.
template <typename T> T* TakeItems(HeapArray<T>* array) {
    T* items = array->items;
    static_cast<ArrayRecord<T>&>(*array) = ArrayRecord<T>{};
    return items;
}
