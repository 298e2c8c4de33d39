// Sound handles, slots and capability words on the dummy audio driver, which
// mixes in real time without a sound card.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <thread>

#include "runtime/host/host.h"
#include "runtime/platform/virtual/virtual.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"
#include "tests/sound/sound_files.h"

namespace {

using sound_test::Text;
namespace vp = rt::virtual_platform;
using rt::sound::state;

void clear_error() {
    rt::pending_error.store(0);
    rt::attention_flag.store(0);
}

int32_t taken_error() {
    int32_t n = rt::pending_error.load();
    clear_error();
    return n;
}

int slots_in_use() {
    int n = 0;
    for (const auto& slot : state.slots) n += slot.handle != 0;
    return n;
}

rt::sound::Slot& slot_of(int32_t handle) {
    int32_t index = rt::sound::find_slot(handle);
    EXPECT_GE(index, 0) << "handle " << handle;
    return state.slots[size_t(index < 0 ? 0 : index)];
}

int channel_of(int32_t handle) { return rt::sound::find_slot(handle); }

// Real time passes for the mixer thread; the condition must come true before the timeout.
bool eventually(const std::function<bool()>& condition, int timeout_ms = 5000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class Sound : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        folder = sound_test::unique_scratch_folder("files");
        sound_test::write_square_wav(file("short.wav"), 2205, 8000);  // 0.1 s
        sound_test::write_square_wav(file("long.wav"), 66150, 8000);  // 3 s
        sound_test::write_ogg(file("tone.ogg"), 0.5);
        sound_test::write_mp3(file("tune.mp3"), 2.0);
        sound_test::write_bytes(file("garbage.wav"), {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd', 0, 1, 2});
        sound_test::write_bytes(file("empty.wav"), {});
        std::vector<uint8_t> cut = sound_test::read_bytes(file("long.wav"));
        cut.resize(30);  // a header broken off in the middle
        sound_test::write_bytes(file("cut.wav"), cut);
        sound_test::write_ogg(file("long.ogg"), 3.0);
        std::vector<uint8_t> ogg = sound_test::read_bytes(file("long.ogg"));
        ogg.resize(ogg.size() - 300);  // in its last page
        sound_test::write_bytes(file("cut-audio.ogg"), ogg);
        ogg = sound_test::read_bytes(file("tone.ogg"));
        ogg.resize(20);
        sound_test::write_bytes(file("cut.ogg"), ogg);

        // Files of other rates and sample formats, as ordinary tools write them.
        sound_test::write_sine(file("u8-mono-11025.wav"), 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 11025, 1);
        sound_test::write_sine(file("mono-44100.wav"), 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1);
        sound_test::write_sine(file("mono-44100.ogg"), 0.2, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1);
        sound_test::write_sine(file("11025.ogg"), 0.2, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 11025, 2);

        // Damaged files, each a single field changed, that ended the program
        // before they were checked: a rate or channel count SDL 1.2's conversion
        // wrote past its list of steps for; a chunk other than the format chunk
        // first, or a data chunk of 4 GB, that SDL_mixer's WAV stream freed
        // twice; no data chunk, which the WAV stream sought for ever.
        const std::vector<uint8_t> wav = sound_test::read_bytes(file("short.wav"));
        auto changed = [](std::vector<uint8_t> bytes, size_t at, std::vector<uint8_t> field) {
            std::copy(field.begin(), field.end(), bytes.begin() + std::ptrdiff_t(at));
            return bytes;
        };
        sound_test::write_bytes(file("rate-1.wav"), changed(wav, 24, {1, 0, 0, 0}));
        sound_test::write_bytes(file("rate-2g.wav"), changed(wav, 24, {0xFF, 0xFF, 0xFF, 0x7F}));
        sound_test::write_bytes(file("channels-0.wav"), changed(wav, 22, {0, 0}));
        sound_test::write_bytes(file("junk-first.wav"), changed(wav, 12, {'J', 'U', 'N', 'K'}));
        sound_test::write_bytes(file("data-4gb.wav"), changed(wav, 40, {0xFF, 0xFF, 0xFF, 0xFF}));
        sound_test::write_bytes(file("no-data.wav"), std::vector<uint8_t>(wav.begin(), wav.begin() + 36));
        ASSERT_EQ(ogg[26], 1);  // the identification header alone on the first page, its rate at 40
        std::vector<uint8_t> rate_1 = changed(sound_test::read_bytes(file("tone.ogg")), 40, {1, 0, 0, 0});
        sound_test::fix_ogg_checksums(rate_1);
        sound_test::write_bytes(file("rate-1.ogg"), rate_1);
        // The same stream inside the body of a page that begins a stream of the
        // right rate but whose checksum is wrong: the reader skips that page and
        // plays what its body holds (the fuzzer's find, a crash in the decode
        // worker on classic SDL 1.2).
        const std::vector<uint8_t> tone = sound_test::read_bytes(file("tone.ogg"));
        std::vector<uint8_t> hidden(tone.begin(), tone.begin() + 26);  // its header up to the lacing
        std::vector<uint8_t> lacing = {30};
        for (size_t left = rate_1.size(); left > 0; left -= std::min<size_t>(left, 255))
            lacing.push_back(uint8_t(std::min<size_t>(left, 255)));
        if (rate_1.size() % 255 == 0) lacing.push_back(0);
        hidden.push_back(uint8_t(lacing.size()));
        hidden.insert(hidden.end(), lacing.begin(), lacing.end());
        hidden.insert(hidden.end(), tone.begin() + 28, tone.begin() + 58);  // the identification header
        hidden.insert(hidden.end(), rate_1.begin(), rate_1.end());
        ASSERT_LT(lacing.size(), 256u);
        sound_test::write_bytes(file("hidden-rate-1.ogg"), hidden);
        // Other formats SDL_mixer reads whatever the name, at 2 Hz: AIFF (its
        // rate an 80-bit float) and a Creative Voice file (a block of type 9).
        auto big_endian = [](std::vector<uint8_t>& out, uint64_t value, int bytes) {
            for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
        };
        std::vector<uint8_t> aiff = {'F', 'O', 'R', 'M', 0, 0, 0, 246, 'A', 'I', 'F', 'F', 'C', 'O', 'M', 'M', 0, 0, 0, 18, 0, 1};
        big_endian(aiff, 100, 4);                    // frames
        big_endian(aiff, 16, 2);                     // bits
        big_endian(aiff, 16384, 2);                  // 2 Hz: exponent 1
        big_endian(aiff, uint64_t(1) << 63, 8);
        for (char c : {'S', 'S', 'N', 'D'}) aiff.push_back(uint8_t(c));
        big_endian(aiff, 208, 4);
        aiff.resize(aiff.size() + 8);  // no offset, no block size
        aiff.resize(aiff.size() + 200, 1);
        sound_test::write_bytes(file("aiff-2hz.wav"), aiff);
        std::vector<uint8_t> voc(std::begin("Creative Voice File\x1a"), std::end("Creative Voice File\x1a") - 1);
        for (uint8_t b : {26, 0, 0x14, 0x01, 0x1f, 0x11, 9, 12 + 200, 0, 0, 2, 0, 0, 0, 16, 1, 4, 0, 0, 0, 0, 0})
            voc.push_back(b);
        voc.resize(voc.size() + 200, 1);
        voc.push_back(0);
        sound_test::write_bytes(file("voc-2hz.wav"), voc);
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }

    void SetUp() override {
        clear_error();
        rt::open_audio();
        // The mixer marks a paused channel with the tick count, so tick 0 would not pause.
        ASSERT_TRUE(eventually([] { return SDL_GetTicks() > 0; }));
        vp::set_ticks(10000);
    }

    void TearDown() override {
        clear_error();
        Mix_HaltChannel(-1);  // closed one-shots still sounding go with the next sweep
        rt::close_all_sounds();
        // A one-shot music may still sound, closed: a new open frees it.
        if (state.music.open && rt::sound_open(Text(file("short.wav")), nullptr) == 1) rt::sound_close(1);
        clear_error();
    }

    static std::string file(const char* name) { return folder + "/" + name; }
    static int32_t open(const char* name, const char* words) {
        return words ? rt::sound_open(Text(file(name)), Text(words)) : rt::sound_open(Text(file(name)), nullptr);
    }

    static inline std::string folder;
};

// ------------------------------------------------------------ capability words

TEST_F(Sound, SyncOpensAChunkWhateverItsCaseAndSpaces) {
    for (const char* words : {"sync", " Sync ", "SYNC", "sYnC   "}) {
        int32_t h = open("short.wav", words);
        EXPECT_NE(h, 0) << words;
        EXPECT_NE(h, 1) << words;
        EXPECT_EQ(slot_of(h).capabilities, rt::sound::cap_chunk) << words;
        EXPECT_FALSE(rt::error_pending()) << words;
    }
    EXPECT_FALSE(state.music.open);
    int32_t all = open("short.wav", "len , sync,PAUSE,  Vol");
    EXPECT_EQ(slot_of(all).capabilities, 15);
}

TEST_F(Sound, BadWordListsRaiseErrorFiveAndOpenNothing) {
    const int before = slots_in_use();
    for (const char* words : {"SYNC,SYNC", "SYNC,", ",SYNC", "SYNC,LOUD", " ", "VOL,vol", "SYNC;VOL"}) {
        EXPECT_EQ(open("short.wav", words), 0) << words;
        EXPECT_EQ(taken_error(), 5) << words;
    }
    EXPECT_EQ(slots_in_use(), before);
    EXPECT_FALSE(state.music.open);
}

TEST_F(Sound, SyncWithSetposGivesZeroWithoutError) {
    const int before = slots_in_use();
    EXPECT_EQ(open("short.wav", "SYNC,SETPOS"), 0);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(slots_in_use(), before);
}

// ------------------------------------------------------------ opening

TEST_F(Sound, WavAndOggLoadAsChunksAndAsMusic) {
    int32_t wav = open("short.wav", "sync");
    int32_t ogg = open("tone.ogg", "sync");
    EXPECT_NE(wav, 0);
    EXPECT_NE(ogg, 0);
    EXPECT_NE(wav, ogg);
    rt::sound::settle_decoding();
    EXPECT_GT(slot_of(ogg).chunk->alen, 0u);

    EXPECT_EQ(open("tone.ogg", nullptr), 1);
    EXPECT_EQ(Mix_GetMusicType(state.music.music), MUS_OGG);
    // One music at a time until it is closed.
    EXPECT_EQ(open("long.wav", ""), 0);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_close(1);
    EXPECT_FALSE(state.music.open);  // nothing played, so the sweep freed it
    EXPECT_EQ(open("long.wav", ""), 1);
    EXPECT_EQ(Mix_GetMusicType(state.music.music), MUS_WAV);
    rt::sound_close(1);

    // Other rates and formats convert to the mixer's; a Vorbis file cut in the
    // middle plays what it has.
    for (const char* name : {"u8-mono-11025.wav", "mono-44100.wav", "mono-44100.ogg", "11025.ogg", "cut-audio.ogg"}) {
        const int32_t chunk = open(name, "sync,len");
        ASSERT_NE(chunk, 0) << name;
        rt::sound::settle_decoding();
        ASSERT_NE(slot_of(chunk).chunk, nullptr) << name;
        if (name[0] == 'c') {
            EXPECT_GT(rt::sound_length(chunk), 1.0);
            EXPECT_LT(rt::sound_length(chunk), 2.95);
        } else {
            EXPECT_NEAR(rt::sound_length(chunk), 0.2, 0.01) << name;
        }
        rt::sound_play_file(Text(file(name)), false, 1, false);
        EXPECT_TRUE(state.music.open) << name;
    }
    EXPECT_FALSE(rt::error_pending());
}

// A Vorbis chunk opens at once and decodes beside the game: a loop asked for at
// once starts when the sound is there, and anything else done to it, or any
// other file opened, waits for the decode first.
TEST_F(Sound, OggChunkDecodesBesideTheGameAndStartsOnceDecoded) {
    rt::sound::hold_decoding(true);
    const int32_t ogg = open("tone.ogg", "sync,len");
    ASSERT_GT(ogg, 1);
    const int channel = channel_of(ogg);
    EXPECT_TRUE(rt::sound::decoding(channel));
    EXPECT_EQ(slot_of(ogg).chunk, nullptr);
    rt::sound_loop(ogg);
    EXPECT_TRUE(rt::sound::decoding(channel));
    EXPECT_EQ(Mix_Playing(channel), 0);
    rt::sound::hold_decoding(false);
    EXPECT_TRUE(eventually([&] { return Mix_Playing(channel) != 0; }));  // started by the worker
    EXPECT_EQ(rt::sound_playing(ogg), -1);
    EXPECT_FALSE(rt::sound::decoding(channel));
    EXPECT_EQ(slot_of(ogg).looping, 1);
    Mix_Chunk* direct = Mix_LoadWAV(file("tone.ogg").c_str());
    ASSERT_NE(direct, nullptr);
    ASSERT_EQ(slot_of(ogg).chunk->alen, direct->alen);
    EXPECT_EQ(std::memcmp(slot_of(ogg).chunk->abuf, direct->abuf, direct->alen), 0);
    EXPECT_FLOAT_EQ(float(rt::sound_length(ogg)), float(direct->alen / 22050.0 / 4.0));
    Mix_FreeChunk(direct);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_NE(Mix_Playing(channel), 0);  // it loops past its 0.5 s
    rt::sound_stop(ogg);

    // Stopped, closed, or another file opened while the decode is held: each
    // waits for it (released a moment later by another thread).
    for (int how = 0; how < 3; ++how) {
        rt::sound::hold_decoding(true);
        const int32_t handle = open("tone.ogg", "sync");
        std::thread release([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            rt::sound::hold_decoding(false);
        });
        if (how == 0) {
            rt::sound_play(handle);
            rt::sound_stop(handle);
            EXPECT_EQ(rt::sound_playing(handle), 0);
            EXPECT_EQ(Mix_Playing(channel_of(handle)), 0);
        } else if (how == 1) {
            const int before = slots_in_use();
            rt::sound_close(handle);
            EXPECT_EQ(slots_in_use(), before - 1);
        } else {
            const int32_t other = open("tone.ogg", "sync");
            EXPECT_NE(slot_of(handle).chunk, nullptr);
            EXPECT_TRUE(rt::sound::decoding(channel_of(other)));
            rt::sound::settle_decoding();
            EXPECT_EQ(slot_of(other).chunk->alen, slot_of(handle).chunk->alen);
        }
        release.join();
        EXPECT_FALSE(rt::error_pending());
    }
}

// Handle 0 and no runtime error, whatever a damaged file declares; stderr names
// each file once, with the reason.
TEST_F(Sound, MissingOrCorruptFilesGiveHandleZeroAndOneLineEach) {
    const int before = slots_in_use();
    testing::internal::CaptureStderr();
    const std::vector<const char*> names = {"missing.wav",  "garbage.wav",    "empty.wav",      "cut.wav",
                                            "cut.ogg",      "rate-1.wav",     "rate-2g.wav",    "channels-0.wav",
                                            "junk-first.wav", "data-4gb.wav", "no-data.wav",    "rate-1.ogg",
                                            "hidden-rate-1.ogg", "aiff-2hz.wav", "voc-2hz.wav"};
    for (const char* name : names) {
        EXPECT_EQ(open(name, "sync"), 0) << name;
        EXPECT_EQ(open(name, nullptr), 0) << name;
        EXPECT_EQ(open(name, "len"), 0) << name;
        rt::sound_play_file(Text(file(name)), false, 1, false);
        rt::sound_play_file(Text(file(name)), true, 1, false);
    }
    EXPECT_EQ(rt::sound_open(Text(folder), Text("sync")), 0);  // a folder
    EXPECT_EQ(rt::sound_open(Text(""), Text("sync")), 0);
    EXPECT_EQ(rt::sound_open(nullptr, nullptr), 0);
    // A name cannot carry a 0 byte: it must not open the file named by its first part.
    std::string with_zero = file("short.wav");
    with_zero += '\0';
    with_zero += "x";
    EXPECT_EQ(rt::sound_open(Text(with_zero), Text("sync")), 0);
    EXPECT_NE(open("short.wav", "sync"), 0);
    std::string expected;
    for (const char* name : names)
        expected += "Unable to load sound " + file(name) + (name[0] == 'm' ? ": not found\n" : ": damaged\n");
    expected += "Unable to load sound " + folder + ": not a file\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(slots_in_use(), before + 1);
    EXPECT_FALSE(state.music.open);
}

TEST_F(Sound, ChunkLengthIsBytesOverRateAndFrameSize) {
    int32_t wav = open("short.wav", "sync,len");
    EXPECT_FLOAT_EQ(float(rt::sound_length(wav)), 0.1f);
    int32_t ogg = open("tone.ogg", "sync,len");
    double ogg_length = rt::sound_length(ogg);
    EXPECT_FLOAT_EQ(float(ogg_length), float(slot_of(ogg).chunk->alen / 22050.0 / 4.0));
    EXPECT_NEAR(ogg_length, 0.5, 0.05);

    int32_t plain = open("short.wav", "sync");
    EXPECT_EQ(rt::sound_length(plain), 0);
    EXPECT_EQ(taken_error(), 5);

    EXPECT_EQ(open("long.wav", "LEN"), 1);
    EXPECT_FLOAT_EQ(float(rt::sound_length(1)), 3.0f);
    rt::sound_close(1);
    EXPECT_EQ(open("long.wav", nullptr), 1);
    EXPECT_EQ(rt::sound_length(1), 0);
    EXPECT_EQ(taken_error(), 5);
}

TEST_F(Sound, HandlesCountUpNeverZeroOrOneNorOneStillOpen) {
    int32_t a = open("short.wav", "sync");
    int32_t b = open("short.wav", "sync");
    EXPECT_EQ(b, a + 1);

    state.next_handle = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(open("short.wav", "sync"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(open("short.wav", "sync"), std::numeric_limits<int32_t>::min());
    state.next_handle = -1;
    EXPECT_EQ(open("short.wav", "sync"), -1);
    EXPECT_EQ(state.next_handle, 2);  // 0 and 1 are passed over

    // After a wrap the counter passes over the handles still in use.
    state.next_handle = a;
    int32_t fresh = open("short.wav", "sync");
    EXPECT_NE(fresh, a);
    EXPECT_NE(fresh, b);
    int same = 0;
    for (const auto& slot : state.slots) same += slot.handle == fresh;
    EXPECT_EQ(same, 1);
}

TEST_F(Sound, NoFreeSlotGivesZeroWithoutError) {
    std::vector<int32_t> handles;
    while (slots_in_use() < rt::sound::slot_count) {
        int32_t h = open("short.wav", "sync");
        ASSERT_NE(h, 0);
        handles.push_back(h);
    }
    EXPECT_EQ(open("short.wav", "sync"), 0);
    EXPECT_EQ(rt::sound_copy(handles.front()), 0);
    EXPECT_FALSE(rt::error_pending());
    rt::sound_close(handles.back());
    EXPECT_NE(open("short.wav", "sync"), 0);
}

// ------------------------------------------------------------ play, loop, stop

void count_done(int, void* count) { ++*static_cast<int*>(count); }
void pass_through(int, void*, int, void*) {}

TEST_F(Sound, LoopOnALoopingSoundRestartsIt) {
    int32_t h = open("long.wav", "sync");
    const int channel = channel_of(h);
    rt::sound_loop(h);
    EXPECT_EQ(rt::sound_playing(h), -1);
    EXPECT_EQ(Mix_Playing(channel), 1);
    EXPECT_EQ(slot_of(h).looping, 1);

    int halted = 0;
    ASSERT_NE(Mix_RegisterEffect(channel, pass_through, count_done, &halted), 0);
    vp::advance(700);
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 0.7);
    rt::sound_loop(h);
    EXPECT_EQ(halted, 1);  // the channel was halted and started afresh
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 0.0);
    EXPECT_EQ(Mix_Playing(channel), 1);
    EXPECT_EQ(slot_of(h).looping, 1);
    EXPECT_FALSE(rt::error_pending());
}

TEST_F(Sound, StopThenLoopStartsFromTheBeginning) {
    int32_t h = open("long.wav", "sync");
    rt::sound_loop(h);
    vp::advance(300);
    rt::sound_stop(h);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 0);
    EXPECT_EQ(rt::sound_playing(h), 0);
    EXPECT_EQ(rt::sound_position(h), 0);
    vp::advance(1000);
    rt::sound_loop(h);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 1);
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 0.0);
    vp::advance(250);
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 0.25);
}

