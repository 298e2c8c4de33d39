// WAV files through libsndfile, the Ogg Vorbis theme through libvorbisenc.
#include "assets/generator/sound_files.h"

#include <sndfile.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace assets {

namespace {

int16_t to_pcm(float v) {
    long s = std::lround(v * 32767.0f);
    if (s > 32767) s = 32767;
    if (s < -32767) s = -32767;
    return static_cast<int16_t>(s);
}

// A fixed stream serial number: random ones would change the file on every build.
constexpr int ogg_serial = 0x53564441;

}  // namespace

bool write_wav(const std::string& path, const Stereo& sound) {
    SF_INFO info{};
    info.samplerate = sample_rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<int16_t> frames(sound.frames() * 2);
    for (size_t i = 0; i < sound.frames(); ++i) {
        frames[2 * i] = to_pcm(sound.left[i]);
        frames[2 * i + 1] = to_pcm(sound.right[i]);
    }
    sf_count_t written = sf_writef_short(file, frames.data(), static_cast<sf_count_t>(sound.frames()));
    bool ok = written == static_cast<sf_count_t>(sound.frames());
    return sf_close(file) == 0 && ok;
}

bool write_ogg(const std::string& path, const Stereo& sound, float quality) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return false;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, sample_rate, quality) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(out);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Title theme");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, ogg_serial);

    bool ok = true;
    auto write_page = [&](const ogg_page& page) {
        ok = ok && std::fwrite(page.header, 1, page.header_len, out) == static_cast<size_t>(page.header_len);
        ok = ok && std::fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
    };

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) write_page(page);

    // Feed the samples in blocks, then the end of stream; drain whatever is ready.
    constexpr size_t block = 4096;
    size_t done = 0;
    bool end_of_stream = false;
    while (!end_of_stream) {
        size_t n = std::min(block, sound.frames() - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                buffer[0][i] = sound.left[done + i];
                buffer[1][i] = sound.right[done + i];
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (!end_of_stream && ogg_stream_pageout(&os, &page) != 0) {
                    write_page(page);
                    if (ogg_page_eos(&page)) end_of_stream = true;
                }
            }
        }
        if (n == 0 && !end_of_stream) {
            // All blocks are out: flush the last page.
            while (ogg_stream_flush(&os, &page) != 0) {
                write_page(page);
                if (ogg_page_eos(&page)) end_of_stream = true;
            }
            end_of_stream = true;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(out) == 0 && ok;
}

}  // namespace assets
