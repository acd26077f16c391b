#include "HeifWriter.h"

#include <libheif/heif.h>
#include <memory>

// libx265, behind libheif's HEVC encoder, keeps one small block per encoded
// picture that it never frees; only the test side encodes, so LeakSanitizer
// is told to look away from that library alone.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}

namespace heiftest {
namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct EncoderDeleter {
    void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct OptionsDeleter {
    void operator()(heif_encoding_options* options) const { heif_encoding_options_free(options); }
};

heif_error collect(heif_context*, const void* data, size_t size, void* user) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(user);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// A little-endian TIFF block with one directory holding the orientation tag,
// as EXIF carries it.
std::vector<std::uint8_t> exifWithOrientation(int orientation) {
    return {'I',  'I',  42, 0, 8, 0, 0, 0, // header, directory at 8
            1,    0,                       // one entry
            0x12, 0x01, 3,  0, 1, 0, 0, 0, std::uint8_t(orientation),
            0,    0,    0,  0, 0, 0, 0}; // no next directory
}

void fillPlane(heif_image* image, int width, int height, const PixelSource& pixel,
               const HeifOptions& options) {
    const int channels = options.alpha ? 4 : 3;
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = plane + std::ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::vector<std::uint8_t> rgba = pixel(x, y);
            for (int c = 0; c < channels; ++c) {
                const int value = c < int(rgba.size()) ? rgba[std::size_t(c)] : 255;
                if (options.tenBit) {
                    // Big-endian 10-bit samples, scaled from 8 bits.
                    const int wide = value * 1023 / 255;
                    row[(x * channels + c) * 2] = std::uint8_t(wide >> 8);
                    row[(x * channels + c) * 2 + 1] = std::uint8_t(wide & 0xff);
                } else {
                    row[x * channels + c] = std::uint8_t(value);
                }
            }
        }
    }
}

void fillGreyPlane(heif_image* image, int width, int height, const PixelSource& pixel) {
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_Y, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            plane[std::ptrdiff_t(y) * stride + x] = pixel(x, y)[0];
}

} // namespace

std::vector<std::uint8_t> writeHeif(int width, int height, const PixelSource& pixel,
                                    const HeifOptions& options) {
    std::vector<std::uint8_t> bytes;
    std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    heif_chroma chroma = options.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    if (options.tenBit)
        chroma =
            options.alpha ? heif_chroma_interleaved_RRGGBBAA_BE : heif_chroma_interleaved_RRGGBB_BE;
    heif_image* rawImage = nullptr;
    if (heif_image_create(width, height,
                          options.grey ? heif_colorspace_monochrome : heif_colorspace_RGB,
                          options.grey ? heif_chroma_monochrome : chroma, &rawImage)
            .code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    const heif_channel channel = options.grey ? heif_channel_Y : heif_channel_interleaved;
    if (heif_image_add_plane(image.get(), channel, width, height, options.tenBit ? 10 : 8).code !=
        heif_error_Ok)
        return {};
    if (options.grey)
        fillGreyPlane(image.get(), width, height, pixel);
    else
        fillPlane(image.get(), width, height, pixel, options);

    heif_encoder* rawEncoder = nullptr;
    const heif_compression_format format =
        options.codec == Codec::Hevc ? heif_compression_HEVC : heif_compression_AV1;
    if (heif_context_get_encoder_for_format(context.get(), format, &rawEncoder).code !=
        heif_error_Ok)
        return {};
    std::unique_ptr<heif_encoder, EncoderDeleter> encoder(rawEncoder);
    heif_encoder_set_lossless(encoder.get(), options.lossless ? 1 : 0);
    heif_encoder_set_lossy_quality(encoder.get(), options.quality);

    std::unique_ptr<heif_encoding_options, OptionsDeleter> encoding(heif_encoding_options_alloc());
    encoding->image_orientation = static_cast<heif_orientation>(options.orientation);
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_encode_image(context.get(), image.get(), encoder.get(), encoding.get(),
                                  &rawHandle)
            .code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    if (options.exifOrientation != 0) {
        const auto exif = exifWithOrientation(options.exifOrientation);
        if (heif_context_add_exif_metadata(context.get(), handle.get(), exif.data(),
                                           int(exif.size()))
                .code != heif_error_Ok)
            return {};
    }

    heif_writer writer{1, collect};
    if (heif_context_write(context.get(), &writer, &bytes).code != heif_error_Ok)
        return {};
    return bytes;
}

} // namespace heiftest