TEST_F(Sound, HandleZeroIsIgnoredByEveryOperation) {
    rt::sound_stop(0);
    rt::sound_loop(0);
    rt::sound_play(0);
    rt::sound_close(0);
    rt::sound_volume(0, 5.0f);
    rt::sound_pause(0);
    rt::sound_play_limit(0, -1);
    rt::sound_set_position(0, -1);
    rt::sound_balance(0, 1, 1, 1);
    rt::sound_play_copy(0, 7, true);
    EXPECT_EQ(rt::sound_length(0), 0);
    EXPECT_EQ(rt::sound_position(0), 0);
    EXPECT_EQ(rt::sound_copy(0), 0);
    EXPECT_EQ(rt::sound_paused(0), 0);
    EXPECT_EQ(rt::sound_playing(0), 0);
    EXPECT_FALSE(rt::error_pending());
}

TEST_F(Sound, ClosedOrUnknownHandlesRaiseErrorFive) {
    int32_t h = open("short.wav", "sync");
    rt::sound_close(h);
    rt::sound_stop(h);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_close(h);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_stop(987654);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_loop(987654);
    EXPECT_EQ(taken_error(), 5);
    // No music is open.
    for (auto operation : {rt::sound_play, rt::sound_loop, rt::sound_stop, rt::sound_close}) {
        operation(1);
        EXPECT_EQ(taken_error(), 5);
    }
}

