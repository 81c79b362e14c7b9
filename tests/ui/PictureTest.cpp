// The picture wrappers over libjpeg and giflib: real pictures decode to the
// right pixels; cut, damaged and hostile files give no picture and never a
// crash (the window then shows its plain background).
#include <gtest/gtest.h>

#include <gif_lib.h>
#include <jpeglib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "support/Fixture.h"
#include "ui/Picture.h"

namespace strevo {
namespace {

// A width x height JPEG of one colour, made with libjpeg itself.
std::string Jpeg(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[3 * x] = r;
    row[3 * x + 1] = g;
    row[3 * x + 2] = b;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  free(buffer);
  return bytes;
}

int WriteToString(GifFileType* file, const GifByteType* data, int count) {
  static_cast<std::string*>(file->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
  return count;
}

// A 9 x 9 GIF: a blue dot (index 1) on a transparent ground (index 0).
std::string Bullet() {
  std::string bytes;
  int error = 0;
  GifFileType* file = EGifOpen(&bytes, WriteToString, &error);
  GifColorType colours[2] = {{255, 255, 255}, {0x2B, 0x5F, 0xA8}};
  ColorMapObject* map = GifMakeMapObject(2, colours);
  EGifPutScreenDesc(file, 9, 9, 1, 0, map);
  GraphicsControlBlock control{};
  control.TransparentColor = 0;
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
  EGifPutImageDesc(file, 0, 0, 9, 9, false, nullptr);
  for (int y = 0; y < 9; ++y) {
    GifPixelType line[9];
    for (int x = 0; x < 9; ++x) line[x] = (x - 4) * (x - 4) + (y - 4) * (y - 4) <= 16 ? 1 : 0;
    EGifPutLine(file, line, 9);
  }
  EGifCloseFile(file, &error);
  GifFreeMapObject(map);
  return bytes;
}

TEST(PictureTest, JpegAndGifDecodeToTheirPixels) {
  TPicture picture;
  ASSERT_TRUE(DecodeJpeg(Jpeg(489, 73, 0x20, 0x40, 0x80), picture));
  EXPECT_EQ(picture.width, 489);
  EXPECT_EQ(picture.height, 73);
  const uint32_t p = picture.pixels[73 / 2 * 489 + 200];
  EXPECT_EQ(p >> 24, 0xFFu) << "opaque";
  EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x20, 2);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 0x80, 2);

  ASSERT_TRUE(DecodeGif(Bullet(), picture));
  EXPECT_EQ(picture.width, 9);
  EXPECT_EQ(picture.pixels[4 * 9 + 4], 0xFF2B5FA8u) << "the dot";
  EXPECT_EQ(picture.pixels[0] >> 24, 0u) << "the transparent corner";
}

TEST(PictureTest, CutDamagedAndHostileFilesGiveNoPicture) {
  const std::string jpeg = Jpeg(64, 32, 1, 2, 3), gif = Bullet();
  TPicture picture;
  for (size_t n = 0; n < jpeg.size(); n += 7) {
    EXPECT_FALSE(DecodeJpeg(jpeg.substr(0, n), picture)) << n;
    EXPECT_TRUE(picture.Empty());
  }
  for (size_t n = 0; n < gif.size(); ++n) DecodeGif(gif.substr(0, n), picture);  // must not crash
  EXPECT_FALSE(DecodeGif(gif.substr(0, 10), picture));
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    std::string garbage = i % 2 ? jpeg : gif;
    for (int flips = 0; flips < 8; ++flips) garbage[random() % garbage.size()] = static_cast<char>(random());
    DecodeJpeg(garbage, picture);
    DecodeGif(garbage, picture);
  }
  // A header that claims an enormous picture is refused before any memory
  // is taken for it.
  std::string huge = gif;
  huge[6] = huge[7] = huge[8] = huge[9] = '\xFF';
  EXPECT_FALSE(DecodeGif(huge, picture));
}

class PictureFileTest : public test::PlatformTest {};

TEST_F(PictureFileTest, FilesAreTakenByTheirContentAndMissingOnesLoadAsNone) {
  fake.WriteHostFile("C:\\Strevo\\header.jpg", Jpeg(8, 8, 9, 9, 9));
  fake.WriteHostFile("C:\\Strevo\\bullet.gif", Bullet());
  fake.WriteHostFile("C:\\Strevo\\wrong.gif", Jpeg(8, 8, 9, 9, 9));
  TPicture picture;
  EXPECT_TRUE(LoadPicture("C:\\Strevo\\header.jpg", picture));
  EXPECT_TRUE(LoadPicture("C:\\Strevo\\bullet.gif", picture));
  EXPECT_TRUE(LoadPicture("C:\\Strevo\\wrong.gif", picture)) << "the name's extension does not matter";
  EXPECT_FALSE(LoadPicture("C:\\Strevo\\missing.jpg", picture));
  EXPECT_TRUE(picture.Empty());
}

// The crafted pictures of the fuzz corpus (fuzz/make-corpus writes them):
// small files that cost seconds and gigabytes unless the decoders keep to
// their bounds.
TEST_F(PictureFileTest, CraftedPicturesStopAtTheDecodersBounds) {
  const auto corpus = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" / "corpus";
  const struct {
    const char* file;
    int width;  // 0 when refused
  } cases[] = {
      {"jpeg_picture/repeated-scans.jpg", 0},   // 2501 scans, each over the whole picture
      {"jpeg_picture/too-many-pixels.jpg", 0},  // valid, 4096 x 1025
      {"gif_picture/many-frames.gif", 2048},    // the first frame, never the cut last one
      {"gif_picture/huge-frame.gif", 16},       // the first frame, never the enormous second
  };
  for (const auto& c : cases) {
    std::ifstream in(corpus / c.file, std::ios::binary);
    ASSERT_TRUE(in) << c.file;
    fake.WriteHostFile("C:\\Strevo\\picture", std::string(std::istreambuf_iterator<char>(in), {}));
    TPicture picture;
    EXPECT_EQ(LoadPicture("C:\\Strevo\\picture", picture), c.width > 0) << c.file;
    EXPECT_EQ(picture.width, c.width) << c.file;
  }
}

}  // namespace
}  // namespace strevo
