// A growable array of pointers with the document's own growth rule.
//
// Ownership: the vector owns only its array, never the objects it points to. The owner of
// a vector deletes the elements, usually through clear(). Slots at and above `count` are null.
#pragma once

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <typename T> class TEkPtrVector {
public:
    T** data = nullptr; // `capacity` slots; null while capacity is 0
    int count = 0;      // slots in use, from index 0
    int capacity = 0;   // slots allocated

    TEkPtrVector() = default;
    ~TEkPtrVector() { std::free(data); }
    TEkPtrVector(const TEkPtrVector&) = delete;
    TEkPtrVector& operator=(const TEkPtrVector&) = delete;

    T* operator[](int index) const { return data[index]; }
    T** begin() const { return data; }
    T** end() const { return data + count; }

    // Capacity after growing a vector that holds `c` elements: 5, 10, 20, 30, 45, 67, 88 ...
    // Worked out in 64 bits: from some 71 million elements on, (c + 1) * 30 leaves the int range,
    // and a wrapped result would be smaller than the count. Beyond the int range it stays at its top.
    static int grownCapacity(int c) {
        if (c + 1 < 2)
            return 5;
        if (c + 1 < 20)
            return c * 2;
        if (c + 1 < 60)
            return c * 3 / 2;
        const long long next = (static_cast<long long>(c) + 1) * 30 / 100 + (static_cast<long long>(c) + 1);
        return next > INT_MAX ? INT_MAX : static_cast<int>(next);
    }

    void push(T* p) {
        if (count + 1 > capacity)
            reserve(grownCapacity(count));
        data[count++] = p;
    }

    // Nothing when n is not above the capacity; otherwise moves to an array of n slots. The
    // array grows in place where the heap allows, and a large one moves by remapping its pages
    // rather than by copying them: a section of millions of lines grows dozens of times.
    void reserve(int n) {
        if (n <= capacity)
            return;
        auto* grown = static_cast<T**>(std::realloc(static_cast<void*>(data), sizeof(T*) * size_t(n)));
        if (!grown)
            throw std::bad_alloc();
        for (int i = count; i < n; ++i)
            grown[i] = nullptr;
        data = grown;
        capacity = n;
    }

    // A negative index counts as 0; an index at or past the end appends.
    void insert(int index, T* p) {
        if (index < 0)
            index = 0;
        if (index >= count) {
            push(p);
            return;
        }
        if (count + 1 > capacity)
            reserve(grownCapacity(count));
        moveSlots(data + index + 1, data + index, count - index, kCopyLoopLimitGrow);
        data[index] = p;
        ++count;
    }

    // Removes slot `index` without deleting its object; indexes out of range are ignored.
    void erase(int index) {
        if (index < 0 || index >= count)
            return;
        moveSlots(data + index, data + index + 1, count - index - 1, kCopyLoopLimitErase);
        --count;
        data[count] = nullptr;
    }

    // The first index at or above `from` that holds p; -1 when none or when `from` < 0.
    int indexOf(const T* p, int from = 0) const {
        if (from < 0)
            return -1;
        for (int i = from; i < count; ++i) {
            if (data[i] == p)
                return i;
        }
        return -1;
    }

    // Exchanges the elements and arrays of the two vectors.
    void swap(TEkPtrVector& other) noexcept {
        std::swap(data, other.data);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
    }

    // Deletes every element; the capacity stays.
    void clear() {
        for (int i = 0; i < count; ++i) {
            delete data[i];
            data[i] = nullptr;
        }
        count = 0;
    }

private:
    // Short moves are cheaper as a loop than as a call into memmove.
    static constexpr int kCopyLoopLimitGrow = 53;
    static constexpr int kCopyLoopLimitErase = 33;

    static void moveSlots(T** to, T** from, int n, int loopLimit) {
        if (n <= 0)
            return;
        if (n < loopLimit) {
            if (to < from) {
                for (int i = 0; i < n; ++i)
                    to[i] = from[i];
            } else {
                for (int i = n - 1; i >= 0; --i)
                    to[i] = from[i];
            }
        } else {
            std::memmove(static_cast<void*>(to), static_cast<const void*>(from), sizeof(T*) * size_t(n));
        }
    }
};

class TEkIniSection;
class TEkIniVal;
using TIniSectionVec = TEkPtrVector<TEkIniSection>;
using TIniValVec = TEkPtrVector<TEkIniVal>;
