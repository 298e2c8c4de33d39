// String values. Descriptors come from large blocks and a stack of released
// ones; text is carved from one arena at its top, with a gap after each new
// value so that the newest value can grow in place. The arena list keeps the
// values in text order, so that releasing the newest values lowers the top and
// compaction can slide the live ones down. Temporaries are listed so that one
// pass after each step releases them.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/core/core.h"
#include "runtime/values/string_store.h"
#include "runtime/values/values.h"

namespace rt {

namespace {

constexpr uint32_t descriptor_block_size = 65536;
constexpr uint32_t free_stack_start = 65536;
constexpr size_t arena_start_size = 1 << 20;
constexpr uint32_t arena_list_start = 65535;
constexpr uint32_t temporaries_start = 65535;
constexpr size_t static_block_start = 1 << 20;
constexpr size_t static_alignment = 16;
// Room left after each new value so that it can grow in place.
constexpr size_t gap = 32;
// No object may be larger than this.
constexpr size_t largest_block = PTRDIFF_MAX;
// list_index of a descriptor that is on the free stack.
constexpr int32_t released = -2;

// Critical errors of the stores that cannot grow.
constexpr int32_t static_block_full = 504;
constexpr int32_t descriptors_full = 508;
constexpr int32_t arena_list_full = 510;
constexpr int32_t temporaries_full = 511;
constexpr int32_t arena_full = 512;

struct Stores {
    bool ready = false;
    // descriptors: the block being handed out and the stack of released ones
    StrVal* block = nullptr;
    uint32_t block_used = descriptor_block_size;
    uint32_t blocks = 0;
    StrVal** free_stack = nullptr;
    uint32_t free_count = 0, free_capacity = 0;
    // text arena and the arena list, in text order; empty entries are null
    uint8_t* arena = nullptr;
    size_t arena_size = 0, arena_top = 0;
    StrVal** arena_list = nullptr;
    uint32_t arena_length = 0, arena_capacity = 0;
    // temporary list; slot 0 is never used, as index 0 means "not listed"
    StrVal** temporaries = nullptr;
    uint32_t temp_length = 1, temp_capacity = 0;
    // static block, and the earlier ones, where the arrays taken before live
    uint8_t* static_block = nullptr;
    size_t static_size = 0, static_used = 0;
    // Each block is more than twice the one before, so a few dozen are the most.
    std::array<uint8_t*, 64> earlier_static_blocks{};
    uint32_t earlier_static_count = 0;
};

Stores s;

// The shared constants live outside the arena and are never released or written.
uint8_t conventional_area[] = {0, ' '};
StrVal empty_value{.text = &conventional_area[0], .length = 0, .conventional = 1};
StrVal space_value{.text = &conventional_area[1], .length = 1, .conventional = 1};

void copy_bytes(uint8_t* to, const uint8_t* from, size_t n) {
    if (n != 0) std::memmove(to, from, n);
}

template <class T>
T* allocate(size_t count, int32_t critical) {
    void* p = std::malloc(count * sizeof(T));
    if (p == nullptr) critical_error(critical);
    return static_cast<T*>(p);
}

// Doubles an array of descriptor references.
void double_list(StrVal**& items, uint32_t& capacity, int32_t critical) {
    if (capacity > (uint32_t(INT32_MAX) >> 1)) critical_error(critical);
    void* p = std::realloc(items, size_t(capacity) * 2 * sizeof(StrVal*));
    if (p == nullptr) critical_error(critical);
    items = static_cast<StrVal**>(p);
    capacity *= 2;
}

void ensure_ready() {
    if (!s.ready) strings_init();
}

// ------------------------------------------------------------ descriptors
StrVal* take_descriptor() {
    ensure_ready();
    if (s.free_count != 0) {
        StrVal* d = s.free_stack[--s.free_count];
        *d = StrVal{};
        return d;
    }
    if (s.block_used == descriptor_block_size) {
        // Earlier blocks stay: their descriptors are in use or on the free stack.
        s.block = new (std::nothrow) StrVal[descriptor_block_size];
        if (s.block == nullptr) critical_error(descriptors_full);
        s.block_used = 0;
        ++s.blocks;
    }
    return &s.block[s.block_used++];
}

void release_descriptor(StrVal* d) {
    if (s.free_count == s.free_capacity) double_list(s.free_stack, s.free_capacity, descriptors_full);
    d->text = nullptr;
    d->length = 0;
    d->list_index = released;
    s.free_stack[s.free_count++] = d;
}

// ------------------------------------------------------------ arena list
size_t offset_of(const StrVal* v) { return size_t(v->text - s.arena); }

bool in_arena_list(const StrVal* v) {
    return v->list_index >= 0 && uint32_t(v->list_index) < s.arena_length &&
           s.arena_list[v->list_index] == v;
}

void leave_arena_list(StrVal* v) {
    if (in_arena_list(v)) s.arena_list[v->list_index] = nullptr;
}

// Drops the empty entries; doubles the list when it is still half full.
void compact_arena_list() {
    uint32_t live = 0;
    for (uint32_t i = 0; i < s.arena_length; ++i) {
        if (StrVal* v = s.arena_list[i]) {
            v->list_index = int32_t(live);
            s.arena_list[live++] = v;
        }
    }
    s.arena_length = live;
    if (live >= s.arena_capacity / 2) double_list(s.arena_list, s.arena_capacity, arena_list_full);
}

void join_arena_list(StrVal* v) {
    if (s.arena_length >= s.arena_capacity) compact_arena_list();
    v->list_index = int32_t(s.arena_length);
    s.arena_list[s.arena_length++] = v;
}

// ------------------------------------------------------------ text arena
// Moves the store to a bigger block and rebases every live value.
void grow_arena(size_t need) {
    if (need > largest_block || s.arena_size > (largest_block - need) / 2) critical_error(arena_full);
    size_t size = need + 2 * s.arena_size;
    uint8_t* fresh = allocate<uint8_t>(size, arena_full);
    copy_bytes(fresh, s.arena, s.arena_top);
    for (uint32_t i = 0; i < s.arena_length; ++i)
        if (StrVal* v = s.arena_list[i]) v->text = fresh + offset_of(v);
    std::free(s.arena);
    s.arena = fresh;
    s.arena_size = size;
}

// Slides the live values down over the holes that freed ones left (holes up
// to one gap wide stay), then grows the arena if it is still more than about
// half full after `need` more bytes.
void compact_arena(size_t need) {
    uint8_t* end = s.arena;
    for (uint32_t i = 0; i < s.arena_length; ++i) {
        StrVal* v = s.arena_list[i];
        if (v == nullptr) continue;
        if (v->text > end + gap) {
            copy_bytes(end, v->text, v->length);
            v->text = end;
        }
        end = v->text + v->length;
    }
    s.arena_top = size_t(end - s.arena);
    if (need + 2 * s.arena_top + gap >= s.arena_size) grow_arena(need);
}

void make_room(size_t need) {
    if (s.arena_top + need > s.arena_size) compact_arena(need);
}

// After a value left the arena list: drop the empty entries at its end and put
// the top a gap above the newest live value.
void lower_arena_top() {
    while (s.arena_length != 0 && s.arena_list[s.arena_length - 1] == nullptr) --s.arena_length;
    if (s.arena_length == 0) {
        s.arena_top = 0;
        return;
    }
    const StrVal* last = s.arena_list[s.arena_length - 1];
    s.arena_top = std::min(offset_of(last) + last->length + gap, s.arena_size);
}

// ------------------------------------------------------------ temporary list
void list_temporary(StrVal* v) {
    if (s.temp_length == s.temp_capacity) double_list(s.temporaries, s.temp_capacity, temporaries_full);
    v->temporary = 1;
    v->temp_index = int32_t(s.temp_length);
    s.temporaries[s.temp_length++] = v;
}

void unlist_temporary(StrVal* v) {
    int32_t i = v->temp_index;
    if (i > 0 && uint32_t(i) < s.temp_capacity && s.temporaries[i] == v) s.temporaries[i] = nullptr;
    while (s.temp_length > 1 && s.temporaries[s.temp_length - 1] == nullptr) --s.temp_length;
    v->temp_index = 0;
    v->temporary = 0;
}

void free_if_temporary(StrVal* v) {
    if (v->temporary) free_string(v);
}

// ------------------------------------------------------------ assignment
// Puts the destination at the arena top with the source's text.
void append_copy(StrVal* destination, const StrVal* source) {
    leave_arena_list(destination);
    make_room(source->length);  // may move the source: read its text afterwards
    destination->text = s.arena + s.arena_top;
    copy_bytes(destination->text, source->text, source->length);
    destination->length = source->length;
    s.arena_top += source->length;
    join_arena_list(destination);
}

// The source is longer than the destination's text. (A temporary source in the
// arena has been taken over before this, so it is never among the live values.)
void grow_into(StrVal* destination, const StrVal* source) {
    const uint32_t length = source->length;
    if (!in_arena_list(destination)) {
        append_copy(destination, source);
        return;
    }
    const uint32_t at = uint32_t(destination->list_index);
    uint32_t next = at + 1;
    while (next < s.arena_length && s.arena_list[next] == nullptr) ++next;
    if (next < s.arena_length) {
        // Grow into the room before the next live value, or move to the top.
        if (s.arena_list[next]->text < destination->text + length) {
            append_copy(destination, source);
        } else {
            copy_bytes(destination->text, source->text, length);
            destination->length = length;
        }
        return;
    }
    // The destination is the newest live value: it becomes the list's last
    // entry and grows up to the arena's end, or moves to the top if it cannot.
    s.arena_length = at + 1;
    if (offset_of(destination) + length > s.arena_size) {
        append_copy(destination, source);
        return;
    }
    copy_bytes(destination->text, source->text, length);
    destination->length = length;
    s.arena_top = offset_of(destination) + length;
}

// The destination takes the temporary's text; nothing is copied.
void take_over(StrVal* destination, StrVal* source) {
    leave_arena_list(destination);
    destination->list_index = source->list_index;
    s.arena_list[source->list_index] = destination;
    const int32_t slot = source->temp_index;
    if (slot > 0 && uint32_t(slot) < s.temp_length) {
        s.temporaries[slot] = nullptr;
        if (uint32_t(slot) == s.temp_length - 1) --s.temp_length;
    }
    destination->text = source->text;
    destination->length = source->length;
    release_descriptor(source);
}

}  // namespace

StrVal* empty_string = &empty_value;
StrVal* space_string = &space_value;
uint32_t step_mark = 1;

void strings_init() {
    if (s.ready) return;
    s.free_stack = allocate<StrVal*>(free_stack_start, descriptors_full);
    s.free_capacity = free_stack_start;
    s.arena = allocate<uint8_t>(arena_start_size, arena_full);
    s.arena_size = arena_start_size;
    s.arena_list = allocate<StrVal*>(arena_list_start, arena_list_full);
    s.arena_capacity = arena_list_start;
    s.temporaries = allocate<StrVal*>(temporaries_start, temporaries_full);
    s.temporaries[0] = nullptr;
    s.temp_capacity = temporaries_start;
    s.static_block = static_cast<uint8_t*>(std::calloc(static_block_start, 1));
    if (s.static_block == nullptr) critical_error(static_block_full);
    s.static_size = static_block_start;
    s.ready = true;
}

uint32_t temporaries_length() { return s.temp_length; }

StrVal* new_string(uint32_t length, bool temporary) {
    ensure_ready();
    const size_t need = size_t(length) + gap;
    make_room(need);
    StrVal* v = take_descriptor();
    v->length = length;
    v->text = s.arena + s.arena_top;
    s.arena_top += need;
    join_arena_list(v);
    if (temporary) list_temporary(v);
    return v;
}

StrVal* string_literal(const char* text, uint32_t length) {
    StrVal* v = take_descriptor();
    // The text is constant data; read_only keeps every operation from writing it.
    v->text = reinterpret_cast<uint8_t*>(const_cast<char*>(text));
    v->length = text != nullptr ? length : 0;
    v->read_only = 1;
    list_temporary(v);
    return v;
}

StrVal* string_literal(const char* text) {
    return string_literal(text, text != nullptr ? uint32_t(std::strlen(text)) : 0);
}

StrVal* string_assign(StrVal* destination, StrVal* source) {
    if (destination == source) return destination;
    // Shared constants and constant text are never written.
    if (destination->conventional || destination->read_only) {
        free_if_temporary(source);
        return destination;
    }
    if (destination->fixed_length) {
        const uint32_t n = std::min(destination->length, source->length);
        copy_bytes(destination->text, source->text, n);
        std::memset(destination->text + n, ' ', destination->length - n);
        free_if_temporary(source);
        return destination;
    }
    if (source->temporary && !source->fixed_length && !source->read_only && !source->conventional &&
        in_arena_list(source)) {
        take_over(destination, source);
        return destination;
    }
    if (source->length <= destination->length) {
        copy_bytes(destination->text, source->text, source->length);
        destination->length = source->length;
    } else {
        grow_into(destination, source);
    }
    free_if_temporary(source);
    return destination;
}

StrVal* string_concat(StrVal* left, StrVal* right) {
    if (right->length == 0) return left;
    if (left->length == 0) return right;
    const uint64_t total = uint64_t(left->length) + right->length;
    if (total > UINT32_MAX) critical_error(arena_full);
    StrVal* v = new_string(uint32_t(total), true);  // may move the operands' text
    copy_bytes(v->text, left->text, left->length);
    copy_bytes(v->text + left->length, right->text, right->length);
    free_if_temporary(left);
    if (right != left) free_if_temporary(right);
    return v;
}

int32_t string_equal(const StrVal* a, const StrVal* b) {
    if (a->length != b->length) return 0;
    if (a->length == 0) return -1;
    return std::memcmp(a->text, b->text, a->length) == 0 ? -1 : 0;
}

StrVal* chr_string(int32_t code) {
    if (code < 0 || code > 255) {
        raise_error(5);
        return new_string(0, true);
    }
    StrVal* v = new_string(1, true);
    v->text[0] = uint8_t(code);
    return v;
}

void free_string(StrVal* value) {
    if (value == nullptr || value->conventional || value->list_index == released) return;
    value->field = nullptr;
    unlist_temporary(value);
    if (!value->fixed_length && !value->read_only) {
        leave_arena_list(value);
        lower_arena_top();
    }
    release_descriptor(value);
}

int64_t release_temporaries(uint32_t mark, int64_t pass_through) {
    mark = std::max(mark, 1u);
    while (s.temp_length > mark) {
        StrVal* v = s.temporaries[--s.temp_length];
        if (v != nullptr) free_string(v);
    }
    return pass_through;
}

void* static_alloc(size_t bytes) {
    ensure_ready();
    size_t at = (s.static_used + static_alignment - 1) & ~(static_alignment - 1);
    if (at >= s.static_size || bytes >= s.static_size - at) {
        if (bytes > largest_block || s.static_size > (largest_block - bytes) / 2)
            critical_error(static_block_full);
        const size_t size = bytes + 2 * s.static_size;
        auto* block = static_cast<uint8_t*>(std::calloc(size, 1));
        if (block == nullptr) critical_error(static_block_full);
        s.earlier_static_blocks[s.earlier_static_count++] = s.static_block;
        s.static_block = block;
        s.static_size = size;
        at = 0;
    }
    s.static_used = at + bytes;
    return s.static_block + at;
}

StrVal* new_string_variable() { return new_string(0, false); }

StrVal* new_fixed_string(uint32_t length) {
    auto* text = static_cast<uint8_t*>(static_alloc(length));
    StrVal* v = take_descriptor();
    std::memset(text, ' ', length);
    v->text = text;
    v->length = length;
    v->fixed_length = 1;
    return v;
}

StringStoreState string_store_state() {
    StringStoreState state;
    state.arena_size = s.arena_size;
    state.arena_top = s.arena_top;
    state.arena_list_length = s.arena_length;
    state.arena_list_capacity = s.arena_capacity;
    state.temporaries_capacity = s.temp_capacity;
    state.free_descriptors = s.free_count;
    state.descriptor_blocks = s.blocks;
    return state;
}

}  // namespace rt
