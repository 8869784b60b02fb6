#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// Numbers given to keys in the order they first come, found again by
// open addressing in one flat table: a look-up touches one or two places in
// memory, where std::unordered_map follows a pointer for every entry.
template <class Key, class Hash>
class KeyNumbers {
public:
    // The number of `key`, and whether it is new: a new key gets the next number.
    std::pair<std::size_t, bool> number(const Key& key) {
        if (2 * (count + 1) > slots.size()) grow();
        const std::size_t mask = slots.size() - 1;
        for (std::size_t k = Hash()(key) & mask;; k = (k + 1) & mask) {
            Slot& slot = slots[k];
            if (slot.number == 0) {
                slot = {key, ++count};
                return {count - 1, true};
            }
            if (slot.key == key) return {slot.number - 1, false};
        }
    }
    std::size_t size() const { return count; }

private:
    struct Slot {
        Key key{};
        std::size_t number = 0;  // from 1; 0 for an empty slot
    };
    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots.size()));
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.number == 0) continue;
            std::size_t k = Hash()(slot.key) & mask;
            while (slots[k].number != 0) k = (k + 1) & mask;
            slots[k] = slot;
        }
    }
    std::vector<Slot> slots;
    std::size_t count = 0;
};
