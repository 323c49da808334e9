#include "wavwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string_view>

namespace {

void put32(std::string &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

void put16(std::string &out, std::uint16_t value)
{
    out.push_back(char(value & 0xFF));
    out.push_back(char(value >> 8));
}

} // namespace

bool WriteWav16(const std::string &path, const std::vector<float> &samples, int sampleRate)
{
    const auto dataSize = std::uint32_t(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataSize + 1);
    out += "RIFF";
    put32(out, 36 + dataSize + (dataSize & 1));
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);                      // PCM
    put16(out, 1);                      // mono
    put32(out, std::uint32_t(sampleRate));
    put32(out, std::uint32_t(sampleRate) * 2);
    put16(out, 2);                      // bytes per frame
    put16(out, 16);
    out += "data";
    put32(out, dataSize);
    for (float s : samples) {
        const long value = std::lround(std::clamp(double(s), -1.0, 1.0) * 32767);
        put16(out, std::uint16_t(std::int16_t(value)));
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), std::streamsize(out.size()));
    file.close();
    return bool(file);
}
