// The process entry, the program, display and timer threads, the statement hook,
// the orderly end and the report of runtime errors.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/graphics/graphics.h"
#include "runtime/host/display_internal.h"
#include "runtime/host/host.h"
#include "runtime/host/host_internal.h"
#include "runtime/host/window_art.h"
#include "runtime/input/input.h"
#include "runtime/platform/clock.h"
#include "runtime/platform/dialogs.h"
#include "runtime/platform/process.h"
#include "runtime/platform/wait.h"
#include "runtime/sound/sound.h"
#include "runtime/text/text.h"
#include "runtime/values/values.h"

namespace rt {

std::string program_folder;
std::string command_line;

namespace {

SDL_Thread* program_thread = nullptr;
SDL_Thread* timer_thread = nullptr;
SDL_Cursor* cursor = nullptr;
SDL_Surface* input_method_surface = nullptr;
void (*game)() = nullptr;

int program_main(void*) {
    step_mark = temporaries_length();
    game();
    close_all_sounds();
    end_program();
}

// Serves interval timers. The game installs none, and with none to serve the
// thread only waits for the stop request, woken by the shutdown, instead of a
// pass every quarter millisecond.
int timer_main(void*) {
    while (stop_request.load(std::memory_order_acquire) != 1) platform::wait_on_word(shutdown_signal, 0, 1000);
    thread_done_bits.fetch_or(timer_thread_done);
    return 0;
}

void set_up_cursor() {
    cursor = SDL_CreateCursor(const_cast<Uint8*>(arrow_cursor.data.data()),
                              const_cast<Uint8*>(arrow_cursor.mask.data()), 32, 32, 0, 0);
    if (cursor) SDL_SetCursor(cursor);
}

void set_up_icon() {
    SDL_RWops* rw = SDL_RWFromConstMem(icon_bmp.data(), int(icon_bmp.size()));
    SDL_Surface* icon = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (icon) {
        SDL_WM_SetIcon(icon, nullptr);
        SDL_FreeSurface(icon);
    }
}

void read_video_modes() {
    full_screen_modes.clear();
    any_video_size = false;
    // Asked before the first window opens, this is the desktop's own mode.
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    desktop_size = desktop && desktop->current_w > 0 && desktop->current_h > 0
                       ? VideoMode{desktop->current_w, desktop->current_h}
                       : VideoMode{};
    SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_HWSURFACE);
    if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
        any_video_size = true;
        return;
    }
    // SDL 1.2 over SDL2 (versions 1.2.50 and up) never changes the screen's
    // mode: it lists made-up modes and scales them to the desktop, which costs a
    // scaling pass per frame and, without a window manager, shows a cropped
    // picture. There only the desktop's own size is a real mode.
    const SDL_version* linked = SDL_Linked_Version();
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    const bool scaled_modes = linked && linked->patch >= 50 && info && info->current_w > 0;
    for (int i = 0; modes && modes[i]; ++i) {
        if (scaled_modes && (modes[i]->w != info->current_w || modes[i]->h != info->current_h)) continue;
        full_screen_modes.push_back({modes[i]->w, modes[i]->h});
    }
}

// How long the shutdown waits for the program thread to reach a statement hook.
// A thread stuck inside a library call (a dialog, a decoder, a device) never
// does; after this the process ends without it.
constexpr uint64_t shutdown_wait_ms = 2000;

[[noreturn]] void shut_down() {
    stop_request.store(1, std::memory_order_release);
    attention_flag.store(1, std::memory_order_release);
    platform::wake_word_waiters(window_requests);
    shutdown_signal.store(1, std::memory_order_release);
    platform::wake_word_waiters(shutdown_signal);
    display_thread_running.store(0);
    const uint64_t until = platform::wait_clock_ms() + shutdown_wait_ms;
    while (thread_done_bits.load(std::memory_order_acquire) != (program_thread_done | timer_thread_done) && platform::wait_clock_ms() < until)
        platform::poll_wait(16);
    // The other threads may still run: only what the display thread owns is
    // shut down, the exit handlers (sound, fonts, SDL) would race them.
    const uint32_t done = thread_done_bits.load(std::memory_order_acquire);
    if (timer_thread && (done & timer_thread_done)) SDL_WaitThread(timer_thread, nullptr);
    if (done != (program_thread_done | timer_thread_done)) platform::abandon_process(0);
    if (program_thread) SDL_WaitThread(program_thread, nullptr);
    SDL_ShowCursor(SDL_DISABLE);
    if (cursor) SDL_FreeCursor(cursor);
    if (input_method_surface) SDL_FreeSurface(input_method_surface);
    platform::exit_process(0);
}

[[noreturn]] void display_loop() {
    mark_display_thread();
    // A full-screen request made before the threads started is served at once
    // rather than after the first cycle's wait: the player's screen changes
    // 16 ms sooner, and the program thread waiting for it goes on sooner.
    if (full_screen_request.load() != ScreenMode::none && auto_display.load() != AutoDisplay::off) display_update();
    int parity = 0;
    for (;;) {
        // One wait for the cycle's 16 ms: the vertical-retrace signals that
        // would come between its 15 and its last millisecond are not built.
        const bool window_open = display_thread_idle(16);
        int32_t exit_code = exit_request.load(std::memory_order_acquire);
        if (exit_code != -1) platform::exit_process(exit_code);
        if (!window_open || end_request.load(std::memory_order_acquire) == 1 || platform::termination_requested())
            break;
        parity ^= 1;
        if (parity == 1) {
            // A frame display_now handed over just before comes first: the
            // live page is compared with what the window shows.
            if (auto_display.load(std::memory_order_acquire) != AutoDisplay::off) {
                serve_window_requests();
                display_update();
            }
            continue;
        }
        if (!take_window_events(EventPass::regular)) break;
        sound_check_music_limit();
    }
    shut_down();
}

}  // namespace

