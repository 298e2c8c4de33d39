// A clean key state for every keyboard test, and small helpers to read what
// the typed-key buffer holds.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/host/host.h"
#include "runtime/input/input.h"
#include "runtime/input/input_internal.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/values/values.h"

namespace rt {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        strings_init();
        virtual_platform::set_key_state({});
        input_init();
        pending_error.store(0);
        attention_flag.store(0);
        pause_bits.store(0);
        end_request.store(0);
        mode_toggle_count.store(0);
    }
    void TearDown() override {
        release_temporaries(step_mark, 0);
        pending_error.store(0);
    }

    // One inkey() as a byte string.
    static std::string typed() {
        StrVal* key = inkey();
        std::string bytes(reinterpret_cast<const char*>(key->text), key->length);
        free_string(key);
        return bytes;
    }
    // Everything waiting in the typed-key buffer, entry by entry.
    static std::vector<std::string> all_typed() {
        std::vector<std::string> keys;
        for (std::string k = typed(); !k.empty(); k = typed()) keys.push_back(k);
        return keys;
    }
    static std::string ext(uint8_t scan) { return std::string(1, '\0') + char(scan); }
};

}  // namespace rt
