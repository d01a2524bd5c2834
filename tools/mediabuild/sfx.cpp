// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The sfxr-like synthesizer: sound recipes read from text and rendered to samples.
#include "sfx.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace media {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool number(const std::string& s, double& v) {
    std::istringstream in(s);
    in >> v;
    return !in.fail() && in.eof() && std::isfinite(v);
}

// Repeatable white noise.
struct Noise {
    uint32_t state = 0x1234567u;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (state & 0xffffff) / double(0x800000) - 1.0;
    }
};

// Band-limited step correction (polyBLEP) for the jumps of the square and saw waves; without it
// high notes fold back as harsh, inharmonic whistles.
double polyBlep(double t, double dt) {
    if (dt <= 0) return 0;
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

void renderTone(const Tone& t, std::vector<double>& mix) {
    const double dt = 1.0 / kSampleRate;
    const size_t first = static_cast<size_t>(std::lround(t.start * kSampleRate));
    const size_t count = static_cast<size_t>(std::ceil(t.length() * kSampleRate));
    if (mix.size() < first + count) mix.resize(first + count, 0.0);
    const double f1 = t.freqEnd > 0 ? t.freqEnd : t.freq;
    const double d1 = t.dutyEnd >= 0 ? t.dutyEnd : t.duty;
    const double lp1 = t.lowpassEnd > 0 ? t.lowpassEnd : t.lowpass;
    double phase = 0, lp = 0, hpIn = 0, hpOut = 0, held = 0;
    Noise noise;
    for (size_t i = 0; i < count; ++i) {
        double time = i * dt;
        double u = std::min(1.0, time / std::max(t.length(), dt));
        double f = t.freq * std::pow(f1 / t.freq, u);
        if (t.arpAt >= 0 && time >= t.arpAt) f *= t.arpMult;
        if (t.vibrato > 0) f *= 1 + t.vibrato * std::sin(2 * kPi * t.vibratoRate * time);
        double prev = phase;
        phase += f * dt;
        if (phase >= 1) phase -= std::floor(phase);
        double duty = t.duty + (d1 - t.duty) * u;
        double s = 0;
        switch (t.wave) {
            case Wave::Square: {
                double step = std::min(f * dt, 0.5);
                s = (phase < duty ? 1.0 : -1.0) + polyBlep(phase, step) -
                    polyBlep(std::fmod(phase - duty + 1, 1.0), step);
                s *= 0.6;
                break;
            }
            case Wave::Saw:
                s = (2 * phase - 1 - polyBlep(phase, std::min(f * dt, 0.5))) * 0.7;
                break;
            case Wave::Triangle:
                s = (phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase) * 0.9;
                break;
            case Wave::Sine:
                s = std::sin(2 * kPi * phase);
                break;
            case Wave::Noise:
                // A new random value each half period: the frequency sets the noise's colour.
                if (phase < prev || (prev < 0.5 && phase >= 0.5)) held = noise.next();
                s = held;
                break;
        }
        // Envelope.
        double env;
        if (time < t.attack) {
            // Rises to the punch level where the sustain begins, so the envelope never jumps.
            env = time / t.attack * (1 + t.punch);
        } else if (time < t.attack + t.sustain) {
            double k = (time - t.attack) / std::max(t.sustain, dt);
            env = 1 + t.punch * (1 - k);
        } else {
            env = std::max(0.0, 1 - (time - t.attack - t.sustain) / std::max(t.decay, dt));
        }
        s *= env * t.volume;
        if (t.lowpass > 0) {
            double cutoff = t.lowpass + (lp1 - t.lowpass) * u;
            double a = 1 - std::exp(-2 * kPi * cutoff * dt);
            lp += a * (s - lp);
            s = lp;
        }
        if (t.highpass > 0) {
            double rc = 1 / (2 * kPi * t.highpass);
            double a = rc / (rc + dt);
            hpOut = a * (hpOut + s - hpIn);
            hpIn = s;
            s = hpOut;
        }
        mix[first + i] += s;
    }
}

}  // namespace

