// Fixed label lists whose position is the value the game's files store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// One label list. The game ends each list with an empty label; a stored value at or
// past that end has no label, so it reads as the empty text rather than past the list.
class LabelTable {
  public:
    template <std::size_t N>
    constexpr explicit LabelTable(const char* const (&labels)[N])
        : labels_(labels), size_(static_cast<int>(N)) {}

    // Labels before the terminating empty one.
    constexpr int Size() const { return size_; }

    constexpr const char* Label(int64_t value) const {
        return value >= 0 && value < size_ ? labels_[value] : "";
    }

    constexpr const char* const* begin() const { return labels_; }
    constexpr const char* const* end() const { return labels_ + size_; }

  private:
    const char* const* labels_;
    int size_;
};

// A label paired with a number, as in the command lists.
struct cLabelId {
    const char* label;
    uint32_t value;
};

// Defines one list: its labels in stored-value order, checked against the count its header
// gives. For use at namespace scope of one .cpp file.
#define WF_LABEL_TABLE(table, count, ...)                     \
    namespace {                                               \
    const char* const table##Text[] = {__VA_ARGS__};          \
    }                                                         \
    static_assert(std::size(table##Text) == (count), #table); \
    const LabelTable table(table##Text);
