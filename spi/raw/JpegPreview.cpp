#include "spi/raw/JpegPreview.h"

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace rawspi {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void leave(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void silent(j_common_ptr, int) {}

// Everything that lives across setjmp is plain data owned by the caller, so
// the jump back skips no destructor.
struct Session {
    jpeg_decompress_struct info;
    ErrorTrap trap;
};

void prepareErrors(Session& session) {
    session.info.err = jpeg_std_error(&session.trap.manager);
    session.trap.manager.error_exit = leave;
    session.trap.manager.emit_message = silent;
}

// Called after setjmp: both calls may report an error. A session that never
// got this far is still safe to destroy.
void begin(Session& session, std::span<const std::uint8_t> jpeg) {
    jpeg_create_decompress(&session.info);
    jpeg_mem_src(&session.info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
}

spi::PixelFormat chooseOutput(jpeg_decompress_struct& info) {
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
        // Adobe's writers store CMYK inverted, and they are the ones that write CMYK.
        return info.saw_Adobe_marker ? spi::PixelFormat::InvertedCmyk8 : spi::PixelFormat::Cmyk8;
    }
    info.out_color_space = JCS_EXT_RGB;
    return spi::PixelFormat::Rgb8;
}

// The parts between setjmp and the end; returns an SPI code.
std::int32_t decodeRows(Session& session, spi::Orientation orientation, int eighths,
                        spi::DibBuilder& dib, spi::Progress& progress, std::int64_t first,
                        std::int64_t steps, std::vector<std::uint8_t>& row) {
    jpeg_decompress_struct& info = session.info;
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return SPI_BROKEN_DATA;
    const spi::PixelFormat format = chooseOutput(info);
    info.scale_num = unsigned(eighths);
    info.scale_denom = 8;
    jpeg_calc_output_dimensions(&info);
    const JDIMENSION width = info.output_width;
    if (const std::int32_t code = dib.start(width, info.output_height, false, orientation);
        code != SPI_SUCCESS)
        return code;
    jpeg_start_decompress(&info);
    row.resize(std::size_t(info.output_width) * std::size_t(info.output_components));
    if (info.output_width != width ||
        std::size_t(info.output_components) != std::size_t(spi::bytesPerPixel(format)))
        return SPI_BROKEN_DATA;
    while (info.output_scanline < info.output_height) {
        const std::uint32_t y = info.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return SPI_BROKEN_DATA;
        dib.putRow(y, row.data(), format);
        if (!progress.report(first + steps * (y + 1) / info.output_height))
            return SPI_ABORTED;
    }
    // A preview cut short reads as grey rows with a warning; call it damaged.
    if (session.trap.manager.num_warnings > 0)
        return SPI_BROKEN_DATA;
    jpeg_finish_decompress(&info);
    return SPI_SUCCESS;
}

} // namespace

std::int32_t readJpegSize(std::span<const std::uint8_t> jpeg, JpegSize& size) {
    if (jpeg.empty())
        return SPI_BROKEN_DATA;
    Session session{};
    prepareErrors(session);
    // volatile: set between setjmp and a possible longjmp.
    volatile std::int32_t code = SPI_BROKEN_DATA;
    if (setjmp(session.trap.jump) == 0) {
        begin(session, jpeg);
        if (jpeg_read_header(&session.info, TRUE) == JPEG_HEADER_OK) {
            size = {session.info.image_width, session.info.image_height};
            code = SPI_SUCCESS;
        }
    }
    jpeg_destroy_decompress(&session.info);
    return code;
}

std::int32_t decodeJpeg(std::span<const std::uint8_t> jpeg, spi::Orientation orientation,
                        int eighths, spi::DibBuilder& dib, spi::Progress& progress,
                        std::int64_t first, std::int64_t steps) {
    if (jpeg.empty())
        return SPI_BROKEN_DATA;
    Session session{};
    std::vector<std::uint8_t> row;
    prepareErrors(session);
    // volatile: set between setjmp and a possible longjmp.
    volatile std::int32_t code = SPI_BROKEN_DATA;
    if (setjmp(session.trap.jump) == 0) {
        begin(session, jpeg);
        code = decodeRows(session, orientation, eighths, dib, progress, first, steps, row);
    }
    jpeg_destroy_decompress(&session.info);
    return code;
}

} // namespace rawspi
