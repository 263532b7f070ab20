// A PNG file from 8-bit RGB pixels. Stored (uncompressed) deflate blocks: screenshots stay
// small enough, and the writer needs no compression library.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane::pageframe {

// `rgb` holds height rows of width pixels, top row first, three bytes each.
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace corvane::pageframe
