#pragma once
// The rows lately reached through a secondary order's files and found to carry their
// entry, by the place of the entry. A master view walks the same order as its detail
// and passes over the rows the detail has just shown: it finds them here instead of
// looking each one up again in the primary index and checking it once more.
//
// A row is only ever found for the same reader of the order's files, the same table
// generation and the same readers' epoch (TableData moves it whenever it drops a reader,
// so that the records pointed to, held by the primary index reader, are still there).

#include <array>
#include <cstdint>

#include "engine/IndexTreeReader.h"

namespace engine {

class ReachedRows {
public:
    struct Context {
        const IndexTreeReader* tree = nullptr;
        uint64_t generation = 0;
        uint64_t epoch = 0;
    };

    const char* find(const Context& c, const TreeSpot& entry) const {
        const Slot& s = m_slots[index(entry)];
        return s.rec && s.tree == c.tree && s.generation == c.generation && s.epoch == c.epoch &&
                       s.entry.block == entry.block && s.entry.slot == entry.slot
                   ? s.rec
                   : nullptr;
    }
    void note(const Context& c, const TreeSpot& entry, const char* rec) {
        m_slots[index(entry)] = {c.tree, c.generation, c.epoch, entry, rec};
    }

private:
    struct Slot {
        const IndexTreeReader* tree = nullptr;
        uint64_t generation = 0;
        uint64_t epoch = 0;
        TreeSpot entry;
        const char* rec = nullptr;
    };
    // Neighbouring entries take neighbouring slots: a detail's range of up to the array's
    // size stays whole until its master has passed over it.
    static size_t index(const TreeSpot& entry) {
        return (size_t(entry.block) * 0x9E37u + size_t(entry.slot)) % kSlots;
    }
    static constexpr size_t kSlots = 256;
    std::array<Slot, kSlots> m_slots{};
};

} // namespace engine