bool parseSound(const std::string& text, const std::string& source, SoundRecipe& recipe,
                std::string& error) {
    recipe = SoundRecipe{};
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    Tone* tone = nullptr;
    auto fail = [&](const std::string& msg) {
        error = source + ":" + std::to_string(lineNo) + ": " + msg;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        line = trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (line == "[tone]") {
            recipe.tones.emplace_back();
            tone = &recipe.tones.back();
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) return fail("expected 'key = value' or '[tone]'");
        std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
        if (key == "wave") {
            if (!tone) return fail("'wave' outside a [tone]");
            static const std::map<std::string, Wave> waves = {{"square", Wave::Square},
                                                              {"saw", Wave::Saw},
                                                              {"triangle", Wave::Triangle},
                                                              {"sine", Wave::Sine},
                                                              {"noise", Wave::Noise}};
            auto it = waves.find(value);
            if (it == waves.end()) return fail("unknown wave '" + value + "'");
            tone->wave = it->second;
            continue;
        }
        double v;
        if (!number(value, v)) return fail("'" + value + "' is not a number");
        if (key == "peak") {
            if (v <= 0 || v > 1) return fail("peak must be above 0 and at most 1");
            recipe.peak = v;
            continue;
        }
        if (!tone) return fail("'" + key + "' outside a [tone]");
        struct Field {
            double Tone::*member;
            double lo, hi;
        };
        static const std::map<std::string, Field> fields = {
            {"start", {&Tone::start, 0, 10}},
            {"freq", {&Tone::freq, 1, 20000}},
            {"freq_end", {&Tone::freqEnd, 1, 20000}},
            {"vibrato", {&Tone::vibrato, 0, 1}},
            {"vibrato_rate", {&Tone::vibratoRate, 0, 200}},
            {"arp_at", {&Tone::arpAt, 0, 10}},
            {"arp_mult", {&Tone::arpMult, 0.1, 10}},
            {"duty", {&Tone::duty, 0.01, 0.99}},
            {"duty_end", {&Tone::dutyEnd, 0.01, 0.99}},
            {"attack", {&Tone::attack, 0, 5}},
            {"sustain", {&Tone::sustain, 0, 5}},
            {"decay", {&Tone::decay, 0, 5}},
            {"punch", {&Tone::punch, 0, 4}},
            {"volume", {&Tone::volume, 0, 4}},
            {"lowpass", {&Tone::lowpass, 0, 11025}},
            {"lowpass_end", {&Tone::lowpassEnd, 1, 11025}},
            {"highpass", {&Tone::highpass, 0, 11025}},
        };
        auto it = fields.find(key);
        if (it == fields.end()) return fail("unknown key '" + key + "'");
        if (v < it->second.lo || v > it->second.hi)
            return fail("'" + key + "' must lie between " + trim(std::to_string(it->second.lo)) +
                        " and " + trim(std::to_string(it->second.hi)));
        tone->*(it->second.member) = v;
    }
    if (recipe.tones.empty()) {
        error = source + ": no [tone]";
        return false;
    }
    for (const Tone& t : recipe.tones)
        if (t.length() <= 0) {
            error = source + ": a tone with no length";
            return false;
        }
    return true;
}

std::vector<int16_t> renderSound(const SoundRecipe& recipe) {
    std::vector<double> mix;
    for (const Tone& t : recipe.tones) renderTone(t, mix);
    double peak = 0;
    for (double s : mix) peak = std::max(peak, std::fabs(s));
    double gain = peak > 0 ? recipe.peak / peak : 0;
    std::vector<int16_t> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i] * gain, -1.0, 1.0) * 32767));
    // A few samples of fade at the very end keep the last sample from clicking.
    size_t fade = std::min<size_t>(out.size(), 64);
    for (size_t i = 0; i < fade; ++i) {
        size_t k = out.size() - 1 - i;
        out[k] = static_cast<int16_t>(out[k] * static_cast<double>(i) / fade);
    }
    return out;
}

}  // namespace media
