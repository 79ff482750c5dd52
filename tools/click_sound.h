// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The click that menu commands play (hit_ball.wav): the short "pock" of a
// tennis ball leaving the strings, synthesised so that the program ships a
// sound of its own. Standard C++ only; deterministic, so the committed file
// can be checked against a fresh synthesis.
namespace kvr {

inline constexpr int kClickSampleRate = 44100;
inline constexpr int kClickMilliseconds = 80;

// Mono 16-bit samples of the click at kClickSampleRate.
std::vector<std::int16_t> SynthesiseClick();

// A canonical 44-byte-header RIFF/WAVE file: PCM, one channel, 16 bits.
std::string EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

} // namespace kvr
