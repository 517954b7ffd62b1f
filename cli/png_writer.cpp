// PNG files through libpng, written with the atomic writer.
#include "cli/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "platform/file_io.h"

namespace zarni::cli {

namespace {

// libpng reports errors by calling back; the message is kept and the write unwinds to the
// setjmp in EncodePng. Nothing with a destructor lives between the two.
struct PngErrorState {
    std::jmp_buf jump;
    char message[256] = {};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "libpng error");
    std::longjmp(state->jump, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

bool EncodePng(std::FILE* file, int32_t width, int32_t height, const uint8_t* rgb,
               PngErrorState& state) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(state.message, sizeof state.message, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(state.jump)) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Pictures of flat colours: fast filtering and compression cost little in size.
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, rgb + stride * static_cast<size_t>(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePngFile(const std::string& path, int32_t width, int32_t height,
                  const std::vector<uint8_t>& rgb, std::string* why) {
    if (width < 1 || height < 1 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
        if (why) *why = "the picture's size does not match its pixels";
        return false;
    }
    PngErrorState state;
    const bool ok = WriteFileAtomically(
        path, [&](std::FILE* f) { return EncodePng(f, width, height, rgb.data(), state); }, why);
    if (!ok && why && state.message[0]) *why = path + ": " + state.message;
    return ok;
}

}  // namespace zarni::cli
