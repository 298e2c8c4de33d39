// The step construct. The game routine is one long sequence of numbered steps:
//
//     step(1204, [&] { put_picture(x, y, foam_image); });
//     if (step(1215, [&] { return key_down(81) || key_down(113); })) ...
//
// After the body has run, the step's string temporaries are released; then, when
// the attention flag is set, the statement hook runs with the step's number. It may
// hold the thread (pause), stop it (shutdown), report a pending error, or ask for
// the step to run again (retry flag), in which case the body runs once more.
// A body that returns a value hands the value of its last run back to the caller.
#pragma once

#include <cstdint>
#include <type_traits>

#include "runtime/host/host.h"
#include "runtime/values/values.h"

namespace rt {

// Everything that follows one run of a step body. True means: run it again.
inline bool after_step(int32_t number) {
    release_temporaries(step_mark, 0);
    if (attention_flag.load(std::memory_order_acquire) == 0) return false;
    statement_hook(number);
    return retry_flag.load(std::memory_order_acquire) == 1;
}

template <class Body>
auto step(int32_t number, Body&& body) -> std::invoke_result_t<Body&> {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
        do body();
        while (after_step(number));
    } else {
        for (;;) {
            auto result = body();
            if (!after_step(number)) return result;
        }
    }
}

}  // namespace rt