std::string folder_of(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return {};
    if (path[cut] == ':') return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

int runtime_main(int argc, char** argv, void (*game_routine)()) {
    game = game_routine;
    std::string arguments;
    if (int code = read_options(argc, argv, screen_choice, arguments); code >= 0) return code;
    platform::init_process();
    // Desktops match the window to the game's menu entry and icon by its class.
    platform::set_environment_default("SDL_VIDEO_X11_WMCLASS", "supervivedas");
    platform::set_environment_default("SDL_VIDEO_WAYLAND_WMCLASS", "supervivedas");
    // Every pad numbered alike over SDL2.
    platform::set_environment_default("SDL12COMPAT_USE_GAME_CONTROLLERS", "1");

    program_folder = folder_of(platform::program_file_path());
    if (!program_folder.empty()) platform::set_working_directory(program_folder);
    platform::detach_console();

    strings_init();
    images_init();
    fonts_init();
    input_init();
    command_line = arguments;

    // No SDL timer subsystem: nothing here uses SDL's timers (ticks and delays
    // work without it), and classic SDL 1.2 would run a thread that wakes every
    // millisecond to serve them.
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_CDROM) < 0) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        platform::exit_process(100);
    }
    std::atexit(SDL_Quit);
    platform::watch_display_connection();

    fix_clock_base();

    if (TTF_Init() < 0) platform::exit_process(7000);
    std::atexit(TTF_Quit);

    sync_lock_keys(true);

    input_method_surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 2048, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    if (!input_method_surface) platform::exit_process(601);

    read_video_modes();

    start_key_events();
    open_gamepad();

    set_up_icon();
    SDL_WM_SetCaption("Untitled", "Untitled");
    set_up_cursor();

    select_text_screen();
    // The game asks for full-screen as its first step. A scaled look asks before
    // the first frame instead: no window opened only to be replaced, and without
    // a window manager no full-screen window left where that window was.
    if (screen_choice.start == StartScreen::full_screen ||
        (screen_choice.start == StartScreen::as_asked && screen_choice.look != Look::original))
        full_screen_request.store(ScreenMode::best);

    // Up before the program thread starts: its first steps must already find the
    // display thread presenting, or both threads could run the display update.
    display_thread_running.store(1);
    program_thread = SDL_CreateThread(program_main, nullptr);
    if (program_thread) timer_thread = SDL_CreateThread(timer_main, nullptr);
    if (!program_thread || !timer_thread) {
        std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
        return 0;
    }

    display_loop();
}

void statement_hook(int32_t step_number) {
    attention_flag.store(0, std::memory_order_release);
    retry_flag.store(0, std::memory_order_release);
    while (pause_bits.load(std::memory_order_acquire) != 0 || stop_request.load(std::memory_order_acquire) == 1) {
        if (stop_request.load(std::memory_order_acquire) == 1) stop_program_thread();
        platform::poll_wait(10);
    }
    if (error_pending()) {
        error_line.store(step_number, std::memory_order_release);
        report_error();
    }
}

void stop_program_thread() {
    thread_done_bits.fetch_or(program_thread_done);
    while (stop_request.load(std::memory_order_acquire) != 1) platform::poll_wait(16);
    platform::exit_thread();
    for (;;) platform::poll_wait(16);
}

void report_error() {
    int32_t number = pending_error.load(std::memory_order_acquire);
    int32_t line = error_line.load(std::memory_order_acquire);
    // A full-screen window holds keyboard and pointer: leave it so that the
    // dialog can be seen and answered, and come back after a Yes.
    const ScreenMode was_full_screen = full_screen_state.load(std::memory_order_acquire);
    if (was_full_screen != ScreenMode::windowed) ask_full_screen(ScreenMode::windowed);
    platform::Answer answer =
        platform::message_box(error_report_text(number, line), error_report_caption(number), true);
    if (answer != platform::Answer::yes) {
        end_request.store(1, std::memory_order_release);
        stop_program_thread();
    }
    if (was_full_screen != ScreenMode::windowed) ask_full_screen(was_full_screen);
    pending_error.store(0, std::memory_order_release);
}

void end_program() {
    destination_image = display_page;
    Image& page = image(display_page);
    // A text screen counts its height in cells already.
    uint16_t rows = page.text_screen ? page.height : uint16_t(page.height / font_height(page.font));
    set_text_view(page, rows, rows);
    page.cursor_row = rows;
    page.cursor_column = 1;
    page.pending_wrap = 0;
    print_text(empty_string, true);
    print_text(string_literal("Press any key to continue"), false);
    release_temporaries(step_mark, 0);

    // Keys typed before the prompt do not answer it.
    uint8_t character = 0, scan = 0;
    while (take_typed_key(character, scan)) platform::poll_wait(0);
    auto_display.store(AutoDisplay::on, std::memory_order_release);
    take_typed_key_or_stop(character, scan);
    end_request.store(1, std::memory_order_release);
    stop_program_thread();
}

void take_typed_key_or_stop(uint8_t& character, uint8_t& scan) {
    for (;;) {
        if (take_typed_key(character, scan)) return;
        if (stop_request.load(std::memory_order_acquire) == 1) stop_program_thread();
        platform::poll_wait(1);
    }
}

}  // namespace rt
