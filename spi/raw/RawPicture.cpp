#include "spi/raw/RawPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/common/SizeMath.h"
#include "spi/raw/JpegPreview.h"

#include <algorithm>
#include <bit>
#include <libraw/libraw.h>

namespace rawspi {
namespace {

// A preview shorter than a quarter of the sensor's longer side is a list
// thumbnail (160×120 and the like), too small to judge a photo by; the
// half-size development is shown instead.
constexpr std::uint64_t SmallestPreviewShare = 4;

std::int32_t spiCode(int librawCode) {
    switch (librawCode) {
    case LIBRAW_SUCCESS:
        return SPI_SUCCESS;
    case LIBRAW_FILE_UNSUPPORTED:
        return SPI_UNKNOWN_FORMAT;
    case LIBRAW_UNSUFFICIENT_MEMORY:
    case LIBRAW_TOO_BIG:
    case LIBRAW_MEMPOOL_OVERFLOW:
        return SPI_NO_MEMORY;
    case LIBRAW_CANCELLED_BY_CALLBACK:
        return SPI_ABORTED;
    default:
        return SPI_BROKEN_DATA;
    }
}

struct ProcessedImageDeleter {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

// LibRaw reports its stages as single bits in increasing order; they make up
// the first half of the way, the rows the second.
struct StageProgress {
    spi::Progress* progress;
    std::int64_t half;
};

int onStage(void* user, LibRaw_progress stage, int, int) {
    auto* state = static_cast<StageProgress*>(user);
    const int index = std::bit_width(static_cast<unsigned>(stage));
    const std::int64_t done = state->half * std::min(index, 20) / 20;
    return state->progress->report(done) ? 0 : 1;
}

} // namespace

// The kind of preview LibRaw found is kept in a protected member.
class PreviewAwareLibRaw : public LibRaw {
public:
    explicit PreviewAwareLibRaw(unsigned flags) : LibRaw(flags) {}

