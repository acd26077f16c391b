#include "spi/heif/HeifPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/common/SizeMath.h"
#include "spi/heif/HeifLayers.h"

#include <libheif/heif.h>
#include <limits>
#include <memory>

namespace heifspi {
namespace {

constexpr int MaxSide = 16384;
static_assert(std::uint64_t(MaxSide) * MaxSide <= spi::MaxPixels);

std::int32_t spiCode(const heif_error& error) {
    switch (error.code) {
    case heif_error_Ok:
        return SPI_SUCCESS;
    case heif_error_Memory_allocation_error:
        return SPI_NO_MEMORY;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
        // A HEIF container around a codec this libheif lacks: another plug-in
        // may still read it.
        return SPI_UNKNOWN_FORMAT;
    case heif_error_Invalid_input:
    case heif_error_Decoder_plugin_error:
        return SPI_BROKEN_DATA;
    case heif_error_Input_does_not_exist:
        return SPI_READ_ERROR;
    default:
        return SPI_INTERNAL_ERROR;
    }
}

struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// Tile progress of grid images arrives inside heif_decode_image, which cannot
// be interrupted; a stop request is remembered and honoured once it returns.
struct DecodeProgress {
    spi::Progress* progress;
    std::int64_t span;
    std::int64_t tiles = 1;
};

void startTiles(heif_progress_step, int maxProgress, void* user) {
    auto* state = static_cast<DecodeProgress*>(user);
    state->tiles = maxProgress > 0 ? maxProgress : 1;
}

void tileDone(heif_progress_step, int progress, void* user) {
    auto* state = static_cast<DecodeProgress*>(user);
    (void)state->progress->report(state->span * progress / state->tiles);
}

void endTiles(heif_progress_step, void*) {}

} // namespace

HeifPicture::~HeifPicture() {
    if (primary_)
        heif_image_handle_release(primary_);
    if (context_)
        heif_context_free(context_);
}

std::int32_t HeifPicture::open(std::span<const std::uint8_t> bytes) {
    context_ = heif_context_alloc();
    if (!context_)
        return SPI_NO_MEMORY;
    // A grid picture declares its full size apart from the size the file
    // reports for it, and libheif allocates what the grid declares. Capping
    // each side at the square root of the pixel limit keeps every picture
    // libheif will build within that limit (at the price of refusing
    // panoramas wider than 16384 pixels).
    heif_context_set_maximum_image_size_limit(context_, MaxSide);
    if (const std::int32_t code = spiCode(heif_context_read_from_memory_without_copy(
            context_, bytes.data(), bytes.size(), nullptr));
        code != SPI_SUCCESS)
        return code;
    if (const std::int32_t code =
            spiCode(heif_context_get_primary_image_handle(context_, &primary_));
        code != SPI_SUCCESS)
        return code == SPI_INTERNAL_ERROR ? SPI_BROKEN_DATA : code;
    const int width = heif_image_handle_get_width(primary_);
    const int height = heif_image_handle_get_height(primary_);
    if (width <= 0 || height <= 0)
        return SPI_BROKEN_DATA;
    width_ = static_cast<std::uint32_t>(width);
    height_ = static_cast<std::uint32_t>(height);
    hasAlpha_ = heif_image_handle_has_alpha_channel(primary_) != 0;
    layered_ = declaresLayers(bytes);
    return spi::checkPictureSize(width_, height_);
}

std::int32_t HeifPicture::measure() {
    if (!primary_)
        return SPI_INTERNAL_ERROR;
    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options)
        return SPI_NO_MEMORY;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(primary_, &decoded, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGB, options.get());
    std::unique_ptr<heif_image, ImageDeleter> image(decoded);
    if (error.code != heif_error_Ok)
        return spiCode(error) == SPI_INTERNAL_ERROR ? SPI_BROKEN_DATA : spiCode(error);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (width <= 0 || height <= 0)
        return SPI_BROKEN_DATA;
    width_ = static_cast<std::uint32_t>(width);
    height_ = static_cast<std::uint32_t>(height);
    return spi::checkPictureSize(width_, height_);
}

std::int32_t HeifPicture::decode(spi::DibBuilder& dib, SpiProgressCallback callback,
                                 intptr_t user) {
    if (!primary_)
        return SPI_INTERNAL_ERROR;
    // The first half of the way is the codec's work, the second the rows.
    spi::Progress progress(callback, user, 2 * std::int64_t(height_));
    if (!progress.report(0))
        return SPI_ABORTED;

    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    if (!options)
        return SPI_NO_MEMORY;
    DecodeProgress state{&progress, height_};
    options->convert_hdr_to_8bit = 1;
    options->start_progress = startTiles;
    options->on_progress = tileDone;
    options->end_progress = endTiles;
    options->progress_user_data = &state;

    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        primary_, &decoded, heif_colorspace_RGB,
        hasAlpha_ ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    std::unique_ptr<heif_image, ImageDeleter> image(decoded);
    if (error.code != heif_error_Ok)
        return spiCode(error) == SPI_INTERNAL_ERROR ? SPI_BROKEN_DATA : spiCode(error);
    if (!progress.report(height_))
        return SPI_ABORTED;

    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int pixelBytes = hasAlpha_ ? 4 : 3;
    if (!plane || width <= 0 || height <= 0 || stride < width * pixelBytes ||
        heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8)
        return SPI_BROKEN_DATA;
    if (const std::int32_t code = dib.start(std::uint32_t(width), std::uint32_t(height), hasAlpha_);
        code != SPI_SUCCESS)
        return code;

    const auto format = hasAlpha_ ? spi::PixelFormat::Rgba8 : spi::PixelFormat::Rgb8;
    for (int y = 0; y < height; ++y) {
        dib.putRow(std::uint32_t(y), plane + std::ptrdiff_t(y) * stride, format);
        if (!progress.report(std::int64_t(height_) + std::int64_t(y + 1) * height_ / height))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

} // namespace heifspi
