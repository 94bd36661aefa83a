// Whether two pictures show the same thing, allowing for the anti-aliasing noise
// that different builds of the font rasteriser leave at glyph edges.
#pragma once

#include <string>

namespace velmora::render {

struct CompareTolerance {
    int channel = 64;         // a pixel differs when a colour channel differs by more
    double fraction = 0.0002; // the pictures are alike while at most this share of pixels differs
};

struct PictureDifference {
    int expectedWidth = 0, expectedHeight = 0, actualWidth = 0, actualHeight = 0;
    long differingPixels = 0; // beyond the channel tolerance
    long pixels = 0;
    int largestDifference = 0; // of any channel, 0 to 255
    std::string error;         // a file that cannot be read as PNG
};

// [any thread] Compares two PNG files pixel by pixel. True when both can be read,
// have the same size and differ in no more pixels than the tolerance allows.
bool PicturesAlike(const std::string& expectedPng, const std::string& actualPng,
                   const CompareTolerance& tolerance, PictureDifference* difference);

} // namespace velmora::render
