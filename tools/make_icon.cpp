// make-icon: draws the converter's icon, a record's waveform over its discrete
// signal on a rounded tile, at any size, and writes it as PNG files and one
// Windows icon file:
//
//   make-icon ICON.ico PNG_FOLDER
//
// writes ICON.ico (16, 24, 32, 48 and 256 pixels, each a PNG image inside) and
// PNG_FOLDER/velk-comtrade-SIZE.png for each size. The pixels depend on nothing
// but this file, so every build draws the same bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::array<int, 5> kSizes = {16, 24, 32, 48, 256};
constexpr double kPi = 3.14159265358979323846;

struct Colour {
  double r, g, b;
};
constexpr Colour kTileTop{0.11, 0.33, 0.56};
constexpr Colour kTileBottom{0.05, 0.18, 0.34};
constexpr Colour kGrid{0.35, 0.55, 0.75};
constexpr Colour kWave{1.0, 1.0, 1.0};
constexpr Colour kSignal{1.0, 0.76, 0.15};

// What covers a point of the unit square (0..1 both ways, y downwards): each
// shape answers whether the point is inside it.
struct Picture {
  double size;  // pixels, for the strokes' least width

  double Stroke(double fraction) const { return std::max(fraction, 1.1 / size); }

  static bool InTile(double x, double y) {
    constexpr double kMargin = 0.03, kRadius = 0.18;
    const double cx = std::clamp(x, kMargin + kRadius, 1 - kMargin - kRadius);
    const double cy = std::clamp(y, kMargin + kRadius, 1 - kMargin - kRadius);
    return std::hypot(x - cx, y - cy) <= kRadius;
  }
  // The waveform: a decaying sine, as a fault current dies away.
  static double Wave(double x) {
    return 0.40 - 0.22 * std::exp(-1.2 * (x - 0.12)) * std::sin(2 * kPi * 2.2 * (x - 0.12));
  }
  bool OnWave(double x, double y) const {
    if (x < 0.12 || x > 0.88) return false;
    constexpr double kStep = 1e-4;
    const double slope = (Wave(x + kStep) - Wave(x - kStep)) / (2 * kStep);
    return std::abs(y - Wave(x)) / std::sqrt(1 + slope * slope) <= Stroke(0.035);
  }
  // The discrete signal: low, picked up, dropped out, picked up again.
  bool OnSignal(double x, double y) const {
    const double half = Stroke(0.03);
    constexpr double kLow = 0.84, kHigh = 0.70;
    constexpr std::array<double, 4> kEdges = {0.30, 0.52, 0.66, 0.88};
    if (x < 0.12 - half || x > 0.88 + half) return false;
    bool high = false;
    for (const double edge : kEdges)
      if (x > edge) high = !high;
    const double level = high ? kHigh : kLow;
    if (std::abs(y - level) <= half) return true;
    for (const double edge : kEdges)
      if (std::abs(x - edge) <= half && y >= kHigh - half && y <= kLow + half) return true;
    return false;
  }
  bool OnGrid(double x, double y) const {
    if (size < 32) return false;  // too fine for the small sizes
    const double half = Stroke(0.006);
    return (std::abs(y - 0.40) <= half && x > 0.1 && x < 0.9) ||
           (std::abs(x - 0.12) <= half && y > 0.14 && y < 0.90);
  }

  // The colour and coverage (0 outside the tile) at a point.
  bool At(double x, double y, Colour& colour) const {
    if (!InTile(x, y)) return false;
    colour = {kTileTop.r + (kTileBottom.r - kTileTop.r) * y,
              kTileTop.g + (kTileBottom.g - kTileTop.g) * y,
              kTileTop.b + (kTileBottom.b - kTileTop.b) * y};
    if (OnGrid(x, y)) colour = kGrid;
    if (OnSignal(x, y)) colour = kSignal;
    if (OnWave(x, y)) colour = kWave;
    return true;
  }
};

// RGBA rows, each pixel the mean of 8 x 8 samples.
std::vector<std::uint8_t> Draw(int size) {
  constexpr int kSamples = 8;
  const Picture picture{static_cast<double>(size)};
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) *
                                 4);
  std::size_t at = 0;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / size;
          const double y = (py + (sy + 0.5) / kSamples) / size;
          Colour colour{};
          if (!picture.At(x, y, colour)) continue;
          r += colour.r;
          g += colour.g;
          b += colour.b;
          covered += 1;
        }
      }
      const auto byte = [](double value) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
      };
      const double all = kSamples * kSamples;
      rgba[at++] = covered > 0 ? byte(r / covered) : 0;
      rgba[at++] = covered > 0 ? byte(g / covered) : 0;
      rgba[at++] = covered > 0 ? byte(b / covered) : 0;
      rgba[at++] = byte(covered / all);
    }
  }
  return rgba;
}

// ---- PNG: the image rows in zlib's stored (uncompressed) blocks ----

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5],
              const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<std::uint8_t> Png(int size, const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> raw;  // each row: filter byte 0, then its pixels
  const std::size_t row = static_cast<std::size_t>(size) * 4;
  for (std::size_t y = 0; y < static_cast<std::size_t>(size); ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgba.begin() + static_cast<std::ptrdiff_t>(y * row),
               rgba.begin() + static_cast<std::ptrdiff_t>((y + 1) * row));
  }
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  constexpr std::size_t kBlock = 65535;
  for (std::size_t at = 0; at < raw.size(); at += kBlock) {
    const auto length = static_cast<std::uint16_t>(std::min(kBlock, raw.size() - at));
    zlib.push_back(at + length == raw.size() ? 1 : 0);
    zlib.push_back(static_cast<std::uint8_t>(length));
    zlib.push_back(static_cast<std::uint8_t>(length >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~length));
    zlib.push_back(static_cast<std::uint8_t>(~length >> 8));
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                raw.begin() + static_cast<std::ptrdiff_t>(at + length));
  }
  std::uint32_t a = 1, b = 0;  // Adler-32 of the rows
  for (const std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(zlib, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(size));
  PutBig32(header, static_cast<std::uint32_t>(size));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

// ---- the Windows icon file: a directory of images, each a PNG ----

void PutLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Ico(const std::vector<std::vector<std::uint8_t>>& pngs) {
  std::vector<std::uint8_t> ico;
  PutLittle(ico, 0, 2);
  PutLittle(ico, 1, 2);  // an icon, not a cursor
  PutLittle(ico, static_cast<std::uint32_t>(pngs.size()), 2);
  auto offset = static_cast<std::uint32_t>(6 + 16 * pngs.size());
  for (std::size_t i = 0; i < pngs.size(); ++i) {
    const int size = kSizes[i];
    ico.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));  // 0 stands for 256
    ico.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    PutLittle(ico, 1, 2);   // planes
    PutLittle(ico, 32, 2);  // bits per pixel
    PutLittle(ico, static_cast<std::uint32_t>(pngs[i].size()), 4);
    PutLittle(ico, offset, 4);
    offset += static_cast<std::uint32_t>(pngs[i].size());
  }
  for (const auto& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  return ico;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-icon ICON.ico PNG_FOLDER\n");
    return 64;
  }
  std::vector<std::vector<std::uint8_t>> pngs;
  for (const int size : kSizes) {
    pngs.push_back(Png(size, Draw(size)));
    const std::string path =
        std::string(argv[2]) + "/velk-comtrade-" + std::to_string(size) + ".png";
    if (!Write(path, pngs.back())) {
      std::fprintf(stderr, "make-icon: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  if (!Write(argv[1], Ico(pngs))) {
    std::fprintf(stderr, "make-icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
