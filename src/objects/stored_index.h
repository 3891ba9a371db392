// Stored numbers used as table indices while a stage plays. The bounds-tested access would
// close the game for a damaged value; mid-play, the same line is written once per place
// and element 0 is used, so the stage goes on.
#pragma once

#include <cstddef>
#include <vector>

// Writes "err V[index] ( size , elementSize )" to the trace and report files, the first time
// the place named `site` meets a bad index (later ones at the same place stay quiet).
void ReportStoredIndexOnce(const char* site, int index, int size, int elementSize);
// Every place may report again (a new run of tests).
void ResetStoredIndexReports();

// The place of every use of a character's player number as a controller index: the
// player's set-up and the key conditions of its flows report a bad number as one.
inline constexpr const char* kPlayerNumberSite = "player number";

// Element `index` of the table; out of range: element 0 after the report above. Null only
// for an empty table.
template <class T, class A>
T* StoredElement(std::vector<T, A>& table, int index, const char* site) {
    if (index >= 0 && static_cast<size_t>(index) < table.size())
        return &table[static_cast<size_t>(index)];
    ReportStoredIndexOnce(site, index, static_cast<int>(table.size()), static_cast<int>(sizeof(T)));
    return table.empty() ? nullptr : &table[0];
}

template <class T, class A>
const T* StoredElement(const std::vector<T, A>& table, int index, const char* site) {
    return StoredElement(const_cast<std::vector<T, A>&>(table), index, site);
}
