#include "PngPixels.h"

#include <array>
#include <cstdlib>
#include <stdexcept>

namespace strevo::test {

namespace {

[[noreturn]] void fail(const std::string& why) { throw std::runtime_error(why); }

// The deflate format (RFC 1951): stored, fixed and dynamic Huffman blocks.
class Inflater {
 public:
  Inflater(const std::string& in, size_t start, std::vector<uint8_t>& out) : in_(in), at_(start), out_(out) {}

  void Run() {
    bool last = false;
    while (!last) {
      last = Bits(1) != 0;
      switch (Bits(2)) {
        case 0: Stored(); break;
        case 1: Fixed(); break;
        case 2: Dynamic(); break;
        default: fail("bad deflate block type");
      }
    }
  }

 private:
  struct Huffman {
    std::array<int, 16> count{};
    std::vector<int> symbol;
  };

  int Bits(int need) {
    uint32_t value = buffer_;
    while (held_ < need) {
      if (at_ >= in_.size()) fail("deflate data ends early");
      value |= static_cast<uint32_t>(static_cast<unsigned char>(in_[at_++])) << held_;
      held_ += 8;
    }
    buffer_ = value >> need;
    held_ -= need;
    return static_cast<int>(value & ((1u << need) - 1));
  }

  void Stored() {
    buffer_ = 0;
    held_ = 0;
    if (at_ + 4 > in_.size()) fail("stored block ends early");
    const auto byte = [&](size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(in_[k])); };
    const unsigned length = byte(at_) | (byte(at_ + 1) << 8);
    const unsigned check = byte(at_ + 2) | (byte(at_ + 3) << 8);
    if ((length ^ 0xFFFF) != check) fail("stored block length check");
    at_ += 4;
    if (at_ + length > in_.size()) fail("stored block ends early");
    out_.insert(out_.end(), in_.begin() + static_cast<std::ptrdiff_t>(at_),
                in_.begin() + static_cast<std::ptrdiff_t>(at_ + length));
    at_ += length;
  }

  static Huffman Build(const int* lengths, int n) {
    Huffman h;
    for (int i = 0; i < n; ++i) ++h.count[static_cast<size_t>(lengths[i])];
    h.count[0] = 0;
    std::array<int, 16> offsets{};
    for (size_t len = 1; len < 15; ++len) offsets[len + 1] = offsets[len] + h.count[len];
    h.symbol.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i)
      if (lengths[i] != 0) h.symbol[static_cast<size_t>(offsets[static_cast<size_t>(lengths[i])]++)] = i;
    return h;
  }

  int Decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (size_t len = 1; len <= 15; ++len) {
      code |= Bits(1);
      const int count = h.count[len];
      if (code - count < first) return h.symbol[static_cast<size_t>(index + (code - first))];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    fail("bad Huffman code");
  }

  void Codes(const Huffman& lengths, const Huffman& distances) {
    static const int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int kDistanceBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    for (;;) {
      int symbol = Decode(lengths);
      if (symbol < 256) {
        out_.push_back(static_cast<uint8_t>(symbol));
        continue;
      }
      if (symbol == 256) return;
      symbol -= 257;
      if (symbol >= 29) fail("bad length symbol");
      const int length = kLengthBase[symbol] + Bits(kLengthExtra[symbol]);
      const int d = Decode(distances);
      if (d >= 30) fail("bad distance symbol");
      const size_t distance = static_cast<size_t>(kDistanceBase[d] + Bits(kDistanceExtra[d]));
      if (distance > out_.size()) fail("distance before the start");
      for (int i = 0; i < length; ++i) out_.push_back(out_[out_.size() - distance]);
    }
  }

  void Fixed() {
    int lengths[288 + 30];
    for (int i = 0; i < 144; ++i) lengths[i] = 8;
    for (int i = 144; i < 256; ++i) lengths[i] = 9;
    for (int i = 256; i < 280; ++i) lengths[i] = 7;
    for (int i = 280; i < 288; ++i) lengths[i] = 8;
    for (int i = 0; i < 30; ++i) lengths[288 + i] = 5;
    Codes(Build(lengths, 288), Build(lengths + 288, 30));
  }

