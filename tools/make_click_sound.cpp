// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's click sound: make_click_sound <out.wav>
// The result is committed as resources/hit_ball.wav.
#include "click_sound.h"

#include <cstdio>
#include <fstream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out.wav>\n", argv[0]);
        return 2;
    }
    const std::string wav = kvr::EncodeWav(kvr::SynthesiseClick(), kvr::kClickSampleRate);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(wav.data(), static_cast<std::streamsize>(wav.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
