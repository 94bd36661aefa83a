// Pixels of pictures for the picture tests: a PNG as written, a BMP of the
// add-on's resource sources as drawn, and small questions about regions of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

// Opaque pixels as 0xRRGGBB, row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;

    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

// A PNG or BMP file; false (with a test failure) when it cannot be read.
bool ReadPicture(const std::string& path, Pixels* out);
// A BMP of addon/resources/images.
Pixels ResourceImage(const std::string& fileName);

struct Region {
    int left, top, width, height;
};

// The region `region` of `picture` as its own picture (clipped to the picture).
Pixels Cut(const Pixels& picture, Region region);
// Whether `image` lies unchanged in `picture` with its top left at (left, top).
bool Contains(const Pixels& picture, const Pixels& image, int left, int top, std::string* why);

} // namespace velmora::test
