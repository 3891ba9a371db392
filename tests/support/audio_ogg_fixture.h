// Writes small Ogg Vorbis files for the music tests with libvorbisenc.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace wftest {

// A mono tone of `seconds` at `rate`, amplitude 0.5. False when encoding fails.
inline bool WriteOggTone(const std::filesystem::path& file, int rate, double seconds,
                         double hertz = 440.0) {
    FILE* out = std::fopen(file.string().c_str(), "wb");
    if (!out) return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    bool ok = vorbis_encode_init_vbr(&vi, 1, rate, 0.4f) == 0;
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    auto writePage = [&](const ogg_page& page) {
        ok = ok && std::fwrite(page.header, 1, page.header_len, out) ==
                       static_cast<size_t>(page.header_len);
        ok = ok &&
             std::fwrite(page.body, 1, page.body_len, out) == static_cast<size_t>(page.body_len);
    };
    if (ok) {
        vorbis_analysis_init(&vd, &vi);
        vorbis_block_init(&vd, &vb);
        ogg_stream_init(&os, 1);
        ogg_packet header, comment, code;
        vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
        ogg_stream_packetin(&os, &header);
        ogg_stream_packetin(&os, &comment);
        ogg_stream_packetin(&os, &code);
        while (ogg_stream_flush(&os, &og)) writePage(og);

        const long total = static_cast<long>(rate * seconds);
        long done = 0;
        bool eos = false;
        while (!eos) {
            const long n = std::min<long>(1024, total - done);
            if (n > 0) {
                float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
                for (long i = 0; i < n; ++i)
                    buffer[0][i] =
                        0.5f * static_cast<float>(std::sin(2 * M_PI * hertz * (done + i) / rate));
                vorbis_analysis_wrote(&vd, static_cast<int>(n));
                done += n;
            } else {
                vorbis_analysis_wrote(&vd, 0);
            }
            while (vorbis_analysis_blockout(&vd, &vb) == 1) {
                vorbis_analysis(&vb, nullptr);
                vorbis_bitrate_addblock(&vb);
                while (vorbis_bitrate_flushpacket(&vd, &op)) {
                    ogg_stream_packetin(&os, &op);
                    while (ogg_stream_pageout(&os, &og)) {
                        writePage(og);
                        if (ogg_page_eos(&og)) eos = true;
                    }
                }
            }
            if (n <= 0 && !eos) {
                while (ogg_stream_flush(&os, &og)) writePage(og);
                eos = true;
            }
        }
        ogg_stream_clear(&os);
        vorbis_block_clear(&vb);
        vorbis_dsp_clear(&vd);
    }
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(out) == 0 && ok;
}

}  // namespace wftest
