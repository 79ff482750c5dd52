// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped click sound: a WAV file every player accepts (RIFF/WAVE, PCM,
// consistent lengths), short, and the same as a fresh synthesis.
#include "click_sound.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::uint32_t U32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

struct Wav {
    std::uint16_t format = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::vector<std::int16_t> samples;
};

// Walks the chunks the way a player does; fails the test on any
// inconsistency instead of reading past the end.
Wav ParseWav(const std::string& bytes) {
    Wav wav;
    EXPECT_GE(bytes.size(), 12u);
    if (bytes.size() < 12) {
        return wav;
    }
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    EXPECT_EQ(U32(bytes, 4), bytes.size() - 8) << "RIFF size disagrees with the file size";

    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = U32(bytes, at + 4);
        EXPECT_LE(at + 8 + size, bytes.size()) << "chunk " << id << " runs past the end";
        if (at + 8 + size > bytes.size()) {
            return wav;
        }
        if (id == "fmt ") {
            EXPECT_GE(size, 16u);
            wav.format = U16(bytes, at + 8);
            wav.channels = U16(bytes, at + 10);
            wav.sampleRate = U32(bytes, at + 12);
            wav.byteRate = U32(bytes, at + 16);
            wav.blockAlign = U16(bytes, at + 20);
            wav.bits = U16(bytes, at + 22);
            haveFormat = true;
        } else if (id == "data") {
            EXPECT_TRUE(haveFormat) << "data chunk before the format chunk";
            EXPECT_EQ(size % 2, 0u);
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                wav.samples.push_back(static_cast<std::int16_t>(U16(bytes, at + 8 + i)));
            }
            haveData = true;
        }
        at += 8 + size + (size & 1u); // chunks are padded to even sizes
    }
    EXPECT_EQ(at, bytes.size()) << "trailing bytes after the last chunk";
    EXPECT_TRUE(haveFormat);
    EXPECT_TRUE(haveData);
    return wav;
}

const std::string kShippedWav = std::string(KAVORA_SOURCE_DIR) + "/resources/hit_ball.wav";

TEST(ClickSound, ShippedFileIsShortMonoPcm) {
    const std::string bytes = kvrtest::ReadFile(kShippedWav);
    ASSERT_FALSE(bytes.empty()) << kShippedWav;
    const Wav wav = ParseWav(bytes);

    EXPECT_EQ(wav.format, 1) << "not PCM";
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.sampleRate, 44100u);
    EXPECT_EQ(wav.blockAlign, wav.channels * wav.bits / 8);
    EXPECT_EQ(wav.byteRate, wav.sampleRate * wav.blockAlign);

    ASSERT_GT(wav.sampleRate, 0u);
    const double milliseconds = 1000.0 * wav.samples.size() / wav.sampleRate;
    EXPECT_GE(milliseconds, 60.0);
    EXPECT_LE(milliseconds, 120.0);
}

TEST(ClickSound, ShippedFileIsAudibleUnclippedAndEndsInSilence) {
    const Wav wav = ParseWav(kvrtest::ReadFile(kShippedWav));
    ASSERT_GT(wav.samples.size(), 100u);

    int peak = 0;
    int clipped = 0;
    for (std::int16_t sample : wav.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
        clipped += (sample == 32767 || sample == -32768) ? 1 : 0;
    }
    EXPECT_GT(peak, 8000) << "too quiet to hear";
    EXPECT_EQ(clipped, 0);
    // The loud part is at the start, and the tail fades to nothing.
    EXPECT_EQ(wav.samples.back(), 0);
    EXPECT_LE(std::abs(static_cast<int>(wav.samples[0])), 4000) << "the onset would pop";
}

// A change to the synthesis must be followed by regenerating the shipped file
// (target regenerate_click_sound). A difference of one step is allowed for
// rounding in another maths library.
TEST(ClickSound, ShippedFileMatchesTheSynthesis) {
    const Wav shipped = ParseWav(kvrtest::ReadFile(kShippedWav));
    const std::vector<std::int16_t> fresh = kvr::SynthesiseClick();
    ASSERT_EQ(shipped.samples.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        ASSERT_LE(std::abs(shipped.samples[i] - fresh[i]), 1) << "sample " << i;
    }
}

TEST(ClickSound, EncodedFileReadsBackExactly) {
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321};
    const std::string bytes = kvr::EncodeWav(samples, 22050);
    EXPECT_EQ(bytes.size(), 44u + 2 * samples.size());
    const Wav wav = ParseWav(bytes);
    EXPECT_EQ(wav.sampleRate, 22050u);
    EXPECT_EQ(wav.byteRate, 44100u);
    EXPECT_EQ(wav.samples, samples);

    // An empty sound is still a well-formed file.
    EXPECT_TRUE(ParseWav(kvr::EncodeWav({}, 44100)).samples.empty());
}

} // namespace
