// The fill of the string stores, read by the tests and the benchmark to see
// that a step gives back everything it took.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

struct StringStoreState {
    size_t arena_size = 0;
    size_t arena_top = 0;             // bytes of the text arena in use
    uint32_t arena_list_length = 0;   // entries, empty ones included
    uint32_t arena_list_capacity = 0;
    uint32_t temporaries_capacity = 0;
    uint32_t free_descriptors = 0;    // on the stack of released descriptors
    uint32_t descriptor_blocks = 0;
};

StringStoreState string_store_state();

}  // namespace rt
