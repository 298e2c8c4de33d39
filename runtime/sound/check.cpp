// The checks a WAV or Ogg Vorbis file passes before SDL_mixer sees it. Neither
// SDL 1.2's WAV loader nor its audio conversion checks what a file declares: a
// format chunk shorter than its 16 bytes is read past its end, every chunk is
// allocated at its declared size before it is read, and a sample rate far from
// the mixer's (0, 1 Hz, 2^31 Hz) or no channels at all add rate or channel
// steps past the end of the converter's fixed list of ten (memory overwritten,
// or an endless loop). The Vorbis loader allocates the whole sound at the size
// the last page claims. So the file's own fields are held to what the loaders
// and the converter handle, the way pictures are checked before they are read.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "runtime/sound/sound_internal.h"

namespace rt::sound {

namespace {

uint32_t le16(const uint8_t* p) { return p[0] | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
uint64_t le64(const uint8_t* p) { return le32(p) | uint64_t(le32(p + 4)) << 32; }

bool starts_with(const std::vector<uint8_t>& bytes, const char* magic) {
    const size_t n = std::strlen(magic);
    return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}

// Sample rates of ordinary files, from old 4 kHz voice recordings to 192 kHz
// studio ones; within it the converter never needs more than five rate steps.
constexpr uint32_t min_rate = 4000;
constexpr uint32_t max_rate = 192000;
// A sound decoded whole is held at most this large once converted: the
// converter's buffer size is an int, and no sound of the game comes near it.
constexpr uint64_t max_converted_bytes = uint64_t(1) << 30;
// SDL 1.2's converter holds up to nine steps and the list's closing null.
constexpr int max_steps = 9;

// Channel counts the converter turns into the mixer's stereo (4 and 6 by
// halving or stripping, one step each).
bool mixable_channels(uint32_t channels) { return channels == 1 || channels == 2 || channels == 4 || channels == 6; }

// How SDL 1.2 converts `bits`-bit samples of `channels` channels at `rate` to
// the mixer's format: whether its list of steps fits and how many times larger
// than the source its work buffer gets. The rate steps halve or double until
// the two rates are within a factor of two, as its converter builds them.
struct Conversion {
    bool fits = false;
    uint64_t growth = 1;
};

Conversion conversion(uint32_t bits, uint32_t channels, uint32_t rate, OutputFormat out) {
    Conversion c;
    int steps = 0;
    if (bits == 8) {  // unsigned 8-bit: a sign step and a widening step
        steps += 2;
        c.growth *= 2;
    }
    if (channels != uint32_t(out.channels)) {
        ++steps;
        if (channels < uint32_t(out.channels)) c.growth *= 2;
    }
    const uint64_t to = uint64_t(out.rate > 0 ? out.rate : mixer_rate);
    if (rate / 100 != to / 100) {
        uint64_t low = rate < to ? rate : to;
        const uint64_t high = rate < to ? to : rate;
        while ((low * 2) / 100 <= high / 100) {
            if (low == 0 || ++steps > max_steps) return c;
            low *= 2;
            if (rate < to) c.growth *= 2;
        }
    }
    c.fits = steps <= max_steps;
    return c;
}

bool fits_whole(uint64_t source_bytes, const Conversion& c) {
    return c.fits && source_bytes <= max_converted_bytes / c.growth;
}

// ------------------------------------------------------------ WAV

constexpr uint32_t pcm_encoding = 1;

// As SDL 1.2 reads a RIFF file: "fact" and "LIST" chunks may come before the
// format chunk and anything may come between it and the data, each chunk read
// whole at its declared length without the pad byte of an odd one. The mixer's
// WAV stream reads the same way. Only PCM is taken: the ADPCM decoders of SDL
// 1.2 builds not patched since 2019 read and write past their buffers.
bool wav_is_playable(const std::vector<uint8_t>& bytes, bool whole, OutputFormat out) {
    const uint8_t* p = bytes.data();
    const size_t n = bytes.size();
    if (n < 12 || std::memcmp(p + 8, "WAVE", 4) != 0) return false;
    size_t at = 12;
    // The next chunk: its name and length, false when it does not lie within the file.
    auto next = [&](const uint8_t*& name, uint32_t& length) {
        if (n - at < 8) return false;
        name = p + at;
        length = le32(p + at + 4);
        if (n - at - 8 < length) return false;
        at += 8;
        return true;
    };
    const uint8_t* name = nullptr;
    uint32_t length = 0;
    for (;;) {
        if (!next(name, length)) return false;
        if (std::memcmp(name, "fmt ", 4) == 0) break;
        if (std::memcmp(name, "fact", 4) != 0 && std::memcmp(name, "LIST", 4) != 0) return false;
        at += length;
    }
    if (length < 16) return false;
    const uint8_t* format = p + at;
    const uint32_t encoding = le16(format), channels = le16(format + 2), rate = le32(format + 4);
    const uint32_t block_align = le16(format + 12), bits = le16(format + 14);
    if (encoding != pcm_encoding || !mixable_channels(channels) || rate < min_rate || rate > max_rate ||
        (bits != 8 && bits != 16) || block_align != channels * bits / 8)
        return false;
    at += length;
    do {
        if (!next(name, length)) return false;
        at += length;
    } while (std::memcmp(name, "data", 4) != 0);
    if (length < block_align) return false;  // not one sample
    const Conversion c = conversion(bits, channels, rate, out);
    return whole ? fits_whole(length, c) : c.fits;
}

// ------------------------------------------------------------ Ogg Vorbis

// One logical Vorbis stream of the file (a chained file has several in turn).
struct Link {
    uint32_t serial = 0;
    uint32_t channels = 0, rate = 0;
    uint64_t half_block = 0;  // the most samples one packet can add
    uint64_t packets = 0;     // packets completed, the three headers included
    bool partial = false;     // a packet continues on the next page
    int64_t last_granule = -1;  // of the last page that had one
    uint64_t packets_at_last = 0;  // audio packets completed by that page
};

constexpr uint64_t header_packets = 3;

// The identification header: the stream's channels, rate and block sizes.
bool read_identification(const uint8_t* packet, size_t length, Link& link, OutputFormat out) {
    if (length < 30 || packet[0] != 1 || std::memcmp(packet + 1, "vorbis", 6) != 0 || le32(packet + 7) != 0)
        return false;
    const uint32_t channels = packet[11], rate = le32(packet + 12);
    const uint32_t small = packet[28] & 15, large = packet[28] >> 4;
    if (!mixable_channels(channels) || rate < min_rate || rate > max_rate || small < 6 || large > 13 ||
        small > large || (packet[29] & 1) == 0)
        return false;
    if (!conversion(16, channels, rate, out).fits) return false;
    link.channels = channels;
    link.rate = rate;
    link.half_block = uint64_t(1) << (large - 1);
    return true;
}

// Ogg's page checksum: CRC-32 of polynomial 0x04C11DB7, not reflected, over
// the whole page with its checksum field taken as zero.
constexpr std::array<uint32_t, 256> crc_table = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        table[i] = r;
    }
    return table;
}();

uint32_t page_checksum(const uint8_t* page, size_t length) {
    uint32_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t byte = (i >= 22 && i < 26) ? 0 : page[i];
        crc = (crc << 8) ^ crc_table[(crc >> 24) ^ byte];
    }
    return crc;
}