TEST_F(Sound, PendingErrorMakesEveryOperationANoOp) {
    int32_t h = open("long.wav", "sync,vol");
    rt::sound_loop(h);
    const int before = slots_in_use();
    rt::raise_error(9);
    rt::sound_stop(h);
    rt::sound_close(h);
    rt::sound_volume(h, 0.5f);
    rt::sound_play_file(Text(file("short.wav")), true, 1, false);
    rt::close_all_sounds();
    EXPECT_EQ(open("short.wav", "sync"), 0);
    EXPECT_EQ(open("short.wav", "BAD"), 0);
    EXPECT_EQ(rt::pending_error.load(), 9);
    EXPECT_EQ(slots_in_use(), before);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 1);
    EXPECT_EQ(slot_of(h).closed, 0);
    EXPECT_EQ(Mix_Volume(channel_of(h), -1), 128);
    EXPECT_FALSE(state.music.open);
}

// ------------------------------------------------------------ one-shots

TEST_F(Sound, PlayFileWithoutSyncCutsOffTheEarlierOne) {
    rt::sound_play_file(Text(file("long.wav")), false, 1, false);
    EXPECT_TRUE(state.music.open);
    EXPECT_TRUE(state.music.closed);
    EXPECT_TRUE(state.music.playing);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(Mix_GetMusicType(nullptr), MUS_WAV);

    rt::sound_play_file(Text(file("tone.ogg")), false, 1, false);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(Mix_GetMusicType(nullptr), MUS_OGG);  // the stream now sounding is the second
    EXPECT_TRUE(state.music.closed);
}

