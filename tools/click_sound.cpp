// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kvr {
namespace {

// A small fixed noise source (xorshift32): the same bytes on every machine,
// unlike the standard library's distributions.
class Noise {
public:
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_ = 0x6b61766fu;
};

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
    }
}

} // namespace

std::vector<std::int16_t> SynthesiseClick() {
    constexpr double rate = kClickSampleRate;
    constexpr int count = kClickSampleRate * kClickMilliseconds / 1000;
    constexpr double twoPi = 2.0 * std::numbers::pi;

    // A two-pole resonator gives the noise the hollow ring of the ball's
    // felt and air; the raw noise burst is the crack of the impact.
    constexpr double bodyHz = 1250.0;
    const double radius = std::exp(-std::numbers::pi * 420.0 / rate);
    const double a1 = 2.0 * radius * std::cos(twoPi * bodyHz / rate);
    const double a2 = -radius * radius;
    double y1 = 0.0;
    double y2 = 0.0;

    Noise noise;
    std::vector<double> mix(count);
    double stringPhase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = i / rate;
        const double white = noise.Next();

        const double crack = white * std::exp(-t / 0.0018);

        const double body = a1 * y1 + a2 * y2 + white * std::exp(-t / 0.006);
        y2 = y1;
        y1 = body;

        // The strings ring briefly and drop in pitch as they settle.
        const double stringHz = 560.0 + 180.0 * std::exp(-t / 0.004);
        stringPhase += twoPi * stringHz / rate;
        const double strings = std::sin(stringPhase) * std::exp(-t / 0.011);

        // The low thump of the ball squashing, with a soft 1 ms onset.
        const double onset = std::min(1.0, t / 0.001);
        const double thump = std::sin(twoPi * 135.0 * t) * onset * std::exp(-t / 0.016);

        mix[i] = 0.55 * crack + 0.09 * body + 0.35 * strings + 0.75 * thump;
    }

    // A ramp of a few samples keeps the onset sharp without a pop.
    constexpr int ramp = 8;
    for (int i = 0; i < ramp; ++i) {
        mix[i] *= static_cast<double>(i + 1) / (ramp + 1);
    }

    // Fade the tail to silence so the sound never ends on a step.
    const int fade = static_cast<int>(rate * 0.012);
    for (int i = 0; i < fade; ++i) {
        const double x = static_cast<double>(i) / fade;
        mix[count - 1 - i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * x);
    }

    double peak = 0.0;
    for (double value : mix) {
        peak = std::max(peak, std::abs(value));
    }
    const double gain = peak > 0.0 ? 0.7 * 32767.0 / peak : 0.0; // about -3 dBFS

    std::vector<std::int16_t> samples(count);
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(mix[i] * gain));
    }
    return samples;
}

std::string EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVE";
    out += "fmt ";
    PutLittleEndian(out, 16, 4); // format chunk size
    PutLittleEndian(out, 1, 2);  // PCM
    PutLittleEndian(out, 1, 2);  // mono
    PutLittleEndian(out, static_cast<std::uint32_t>(sampleRate), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(sampleRate) * 2, 4); // bytes per second
    PutLittleEndian(out, 2, 2);                                          // bytes per frame
    PutLittleEndian(out, 16, 2);                                         // bits per sample
    out += "data";
    PutLittleEndian(out, dataBytes, 4);
    for (std::int16_t sample : samples) {
        PutLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    }
    return out;
}

} // namespace kvr
