// A set of numbered entries, for the searches the companions make once per unit: the
// table holds only the entries' numbers, and an entry's key is formed again from its
// number when it is compared, so a set of a million names costs a few megabytes beside
// the names themselves. Open addressing, at most half full, sized once for the most
// entries it takes.
#pragma once

#include "base/failure.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace adaskel {

struct Number_Set {
    std::vector<std::uint32_t> Slots; // an entry's number + 1, or 0 for a free slot
    std::size_t Count = 0;
    std::size_t Most = 0; // the entries it was sized for
};

// An empty set for at most Most entries.
inline Number_Set Create_Number_Set(std::size_t Most) {
    return {std::vector<std::uint32_t>(std::bit_ceil(2 * Most + 2)), 0, Most};
}

// Spreads the bits of a hash made of few good ones (a sum, an inode number) over all of
// them, so that its lowest bits can pick a slot (the finalizer of SplitMix64).
inline std::size_t Mix_Hash(std::uint64_t Hash) {
    Hash = (Hash ^ (Hash >> 30U)) * 0xbf58476d1ce4e5b9U;
    Hash = (Hash ^ (Hash >> 27U)) * 0x94d049bb133111ebU;
    return static_cast<std::size_t>(Hash ^ (Hash >> 31U));
}

// The slot of the entry Same(number) takes for the key hashed to Hash, or else the free
// slot where that key goes.
template <typename Same_Key>
std::size_t Slot_Of(const Number_Set& Set, std::size_t Hash, const Same_Key& Same) {
    const std::size_t Mask = Set.Slots.size() - 1;
    std::size_t Slot = Hash & Mask;
    while (Set.Slots[Slot] != 0 && !Same(Set.Slots[Slot] - 1)) {
        Slot = (Slot + 1) & Mask;
    }
    return Slot;
}

// The number of the entry for the key hashed to Hash that Same(number) recognizes, if any.
template <typename Same_Key>
std::optional<std::uint32_t> Find_Number(const Number_Set& Set, std::size_t Hash,
                                         const Same_Key& Same) {
    const std::uint32_t Held = Set.Slots[Slot_Of(Set, Hash, Same)];
    return Held == 0 ? std::nullopt : std::optional<std::uint32_t>(Held - 1);
}

// Adds entry Number, whose key is hashed to Hash, unless Same(number) recognizes an entry
// for that key: then returns that entry's number, and adds nothing.
template <typename Same_Key>
std::optional<std::uint32_t> Add_Number(Number_Set& Set, std::uint32_t Number, std::size_t Hash,
                                        const Same_Key& Same) {
    std::uint32_t& Held = Set.Slots[Slot_Of(Set, Hash, Same)];
    if (Held != 0) {
        return Held - 1;
    }
    if (Set.Count == Set.Most) {
        throw Run_Failure("a number set holds more entries than it was sized for");
    }
    Held = Number + 1;
    ++Set.Count;
    return std::nullopt;
}

} // namespace adaskel