TEST_F(Sound, PlayFileWithSyncPlaysToItsEndAndALaterSweepFreesIt) {
    const int before = slots_in_use();
    rt::sound_play_file(Text(file("short.wav")), true, 0.5, true);
    ASSERT_EQ(slots_in_use(), before + 1);
    int channel = -1;
    for (int i = 0; i < rt::sound::slot_count; ++i)
        if (state.slots[size_t(i)].handle != 0 && state.slots[size_t(i)].closed) channel = i;
    ASSERT_GE(channel, 0);
    EXPECT_EQ(state.slots[size_t(channel)].capabilities, rt::sound::cap_chunk | rt::sound::cap_vol);
    EXPECT_EQ(Mix_Volume(channel, -1), 64);
    EXPECT_TRUE(eventually([&] { return Mix_Playing(channel) == 0; }));
    EXPECT_EQ(slots_in_use(), before + 1);  // nothing has swept yet

    rt::sound_close(open("short.wav", "sync"));
    EXPECT_EQ(slots_in_use(), before);

    rt::sound_play_file(Text(file("short.wav")), true, 1.5, true);
    EXPECT_EQ(taken_error(), 5);
    EXPECT_EQ(slots_in_use(), before);
}

// ------------------------------------------------------------ volume, pause, limit

TEST_F(Sound, VolumeNeedsVolAndAValueFromZeroToOne) {
    int32_t plain = open("short.wav", "sync");
    rt::sound_volume(plain, 0.5f);
    EXPECT_EQ(taken_error(), 5);

    int32_t h = open("short.wav", "sync,vol");
    const int channel = channel_of(h);
    rt::sound_volume(h, 0.5f);
    EXPECT_EQ(Mix_Volume(channel, -1), 64);
    rt::sound_volume(h, 1.0f);
    EXPECT_EQ(Mix_Volume(channel, -1), 128);
    rt::sound_volume(h, 0.0f);
    EXPECT_EQ(Mix_Volume(channel, -1), 0);
    for (float bad : {1.01f, -0.1f, std::nanf("")}) {
        rt::sound_volume(h, bad);
        EXPECT_EQ(taken_error(), 5);
    }
    EXPECT_EQ(Mix_Volume(channel, -1), 0);

    EXPECT_EQ(open("long.wav", "vol"), 1);
    rt::sound_volume(1, 0.25f);
    EXPECT_EQ(Mix_VolumeMusic(-1), 32);
}

