#pragma once
// Writing a clip as the game reads it: a canonical 16-bit PCM mono wave file.

#include <string>
#include <vector>

/// Writes samples (-1..1, clipped beyond) at sampleRate to path as 16-bit PCM mono;
/// false when the file cannot be written.
bool WriteWav16(const std::string &path, const std::vector<float> &samples, int sampleRate);
