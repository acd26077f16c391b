#include "DngWriter.h"

#include "jpeg/JpegWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <tiffio.h>
#include <unistd.h>

namespace rawtest {
namespace {

// DNG's photometric interpretation for linear sensor data, which tiff.h lacks.
constexpr int PhotometricLinearRaw = 34892;

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The tags that make a directory a DNG's main directory.
void setDngTags(TIFF* tiff, int orientation) {
    static const std::uint8_t version[4] = {1, 4, 0, 0};
    static float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    static float neutral[3] = {1, 1, 1};
    TIFFSetField(tiff, TIFFTAG_DNGVERSION, version);
    TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, "Sorteka Test Camera");
    TIFFSetField(tiff, TIFFTAG_MAKE, "Sorteka");
    TIFFSetField(tiff, TIFFTAG_MODEL, "Test Camera");
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, identity);
    TIFFSetField(tiff, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
    TIFFSetField(tiff, TIFFTAG_CALIBRATIONILLUMINANT1, 21);
}

bool writeSensor(TIFF* tiff, const SceneSource& scene, const DngOptions& options) {
    static const std::uint16_t patternSize[2] = {2, 2};
    static const std::uint8_t rggb[4] = {0, 1, 1, 2};
    static std::uint32_t white = 65535;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, options.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, options.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 options.monochrome ? PhotometricLinearRaw : PHOTOMETRIC_CFA);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, options.height);
    if (!options.monochrome) {
        TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, patternSize);
        TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, rggb);
    }
    TIFFSetField(tiff, TIFFTAG_WHITELEVEL, 1, &white);
    // Cameras put the directories before the pixel data, where a reader that
    // peeks at the file's head finds them; libtiff does that when asked to
    // write the directory early.
    if (options.directoriesFirst)
        TIFFCheckpointDirectory(tiff);
    std::vector<std::uint16_t> row(std::size_t(options.width));
    for (int y = 0; y < options.height; ++y) {
        for (int x = 0; x < options.width; ++x) {
            // R G / G B cells: each photosite sees one colour of the scene.
            const int colour = options.monochrome ? 0 : (y % 2) + (x % 2);
            row[std::size_t(x)] = std::uint16_t(scene(x, y)[std::size_t(colour)] * 257);
        }
        if (TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

bool writePreview(TIFF* tiff, const SceneSource& scene, const DngOptions& options) {
    const bool jpeg = options.preview == Preview::Jpeg;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, options.previewWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, options.previewHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, options.previewHeight);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, jpeg ? COMPRESSION_JPEG : COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, jpeg ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB);
    setDngTags(tiff, options.orientation);
    std::uint64_t sensorDirectory = 0; // filled in by libtiff when the next directory is written
    TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &sensorDirectory);
    if (options.directoriesFirst)
        TIFFCheckpointDirectory(tiff);
    if (jpeg) {
        // The strip is a complete JPEG stream, written as it is.
        auto bytes = jpegtest::writeJpeg(options.previewWidth, options.previewHeight, scene,
                                         {.quality = options.jpegQuality});
        if (TIFFWriteRawStrip(tiff, 0, bytes.data(), tmsize_t(bytes.size())) < 0)
            return false;
    } else {
        std::vector<std::uint8_t> row(std::size_t(options.previewWidth) * 3);
        for (int y = 0; y < options.previewHeight; ++y) {
            for (int x = 0; x < options.previewWidth; ++x) {
                const auto rgb = scene(x, y);
                for (int c = 0; c < 3; ++c)
                    row[std::size_t(x * 3 + c)] = rgb[std::size_t(c)];
            }
            if (TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0) < 0)
                return false;
        }
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

bool writeDng(const std::string& path, const SceneSource& sensorScene,
              const SceneSource& previewScene, const DngOptions& options) {
    // Warnings about private tags are expected and not worth printing.
    TIFFSetWarningHandler(nullptr);
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "w"));
    if (!tiff)
        return false;
    if (options.preview == Preview::None) {
        setDngTags(tiff.get(), options.orientation);
        return writeSensor(tiff.get(), sensorScene, options);
    }
    return writePreview(tiff.get(), previewScene, options) &&
           writeSensor(tiff.get(), sensorScene, options);
}

std::vector<std::uint8_t> dngBytes(const SceneSource& sensorScene, const SceneSource& previewScene,
                                   const DngOptions& options) {
    std::string path = (std::filesystem::temp_directory_path() / "sorteka-dng-XXXXXX").string();
    const int descriptor = mkstemp(path.data());
    if (descriptor < 0)
        return {};
    close(descriptor);
    std::vector<std::uint8_t> bytes;
    if (writeDng(path, sensorScene, previewScene, options)) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::remove(path.c_str());
    return bytes;
}

} // namespace rawtest