TEST_F(Sound, PauseHoldsThePositionAndPlayResumes) {
    int32_t plain = open("long.wav", "sync");
    rt::sound_play(plain);
    rt::sound_pause(plain);
    EXPECT_EQ(taken_error(), 5);

    int32_t h = open("long.wav", "sync,pause");
    rt::sound_pause(h);  // not playing: nothing
    EXPECT_EQ(rt::sound_paused(h), 0);
    rt::sound_loop(h);
    vp::advance(1000);
    rt::sound_pause(h);
    EXPECT_EQ(rt::sound_paused(h), -1);
    EXPECT_EQ(rt::sound_playing(h), 0);
    EXPECT_EQ(Mix_Paused(channel_of(h)), 1);
    vp::advance(5000);
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 1.0);
    rt::sound_play(h);
    EXPECT_EQ(rt::sound_paused(h), 0);
    EXPECT_EQ(rt::sound_playing(h), -1);
    EXPECT_EQ(Mix_Paused(channel_of(h)), 0);
    EXPECT_EQ(slot_of(h).looping, 1);  // resumed, not restarted
    vp::advance(500);
    EXPECT_DOUBLE_EQ(rt::sound_position(h), 1.5);

    // The music the same way.
    ASSERT_EQ(open("long.wav", "pause"), 1);
    rt::sound_play(1);
    vp::advance(400);
    rt::sound_pause(1);
    EXPECT_EQ(Mix_PausedMusic(), 1);
    EXPECT_EQ(rt::sound_paused(1), -1);
    vp::advance(3000);
    EXPECT_DOUBLE_EQ(rt::sound_position(1), 0.4);
    rt::sound_play(1);
    EXPECT_EQ(Mix_PausedMusic(), 0);
    EXPECT_EQ(rt::sound_playing(1), -1);
    EXPECT_DOUBLE_EQ(rt::sound_position(1), 0.4);
}