// What the Ogg reader makes of the bytes at `at`: a page (its length), no page
// (a capture pattern that is not one, or a wrong checksum: the reader looks for
// the next 'O' after it), or the end of what it reads (a page cut by the end of
// the file, or fewer bytes than a page header).
constexpr size_t no_page = 0;
constexpr size_t cut_page = SIZE_MAX;

size_t page_at(const uint8_t* p, size_t n, size_t at) {
    if (n - at < 27) return cut_page;
    if (std::memcmp(p + at, "OggS", 4) != 0) return no_page;
    const size_t segments = p[at + 26];
    if (n - at - 27 < segments) return cut_page;
    size_t length = 27 + segments;
    for (size_t i = 0; i < segments; ++i) length += p[at + 27 + i];
    if (n - at < length) return cut_page;
    return page_checksum(p + at, length) == le32(p + at + 22) ? length : no_page;
}

// The pages as the Vorbis reader finds them, reading on from the start: bytes
// that are no page, and pages whose checksum is wrong, are skipped to the next
// capture pattern after their start, and a page cut by the end of the file
// ends the stream (the sound plays up to there). Every stream must be Vorbis
// the mixer can convert. A page's granule position says how many samples the
// stream has decoded by its end, and the mixer allocates a sound decoded whole
// by the last one: each may grow from the one before by at most a long
// block's half per packet in between, so that the claim stays within what the
// packets can hold.
//
// The reader also seeks, and from anywhere in the file it takes the first
// page with a right checksum: a page inside another page's body, or after a
// page cut by the end, is one it finds only then, and reading on from there it
// plays a stream no header seen above describes (a rate of 1 Hz, and SDL 1.2's
// conversion runs past its list of steps). A file with such a page is refused.
bool ogg_is_playable(const std::vector<uint8_t>& bytes, bool whole, OutputFormat out) {
    const uint8_t* p = bytes.data();
    const size_t n = bytes.size();
    std::vector<Link> links;
    std::vector<size_t> pages;  // where the pages read on from the start begin
    size_t at = 0;
    while (at < n) {
        const size_t length = page_at(p, n, at);
        if (length == cut_page) break;
        if (length == no_page) {
            const void* found = std::memchr(p + at + 1, 'O', n - at - 1);
            if (found == nullptr) break;
            at = size_t(static_cast<const uint8_t*>(found) - p);
            continue;
        }
        pages.push_back(at);
        const size_t segments = p[at + 26];
        const uint8_t* lacing = p + at + 27;
        const uint8_t version = p[at + 4];
        const uint8_t flags = p[at + 5];
        const int64_t granule = int64_t(le64(p + at + 6));
        const uint32_t serial = le32(p + at + 14);
        const uint8_t* data = lacing + segments;
        at += length;
        if (version != 0) continue;  // a page the stream layer drops

        if (flags & 2) {  // a stream begins: its first packet is the identification header
            size_t packet = 0, i = 0;
            while (i < segments && lacing[i] == 255) packet += lacing[i++];
            if (i == segments) return false;
            packet += lacing[i];
            Link link;
            link.serial = serial;
            if (!read_identification(data, packet, link, out)) return false;
            links.push_back(link);
        }
        Link* link = nullptr;
        for (auto it = links.rbegin(); it != links.rend() && link == nullptr; ++it)
            if (it->serial == serial) link = &*it;
        if (link == nullptr) continue;  // another stream's page, which the reader skips
        for (size_t i = 0; i < segments; ++i) {
            if (lacing[i] == 255) {
                link->partial = true;
            } else {
                if (lacing[i] != 0 || link->partial) ++link->packets;
                link->partial = false;
            }
        }
        if (granule == -1 || link->packets <= header_packets) continue;
        if (granule < 0) return false;
        const uint64_t audio_packets = link->packets - header_packets;
        // The first granule may count from a start long before the file's.
        if (link->last_granule >= 0 &&
            (granule < link->last_granule ||
             uint64_t(granule - link->last_granule) > (audio_packets - link->packets_at_last) * link->half_block))
            return false;
        link->last_granule = granule;
        link->packets_at_last = audio_packets;
    }
    if (links.empty()) return false;
    for (const uint8_t* q = p; (q = static_cast<const uint8_t*>(std::memchr(q, 'O', n - size_t(q - p)))) != nullptr; ++q) {
        const size_t offset = size_t(q - p);
        if (std::binary_search(pages.begin(), pages.end(), offset)) continue;
        const size_t length = page_at(p, n, offset);
        if (length != no_page && length != cut_page) return false;
    }
    if (!whole) return true;
    // The whole sound, decoded at the first stream's format, every packet at its longest.
    uint64_t samples = 0;
    for (const Link& link : links) samples += link.packets * link.half_block;
    const Link& first = links.front();
    return samples <= max_converted_bytes &&
           fits_whole(samples * first.channels * 2, conversion(16, first.channels, first.rate, out));
}