    [[nodiscard]] bool hasInterleavedBitmapThumbnail() const {
        return write_thumb == &PreviewAwareLibRaw::ppm_thumb;
    }
};

spi::Orientation orientationFromFlip(int flip) {
    // LibRaw keeps dcraw's encoding: bit 2 transposes, bit 1 mirrors top to
    // bottom, bit 0 mirrors left to right (applied in that order).
    switch (flip) {
    case 1:
        return 2;
    case 2:
        return 4;
    case 3:
        return 3;
    case 4:
        return 5;
    case 5:
        return 8;
    case 6:
        return 6;
    case 7:
        return 7;
    default:
        return 1;
    }
}

RawPicture::RawPicture() = default;
RawPicture::~RawPicture() = default;

std::int32_t RawPicture::open(std::span<const std::uint8_t> bytes) {
    // LibRaw's default error callbacks print to stderr; a plug-in stays quiet.
    raw_ = std::make_unique<PreviewAwareLibRaw>(LIBRAW_OPIONS_NO_MEMERR_CALLBACK |
                                                LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    if (bytes.empty())
        return SPI_UNKNOWN_FORMAT;
    bytes_ = bytes;
    // LibRaw only reads the buffer, but its interface is not const.
    if (const std::int32_t code =
            spiCode(raw_->open_buffer(const_cast<std::uint8_t*>(bytes.data()), bytes.size()));
        code != SPI_SUCCESS)
        return code;
    const libraw_image_sizes_t& sizes = raw_->imgdata.sizes;
    if (const std::int32_t code = spi::checkPictureSize(sizes.raw_width, sizes.raw_height);
        code != SPI_SUCCESS)
        return code;
    // A file cut short (a card read that stopped half-way) must not pass as
    // sound because its preview happens to lie before the cut.
    const auto& unpacker = raw_->get_internal_data_pointer()->unpacker_data;
    const auto offset = static_cast<std::uint64_t>(std::max<INT64>(unpacker.data_offset, 0));
    if (offset > bytes.size() || unpacker.data_size > bytes.size() - offset)
        return SPI_BROKEN_DATA;
    hasPreview_ = findPreview();
    source_ = hasPreview_ && previewLargeEnough() ? Source::Preview : Source::HalfSize;
    if (source_ == Source::Preview) {
        width_ = previewWidth_;
        height_ = previewHeight_;
    }
    return SPI_SUCCESS;
}

std::int32_t RawPicture::measure() {
    if (source_ == Source::Preview)
        return SPI_SUCCESS;
    // What half-size development gives, as LibRaw works it out: the Bayer
    // pattern's cells shrink to one pixel, Fuji's turned sensors are
    // straightened, and a quarter turn swaps the sides. LibRaw cannot develop
    // after this, so only the header query asks.
    libraw_data_t& data = raw_->imgdata;
    data.params.half_size = 1;
    if (const std::int32_t code = spiCode(raw_->adjust_sizes_info_only()); code != SPI_SUCCESS)
        return code;
    width_ = data.sizes.iwidth;
    height_ = data.sizes.iheight;
    return spi::checkPictureSize(width_, height_);
}

bool RawPicture::findPreview() {
    const libraw_data_t& data = raw_->imgdata;
    // A preview cut off by the file's end would be read as garbage; the
    // development below then reports the damage.
    const INT64 offset = raw_->get_internal_data_pointer()->internal_data.toffset;
    if (data.thumbnail.tlength == 0 || offset <= 0 || std::uint64_t(offset) > bytes_.size() ||
        data.thumbnail.tlength > bytes_.size() - std::uint64_t(offset))
        return false;
    // LibRaw 0.20 overruns its own buffer unpacking a preview stored as
    // separate colour planes whose length disagrees with its size. Only JPEG
    // previews and interleaved RGB bitmaps are shown anyway, so nothing else
    // is unpacked.
    if (!raw_->is_jpeg_thumb() && !raw_->hasInterleavedBitmapThumbnail())
        return false;
    if (raw_->unpack_thumb() != LIBRAW_SUCCESS || data.thumbnail.thumb == nullptr)
        return false;
    const std::span<const std::uint8_t> thumb(
        reinterpret_cast<const std::uint8_t*>(data.thumbnail.thumb), data.thumbnail.tlength);
    std::uint32_t storedWidth = 0;
    std::uint32_t storedHeight = 0;
    if (data.thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG) {
        JpegSize size;
        if (readJpegSize(thumb, size) != SPI_SUCCESS)
            return false;
        storedWidth = size.width;
        storedHeight = size.height;
    } else if (data.thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP) {
        storedWidth = data.thumbnail.twidth;
        storedHeight = data.thumbnail.theight;
        const auto needed =
            spi::checkedMul(std::uint64_t(storedWidth) * storedHeight, 3); // 8-bit RGB
        if (!needed || *needed > thumb.size())
            return false;
    } else {
        return false;
    }
    if (spi::checkPictureSize(storedWidth, storedHeight) != SPI_SUCCESS)
        return false;
    if (data.thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG)
        jpegPreview_ = thumb;
    const bool swap = spi::swapsAxes(orientationFromFlip(data.sizes.flip));
    previewWidth_ = swap ? storedHeight : storedWidth;
    previewHeight_ = swap ? storedWidth : storedHeight;
    return true;
}

bool RawPicture::previewLargeEnough() const {
    const libraw_data_t& data = raw_->imgdata;
    const std::uint64_t sensorSide = std::max<std::uint64_t>(data.sizes.width, data.sizes.height);
    const std::uint64_t previewSide = std::max(previewWidth_, previewHeight_);
    return previewSide * SmallestPreviewShare >= sensorSide;
}

std::int32_t RawPicture::decodeScaled(spi::DibBuilder& dib, spi::FitBox box,
                                      SpiProgressCallback progress, intptr_t user) {
    if (!raw_)
        return SPI_INTERNAL_ERROR;
    std::uint64_t fullWidth = previewWidth_;
    std::uint64_t fullHeight = previewHeight_;
    if (source_ == Source::HalfSize) {
        // What half-size development gives, near enough: half the visible
        // sensor, turned as the camera was held. Any preview, even a list
        // thumbnail, serves when it covers the box.
        const libraw_image_sizes_t& sizes = raw_->imgdata.sizes;
        const bool swap = spi::swapsAxes(orientationFromFlip(sizes.flip));
        fullWidth = std::max(1, (swap ? sizes.height : sizes.width) / 2);
        fullHeight = std::max(1, (swap ? sizes.width : sizes.height) / 2);
        if (!hasPreview_ ||
            !spi::coversFit(previewWidth_, previewHeight_, fullWidth, fullHeight, box))
            return decodeHalfSize(dib, progress, user);
    }
    int eighths = 8;
    if (!jpegPreview_.empty())
        for (int n = 1; n < 8 && eighths == 8; ++n)
            if (spi::coversFit((std::uint64_t(previewWidth_) * n + 7) / 8,
                               (std::uint64_t(previewHeight_) * n + 7) / 8, fullWidth, fullHeight,
                               box))
                eighths = n;
    return decodePreview(dib, eighths, progress, user);
}

std::int32_t RawPicture::decode(spi::DibBuilder& dib, SpiProgressCallback progress, intptr_t user) {
    if (!raw_)
        return SPI_INTERNAL_ERROR;
    return source_ == Source::Preview ? decodePreview(dib, 8, progress, user)
                                      : decodeHalfSize(dib, progress, user);
}

std::int32_t RawPicture::decodePreview(spi::DibBuilder& dib, int eighths,
                                       SpiProgressCallback callback, intptr_t user) {
    const libraw_data_t& data = raw_->imgdata;
    const spi::Orientation orientation = orientationFromFlip(data.sizes.flip);
    const std::uint32_t storedHeight = spi::swapsAxes(orientation) ? previewWidth_ : previewHeight_;
    spi::Progress progress(callback, user, storedHeight);
    if (!progress.report(0))
        return SPI_ABORTED;
    if (!jpegPreview_.empty())
        return decodeJpeg(jpegPreview_, orientation, eighths, dib, progress, 0, storedHeight);

    const std::uint32_t storedWidth = spi::swapsAxes(orientation) ? previewHeight_ : previewWidth_;
    if (const std::int32_t code = dib.start(storedWidth, storedHeight, false, orientation);
        code != SPI_SUCCESS)
        return code;
    const auto* rgb = reinterpret_cast<const std::uint8_t*>(data.thumbnail.thumb);
    const std::size_t rowBytes = std::size_t(storedWidth) * 3;
    for (std::uint32_t y = 0; y < storedHeight; ++y) {
        dib.putRow(y, rgb + y * rowBytes, spi::PixelFormat::Rgb8);
        if (!progress.report(y + 1))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

std::int32_t RawPicture::decodeHalfSize(spi::DibBuilder& dib, SpiProgressCallback callback,
                                        intptr_t user) {
    libraw_data_t& data = raw_->imgdata;
    // Half the sensor's rows come out; LibRaw's stages are the first half of
    // the way, the rows the second.
    const std::int64_t half = std::max<std::int64_t>(data.sizes.height / 2, 1);
    spi::Progress progress(callback, user, 2 * half);
    if (!progress.report(0))
        return SPI_ABORTED;
    StageProgress stages{&progress, half};
    raw_->set_progress_handler(onStage, &stages);

    data.params.half_size = 1;
    data.params.output_bps = 8;
    data.params.use_camera_wb = 1;
    if (const std::int32_t code = spiCode(raw_->unpack()); code != SPI_SUCCESS)
        return code;
    // LibRaw counts the reads that ran past the data's end or met codes that
    // make no sense, and carries on with zeros: show no such picture.
    if (raw_->error_count() > 0)
        return SPI_BROKEN_DATA;
    if (const std::int32_t code = spiCode(raw_->dcraw_process()); code != SPI_SUCCESS)
        return code;
    int error = LIBRAW_SUCCESS;
    const std::unique_ptr<libraw_processed_image_t, ProcessedImageDeleter> image(
        raw_->dcraw_make_mem_image(&error));
    if (!image)
        return error == LIBRAW_SUCCESS ? SPI_NO_MEMORY : spiCode(error);
    // LibRaw has turned the image upright already.
    const std::uint32_t width = image->width;
    const std::uint32_t height = image->height;
    const bool grey = image->colors == 1;
    const auto rowBytes = spi::checkedMul(width, image->colors);
    const auto total = rowBytes ? spi::checkedMul(*rowBytes, height) : std::nullopt;
    if (image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 || (image->colors != 3 && !grey) ||
        !total || *total > image->data_size)
        return SPI_BROKEN_DATA;
    if (const std::int32_t code = dib.start(width, height, false); code != SPI_SUCCESS)
        return code;
    const auto format = grey ? spi::PixelFormat::Grey8 : spi::PixelFormat::Rgb8;
    for (std::uint32_t y = 0; y < height; ++y) {
        dib.putRow(y, image->data + y * *rowBytes, format);
        if (!progress.report(half + half * (y + 1) / height))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

} // namespace rawspi