  void Dynamic() {
    static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    const int nlen = Bits(5) + 257, ndist = Bits(5) + 1, ncode = Bits(4) + 4;
    if (nlen > 286 || ndist > 30) fail("too many codes");
    int lengths[320] = {};
    for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = Bits(3);
    const Huffman codeLengths = Build(lengths, 19);
    int index = 0;
    while (index < nlen + ndist) {
      int symbol = Decode(codeLengths);
      if (symbol < 16) {
        lengths[index++] = symbol;
        continue;
      }
      int value = 0, repeat = 0;
      if (symbol == 16) {
        if (index == 0) fail("repeat without a length");
        value = lengths[index - 1];
        repeat = 3 + Bits(2);
      } else if (symbol == 17) {
        repeat = 3 + Bits(3);
      } else {
        repeat = 11 + Bits(7);
      }
      if (index + repeat > nlen + ndist) fail("too many lengths");
      while (repeat--) lengths[index++] = value;
    }
    Codes(Build(lengths, nlen), Build(lengths + nlen, ndist));
  }

  const std::string& in_;
  size_t at_;
  std::vector<uint8_t>& out_;
  uint32_t buffer_ = 0;
  int held_ = 0;
};

uint32_t be32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

int paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

bool ReadPng(const std::string& bytes, PngPixels& image, std::string& error) {
  try {
    if (bytes.size() < 8 || bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") != 0) fail("no PNG signature");
    int depth = 0, colourType = -1, interlace = 0;
    std::string compressed;
    for (size_t at = 8; at + 12 <= bytes.size();) {
      const uint32_t length = be32(bytes, at);
      const std::string type = bytes.substr(at + 4, 4);
      if (at + 12 + length > bytes.size()) fail("chunk " + type + " ends early");
      const size_t data = at + 8;
      if (type == "IHDR") {
        image.width = static_cast<int>(be32(bytes, data));
        image.height = static_cast<int>(be32(bytes, data + 4));
        depth = static_cast<unsigned char>(bytes[data + 8]);
        colourType = static_cast<unsigned char>(bytes[data + 9]);
        interlace = static_cast<unsigned char>(bytes[data + 12]);
      } else if (type == "IDAT") {
        compressed.append(bytes, data, length);
      } else if (type == "IEND") {
        break;
      }
      at += 12 + length;
    }
    size_t channels = 0;
    switch (colourType) {
      case 0: channels = 1; break;
      case 2: channels = 3; break;
      case 4: channels = 2; break;
      case 6: channels = 4; break;
      default: fail("colour type " + std::to_string(colourType) + " not read here");
    }
    if (depth != 8 || interlace != 0) fail("only 8-bit images without interlacing are read here");
    if (image.width <= 0 || image.height <= 0 || image.width > 20000 || image.height > 20000) fail("odd size");
    if (compressed.size() < 2) fail("no image data");

    std::vector<uint8_t> raw;
    Inflater(compressed, 2, raw).Run();  // after the zlib header
    const size_t stride = static_cast<size_t>(image.width) * channels;
    const size_t rows = static_cast<size_t>(image.height);
    if (raw.size() < rows * (stride + 1)) fail("image data ends early");
    std::vector<uint8_t> previous(stride, 0), row(stride);
    image.rgba.clear();
    image.rgba.reserve(rows * static_cast<size_t>(image.width));
    for (size_t y = 0; y < rows; ++y) {
      const uint8_t* line = &raw[y * (stride + 1)];
      const int filter = line[0];
      for (size_t x = 0; x < stride; ++x) {
        const int a = x >= channels ? row[x - channels] : 0;
        const int b = previous[x];
        const int c = x >= channels ? previous[x - channels] : 0;
        int predictor = 0;
        switch (filter) {
          case 0: break;
          case 1: predictor = a; break;
          case 2: predictor = b; break;
          case 3: predictor = (a + b) / 2; break;
          case 4: predictor = paeth(a, b, c); break;
          default: fail("bad row filter");
        }
        row[x] = static_cast<uint8_t>(line[1 + x] + predictor);
      }
      for (size_t x = 0; x < static_cast<size_t>(image.width); ++x) {
        const uint8_t* p = &row[x * channels];
        uint32_t r = p[0], g = p[0], b = p[0], alpha = 255;
        if (channels >= 3) g = p[1], b = p[2];
        if (channels == 2) alpha = p[1];
        if (channels == 4) alpha = p[3];
        image.rgba.push_back((r << 24) | (g << 16) | (b << 8) | alpha);
      }
      previous.swap(row);
    }
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace strevo::test