bool has_ogg_name(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext == ".OGG";
}

}  // namespace

bool read_sound_file(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) return false;
    bool ok = true;
    try {
        constexpr size_t block = 65536;
        for (;;) {
            const size_t size = bytes.size();
            bytes.resize(size + block);
            const int got = SDL_RWread(file, bytes.data() + size, 1, int(block));
            bytes.resize(size + size_t(got > 0 ? got : 0));
            if (got <= 0) break;
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        ok = false;
    }
    SDL_RWclose(file);
    return ok && bytes.size() <= size_t(INT32_MAX);
}

bool is_ogg(const std::vector<uint8_t>& bytes) { return starts_with(bytes, "OggS"); }

bool sound_is_usable(const std::vector<uint8_t>& bytes, const std::string& path, bool whole, OutputFormat out) {
    // The mixer knows a WAV by its first four bytes; SDL 1.2 also takes one
    // that begins "WAVE" without the RIFF header, which nothing writes.
    if (starts_with(bytes, "WAVE")) return false;
    // AIFF (which the music stream also reads in a file named .wav) and Creative
    // Voice files reach SDL 1.2's conversion with whatever rate they declare: 2 Hz
    // overruns its list of steps as 1 Hz WAV did. The game's sounds are WAV and
    // Ogg Vorbis, so neither is taken.
    if (starts_with(bytes, "FORM") || starts_with(bytes, "Crea")) return false;
    if (starts_with(bytes, "RIFF") && !wav_is_playable(bytes, whole, out)) return false;
    // The music stream goes by the name first and the Vorbis reader looks for
    // the first page anywhere in the file.
    if ((is_ogg(bytes) || has_ogg_name(path)) && !ogg_is_playable(bytes, whole, out)) return false;
    return true;
}

OutputFormat output_format() {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) == 0 || rate <= 0 || channels <= 0) return {mixer_rate, 2};
    return {rate, channels};
}

}  // namespace rt::sound
