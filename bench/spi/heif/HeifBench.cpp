// Times the HEIF plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libheif decoding the same file
// straight to interleaved RGB, on HEIC and AVIF photos of 12 and 24 megapixels
// made at run time, and prints the ratio of the best runs.

#include "PluginBench.h"

#include <cstring>
#include <libheif/heif.h>

namespace {

heif_error collect(heif_context*, const void* data, size_t size, void* user) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(user);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// A lossy file as a phone writes one, encoded with the fast presets so the
// benchmark does not wait minutes for its input.
std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& rgb, int width, int height,
                                 heif_compression_format format) {
    heif_context* context = heif_context_alloc();
    heif_image* image = nullptr;
    heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        std::memcpy(plane + std::ptrdiff_t(y) * stride, &rgb[std::size_t(y) * width * 3],
                    std::size_t(width) * 3);
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, format, &encoder);
    heif_encoder_set_lossy_quality(encoder, 80);
    if (format == heif_compression_HEVC)
        heif_encoder_set_parameter_string(encoder, "preset", "veryfast");
    else
        heif_encoder_set_parameter_integer(encoder, "speed", 9);
    std::vector<std::uint8_t> file;
    if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code ==
        heif_error_Ok) {
        heif_writer writer{1, collect};
        heif_context_write(context, &writer, &file);
    }
    heif_encoder_release(encoder);
    heif_image_release(image);
    heif_context_free(context);
    return file;
}

bool directDecode(const std::vector<std::uint8_t>& file) {
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    const bool ok =
        heif_context_read_from_memory_without_copy(context, file.data(), file.size(), nullptr)
                .code == heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
                .code == heif_error_Ok;
    if (image)
        heif_image_release(image);
    if (handle)
        heif_image_handle_release(handle);
    heif_context_free(context);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    struct HeifPhoto {
        const char* name;
        int width;
        int height;
        heif_compression_format format;
    };
    const HeifPhoto photos[] = {{"12 MP HEIC", 4000, 3000, heif_compression_HEVC},
                                {"24 MP HEIC", 6000, 4000, heif_compression_HEVC},
                                {"12 MP AVIF", 4000, 3000, heif_compression_AV1},
                                {"24 MP AVIF", 6000, 4000, heif_compression_AV1}};
    return spibench::runRatioTable(
        argc, argv, {SPI_PLUGIN_FILE, 5, 12, "libheif", "photo.heic"}, photos,
        [](const std::vector<std::uint8_t>& rgb, const HeifPhoto& photo) {
            return encode(rgb, photo.width, photo.height, photo.format);
        },
        directDecode);
}
