#include "ui/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>

#include "platform/Platform.h"

namespace strevo {

namespace {

// libjpeg reports errors through a callback that must not return: it jumps
// back into DecodeJpeg. Warnings (a cut or corrupt stream) are noted, and
// such a picture counts as damaged.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool warned;
};

void jpeg_error_exit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

void jpeg_emit_message(j_common_ptr info, int level) {
  if (level < 0) reinterpret_cast<JpegErrors*>(info->err)->warned = true;
}

void jpeg_output_message(j_common_ptr) {}

// libjpeg's progress callback runs between the rows of every scan it reads,
// so a picture of too many scans stops at the first row past the limit.
void jpeg_count_scans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMostJpegScans) info->err->error_exit(info);
}

// What libjpeg may take for one picture: a progressive picture keeps all
// its coefficients, 24 MB for the largest picture in three colours; only a
// crafted one asks for more.
constexpr long kJpegMemory = 48L * 1024 * 1024;

struct GifSource {
  const std::string* bytes;
  size_t at;
};

int gif_read(GifFileType* file, GifByteType* buffer, int count) {
  auto* source = static_cast<GifSource*>(file->UserData);
  const size_t left = source->bytes->size() - source->at;
  const size_t n = std::min<size_t>(left, static_cast<size_t>(count < 0 ? 0 : count));
  std::memcpy(buffer, source->bytes->data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

}  // namespace

bool DecodeJpeg(const std::string& bytes, TPicture& picture) {
  picture = {};
  if (bytes.size() < 4) return false;
  jpeg_decompress_struct info;
  JpegErrors errors;
  jpeg_progress_mgr progress;
  std::vector<unsigned char> row;
  std::memset(&info, 0, sizeof info);
  std::memset(&progress, 0, sizeof progress);
  progress.progress_monitor = jpeg_count_scans;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpeg_error_exit;
  errors.manager.emit_message = jpeg_emit_message;
  errors.manager.output_message = jpeg_output_message;
  errors.warned = false;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    picture = {};
    return false;
  }
  jpeg_create_decompress(&info);
  info.progress = &progress;
  info.mem->max_memory_to_use = kJpegMemory;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&info);
  if (info.output_width == 0 || info.output_height == 0 ||
      static_cast<int64_t>(info.output_width) * info.output_height > kLargestPicture) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  row.resize(static_cast<size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    const unsigned y = info.output_scanline;
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    uint32_t* out = picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width);
    for (int x = 0; x < picture.width; ++x) {
      const unsigned char* p = row.data() + 3 * x;
      out[x] = 0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (errors.warned) {
    picture = {};
    return false;
  }
  return true;
}

namespace {

// Reads the records before the first frame: extensions are passed over, the
// first graphics control block kept. False when no frame follows.
bool gif_to_first_frame(GifFileType* file, GraphicsControlBlock& control) {
  bool controlSeen = false;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(file, &type) != GIF_OK) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(file) == GIF_OK;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(file, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && !controlSeen)
      controlSeen = DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK;
    while (block)
      if (DGifGetExtensionNext(file, &block) != GIF_OK) return false;
  }
}

// The frame's colour indices, row by row; interlaced frames store every
// eighth row first, then the fourth, the second and the odd ones.
bool gif_read_frame(GifFileType* file, std::vector<GifPixelType>& indices) {
  const GifImageDesc& frame = file->Image;
  indices.resize(static_cast<size_t>(frame.Width) * static_cast<size_t>(frame.Height));
  const auto line = [&](int y) {
    return DGifGetLine(file, indices.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.Width), frame.Width) ==
           GIF_OK;
  };
  if (!frame.Interlace) {
    for (int y = 0; y < frame.Height; ++y)
      if (!line(y)) return false;
    return true;
  }
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < frame.Height; y += kStep[pass])
      if (!line(y)) return false;
  return true;
}

}  // namespace

bool DecodeGif(const std::string& bytes, TPicture& picture) {
  picture = {};
  GifSource source{&bytes, 0};
  int error = 0;
  GifFileType* file = DGifOpen(&source, gif_read, &error);
  if (!file) return false;
  const auto close = [&] {
    DGifCloseFile(file, &error);
    return false;
  };
  if (file->SWidth <= 0 || file->SHeight <= 0 ||
      static_cast<int64_t>(file->SWidth) * file->SHeight > kLargestPicture)
    return close();
  GraphicsControlBlock control{};
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  if (!gif_to_first_frame(file, control)) return close();
  // The frame must lie on the screen before any memory is taken for it.
  const GifImageDesc& frame = file->Image;
  const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : file->SColorMap;
  if (!colours || frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0 ||
      frame.Left + frame.Width > file->SWidth || frame.Top + frame.Height > file->SHeight)
    return close();
  std::vector<GifPixelType> indices;
  if (!gif_read_frame(file, indices)) return close();
  picture.width = file->SWidth;
  picture.height = file->SHeight;
  // Outside the first frame the picture is transparent.
  picture.pixels.assign(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height), 0);
  for (int y = 0; y < frame.Height; ++y) {
    for (int x = 0; x < frame.Width; ++x) {
      const int index = indices[static_cast<size_t>(y) * static_cast<size_t>(frame.Width) + x];
      if (index == control.TransparentColor || index >= colours->ColorCount) continue;
      const GifColorType& c = colours->Colors[index];
      picture.pixels[static_cast<size_t>(frame.Top + y) * static_cast<size_t>(picture.width) + frame.Left + x] =
          0xFF000000u | (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
    }
  }
  DGifCloseFile(file, &error);
  return true;
}

bool LoadPicture(const std::string& path, TPicture& picture) {
  picture = {};
  auto file = Files().Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!file) return false;
  const int64_t size = file->Size();
  // A layout picture is small; anything much larger is not one of ours.
  if (size <= 0 || size > 16 * 1024 * 1024) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (file->Read(bytes.data(), size) != size) return false;
  if (bytes.compare(0, 2, "\xFF\xD8") == 0) return DecodeJpeg(bytes, picture);
  if (bytes.compare(0, 4, "GIF8") == 0) return DecodeGif(bytes, picture);
  return false;
}

}  // namespace strevo
