// velmora-picture-compare: whether a freshly drawn picture still shows what a
// committed one shows (the check that keeps the README's pictures current).
//   velmora-picture-compare [--channel N] [--fraction F] EXPECTED.png ACTUAL.png
// Exit status: 0 alike, 1 different, 2 unreadable files or wrong arguments.
#include <cstdlib>
#include <iostream>
#include <string>

#include "PictureCompare.hpp"

int main(int argc, char** argv)
{
    velmora::render::CompareTolerance tolerance;
    std::string files[2];
    int fileCount = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--channel" || arg == "--fraction") && i + 1 < argc) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            if (end == nullptr || *end != 0 || value < 0) {
                std::cerr << "velmora-picture-compare: bad value for " << arg << "\n";
                return 2;
            }
            if (arg == "--channel")
                tolerance.channel = static_cast<int>(value);
            else
                tolerance.fraction = value;
        } else if (fileCount < 2 && !arg.empty() && arg[0] != '-') {
            files[fileCount++] = arg;
        } else {
            fileCount = 3;
            break;
        }
    }
    if (fileCount != 2) {
        std::cerr << "usage: velmora-picture-compare [--channel N] [--fraction F] EXPECTED.png ACTUAL.png\n";
        return 2;
    }
    velmora::render::PictureDifference difference;
    const bool alike = velmora::render::PicturesAlike(files[0], files[1], tolerance, &difference);
    if (!difference.error.empty()) {
        std::cerr << "velmora-picture-compare: " << difference.error << "\n";
        return 2;
    }
    if (difference.expectedWidth != difference.actualWidth ||
        difference.expectedHeight != difference.actualHeight) {
        std::cout << files[1] << ": " << difference.actualWidth << " x " << difference.actualHeight
                  << ", expected " << difference.expectedWidth << " x " << difference.expectedHeight << "\n";
        return 1;
    }
    std::cout << files[1] << ": " << difference.differingPixels << " of " << difference.pixels
              << " pixels differ (largest channel difference " << difference.largestDifference << ")"
              << (alike ? "" : ": not alike") << "\n";
    return alike ? 0 : 1;
}
