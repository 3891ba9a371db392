// Bounds-tested access to the game's tables (V) and linked lists (L), and the helper that
// turns an escaped exception into an orderly shutdown.
#pragma once

#include <cstdint>
#include <exception>
#include <iterator>
#include <list>
#include <stdexcept>
#include <vector>

// Writes "err V[i] ( size , elementSize )" to the trace and report files and posts WM_CLOSE
// to the main window. The out-of-line half of V, also used where a loop tests the bounds
// itself (the record registry does).
void BoundsFaultV(int index, int size, int elementSize);
// The same with "err L[...]" for linked lists.
void BoundsFaultL(int index, int size, int elementSize);

// Element i of a table. A bad index is logged, asks the program to close and yields element
// 0 so the caller has something valid to work on until the close is handled. An empty table
// has no element 0: it throws std::out_of_range, which thread entries, the UI dispatch and
// every frame catch (see RunCatchingFaults).
template <class T, class A>
T& V(std::vector<T, A>& table, int index) {
    if (index >= 0 && static_cast<size_t>(index) < table.size()) [[likely]]
        return table[static_cast<size_t>(index)];
    BoundsFaultV(index, static_cast<int>(table.size()), static_cast<int>(sizeof(T)));
    if (table.empty()) throw std::out_of_range("invalid vector<T> subscript");
    return table[0];
}

template <class T, class A>
const T& V(const std::vector<T, A>& table, int index) {
    return V(const_cast<std::vector<T, A>&>(table), index);
}

// The one element every bad L index of type T yields, for the whole run. What one caller
// writes into it the next caller sees, as in the game.
template <class T>
T& LFallback() {
    static T fallback{};
    return fallback;
}

// Element i of a linked list, walking from the front; a bad index is logged, asks the
// program to close and yields the fallback element. Never throws.
template <class T, class A>
T& L(std::list<T, A>& list, int index) {
    if (index >= 0 && static_cast<size_t>(index) < list.size()) [[likely]]
        return *std::next(list.begin(), index);
    BoundsFaultL(index, static_cast<int>(list.size()), static_cast<int>(sizeof(T)));
    return LFallback<T>();
}

template <class T, class A>
const T& L(const std::list<T, A>& list, int index) {
    return L(const_cast<std::list<T, A>&>(list), index);
}

// Sets every byte of the table, each through V; an empty table is left alone.
void FillVecU8(std::vector<uint8_t>& table, uint8_t value);

// For code that caught an exception at a thread entry, in the UI dispatch or around a frame:
// says on our diagnostics what escaped and where, and posts WM_CLOSE so the program shuts
// down in order instead of ending. The game's own log files get nothing: V has already
// written its line there.
void CloseOnEscapedException(const char* where, const std::exception& e);
void CloseOnEscapedException(const char* where);  // for catch (...)

// Runs fn(); an exception that leaves it goes to CloseOnEscapedException. True when fn
// returned normally.
template <class Fn>
bool RunCatchingFaults(const char* where, Fn&& fn) noexcept {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        CloseOnEscapedException(where, e);
    } catch (...) {
        CloseOnEscapedException(where);
    }
    return false;
}