TEST_F(Sound, ChunkPlayLimitEndsThePlayAndForbidsLooping) {
    int32_t h = open("long.wav", "sync");
    rt::sound_play_limit(h, -0.5);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_play_limit(h, 0.05);
    rt::sound_loop(h);
    EXPECT_EQ(taken_error(), 5);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 0);
    rt::sound_play(h);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 1);
    // The chunk lasts 3 s; the limit ends it long before.
    EXPECT_TRUE(eventually([&] { return Mix_Playing(channel_of(h)) == 0; }, 2000));
}

TEST_F(Sound, MusicPlayLimitIsEnforcedByTheDisplayThreadTest) {
    EXPECT_EQ(open("long.wav", nullptr), 1);
    rt::sound_play_limit(1, 0.5);
    rt::sound_play(1);
    vp::advance(499);
    rt::sound_check_music_limit();
    EXPECT_EQ(rt::sound_playing(1), -1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    vp::advance(1);
    std::thread display([] { rt::sound_check_music_limit(); });
    display.join();
    EXPECT_EQ(rt::sound_playing(1), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    rt::sound_loop(1);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_play_limit(1, 0);
    rt::sound_loop(1);
    vp::advance(5000);
    rt::sound_check_music_limit();
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

// ------------------------------------------------------------ set position (MP3 streams)

TEST_F(Sound, SetposNeedsAnMp3Stream) {
    EXPECT_EQ(open("tone.ogg", "setpos"), 0);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_FALSE(state.music.open);

    ASSERT_EQ(open("tune.mp3", "SETPOS"), 1);
    int32_t chunk = open("short.wav", "sync");
    rt::sound_set_position(chunk, 0.5);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_set_position(1, -0.5);
    EXPECT_EQ(taken_error(), 5);

    rt::sound_set_position(1, 0.5);  // kept for the next start
    EXPECT_FALSE(rt::error_pending());
    rt::sound_play(1);
    EXPECT_DOUBLE_EQ(rt::sound_position(1), 0.5);
    EXPECT_EQ(state.music.start_position, 0);
    rt::sound_set_position(1, 1.25);  // while playing: seeks at once
    EXPECT_DOUBLE_EQ(rt::sound_position(1), 1.25);

    rt::sound_loop(1);
    rt::sound_set_position(1, 0.5);
    EXPECT_EQ(taken_error(), 5);
}

// ------------------------------------------------------------ balance, copies, close all

TEST_F(Sound, PlacementAngleAndDistance) {
    auto angle = [](float x, float y, float z) { return rt::sound::placement(x, y, z).angle; };
    auto distance = [](float x, float y, float z) { return rt::sound::placement(x, y, z).distance; };
    EXPECT_EQ(angle(0, 0, 0), 0);
    EXPECT_EQ(distance(0, 0, 0), 0);
    EXPECT_EQ(angle(1, 0, 0), 90);
    EXPECT_EQ(angle(0, 0, -1), 180);
    EXPECT_EQ(angle(-1, 0, 0), 270);
    EXPECT_EQ(angle(-0.001f, 0, 1), 0);  // 359.94 rounds to 360, which is 0
    EXPECT_EQ(angle(1, 0, 1), 45);
    EXPECT_EQ(distance(10, 0, 10), 3);  // 14.14 / 3.90625
    EXPECT_EQ(distance(0, 5000, 0), 255);
}

TEST_F(Sound, BalanceNeedsVolAndFadesTheMusicWithDistance) {
    int32_t plain = open("short.wav", "sync");
    rt::sound_balance(plain, 1, 0, 1);
    EXPECT_EQ(taken_error(), 5);
    int32_t h = open("long.wav", "sync,vol");
    rt::sound_balance(h, 3, 0, 4);
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(slot_of(h).z, 4.0f);
    rt::sound_play(h);
    EXPECT_EQ(Mix_Playing(channel_of(h)), 1);

    ASSERT_EQ(open("long.wav", "vol"), 1);
    rt::sound_balance(1, 0, 0, 500);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    rt::sound_volume(1, 0.5f);
    EXPECT_EQ(Mix_VolumeMusic(-1), 32);
    rt::sound_balance(1, 0, 0.5f, 0);  // nearer than 1 counts as 0
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    rt::sound_balance(1, 0, 0, 5000);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
}

TEST_F(Sound, CopiesShareTheChunkUntilTheLastOneGoes) {
    int32_t a = open("short.wav", "sync,vol");
    int32_t c = rt::sound_copy(a);
    ASSERT_NE(c, 0);
    EXPECT_NE(c, a);
    EXPECT_EQ(slot_of(c).chunk, slot_of(a).chunk);
    EXPECT_EQ(slot_of(c).capabilities, slot_of(a).capabilities);
    rt::sound_close(a);
    EXPECT_LT(rt::sound::find_slot(a), 0);
    rt::sound_play(c);  // still has its samples
    EXPECT_EQ(Mix_Playing(channel_of(c)), 1);

    rt::sound_copy(a);
    EXPECT_EQ(taken_error(), 5);
    ASSERT_EQ(open("long.wav", nullptr), 1);
    EXPECT_EQ(rt::sound_copy(1), 0);
    EXPECT_EQ(taken_error(), 5);

    const int before = slots_in_use();
    rt::sound_play_copy(c, 0.5, true);
    EXPECT_EQ(slots_in_use(), before + 1);
    int copy_channel = -1;
    for (int i = 0; i < rt::sound::slot_count; ++i)
        if (state.slots[size_t(i)].handle != 0 && state.slots[size_t(i)].closed) copy_channel = i;
    ASSERT_GE(copy_channel, 0);
    EXPECT_EQ(Mix_Volume(copy_channel, -1), 64);
    EXPECT_EQ(Mix_Playing(copy_channel), 1);
}

TEST_F(Sound, CloseAllSoundsStopsAndFreesEverything) {
    int32_t looping = open("long.wav", "sync");
    rt::sound_loop(looping);
    int32_t idle = open("short.wav", "sync");
    ASSERT_EQ(open("long.wav", nullptr), 1);
    rt::sound_loop(1);
    rt::close_all_sounds();
    EXPECT_FALSE(rt::error_pending());
    EXPECT_EQ(slots_in_use(), 0);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_FALSE(state.music.open);
    rt::sound_stop(looping);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_stop(idle);
    EXPECT_EQ(taken_error(), 5);
    rt::sound_stop(1);
    EXPECT_EQ(taken_error(), 5);
}

// ------------------------------------------------------------ tones

TEST_F(Sound, ToneSoundsOnTheSilentChunksChannel) {
    rt::play_tone(783.99, 0.2);
    const int channel = channel_of(state.tone_handle);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(state.slots[size_t(channel)].chunk->alen, 32768u);
    EXPECT_EQ(Mix_Playing(channel), 1);
    ASSERT_NE(Mix_GetChunk(channel), nullptr);
    EXPECT_EQ(Mix_GetChunk(channel)->alen, 4410u * 4u);  // 0.2 s of 16-bit stereo
    EXPECT_EQ(rt::sound_playing(state.tone_handle), 0);  // the slot itself stays silent

    Mix_HaltChannel(channel);
    rt::play_tone(0, 0.2);
    rt::play_tone(-5, 0.2);
    rt::play_tone(std::nan(""), 0.2);
    rt::play_tone(440, 0);
    rt::play_tone(20000, 0.2);
    EXPECT_EQ(Mix_Playing(channel), 0);
    EXPECT_FALSE(rt::error_pending());

    // Once every sound has been closed the tone finds itself a new channel.
    rt::close_all_sounds();
    rt::play_tone(440, 0.1);
    const int again = channel_of(state.tone_handle);
    ASSERT_GE(again, 0);
    EXPECT_EQ(Mix_Playing(again), 1);
    EXPECT_EQ(Mix_GetChunk(again)->alen, 2205u * 4u);
}

}  // namespace
