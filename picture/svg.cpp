// The SVG file of a picture.
#include "picture/svg.h"

#include <array>
#include <charconv>

#include "comtrade/ascii_pair.h"
#include "comtrade/file_io.h"

namespace velk {
namespace {

// A coordinate with one decimal, whatever the locale.
void PutNumber(std::string& out, float value) {
  std::array<char, 32> text{};
  const auto done =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1);
  std::string_view number(text.data(), static_cast<std::size_t>(done.ptr - text.data()));
  if (number.ends_with(".0")) number.remove_suffix(2);
  out += number;
}

std::string Hex(Colour colour) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t part : {colour.r, colour.g, colour.b}) {
    text += kDigits[part >> 4];
    text += kDigits[part & 15];
  }
  return text;
}

// Text (UTF-8) as SVG holds it: the characters of markup escaped.
std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // Control characters are no XML text.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
  }
  return out;
}

void PutRect(std::string& out, const SceneRect& rect) {
  out += "<rect x=\"";
  PutNumber(out, rect.x);
  out += "\" y=\"";
  PutNumber(out, rect.y);
  out += "\" width=\"";
  PutNumber(out, rect.width);
  out += "\" height=\"";
  PutNumber(out, rect.height);
  out += "\" fill=\"" + Hex(rect.fill) + "\"/>\n";
}

void PutPolyline(std::string& out, const ScenePolyline& line) {
  if (line.points.empty()) return;
  out += "<polyline fill=\"none\" stroke=\"" + Hex(line.colour) + "\" points=\"";
  for (std::size_t i = 0; i < line.points.size(); ++i) {
    if (i > 0) out += ' ';
    PutNumber(out, line.points[i].x);
    out += ',';
    PutNumber(out, line.points[i].y);
  }
  out += "\"/>\n";
}

void PutText(std::string& out, const SceneText& text) {
  constexpr std::array<const char*, 3> kAnchors{"start", "middle", "end"};
  out += "<text x=\"";
  PutNumber(out, text.x);
  out += "\" y=\"";
  PutNumber(out, text.y);
  out += "\" font-size=\"" + std::to_string(text.size) + "\" fill=\"" + Hex(text.colour) + "\"";
  if (text.anchor != TextAnchor::kStart)
    out += std::string(" text-anchor=\"") + kAnchors[static_cast<std::size_t>(text.anchor)] + "\"";
  if (text.bold) out += " font-weight=\"bold\"";
  out += ">";
  if (!text.whole.empty()) out += "<title>" + Escaped(text.whole) + "</title>";
  out += Escaped(text.text) + "</text>\n";
}

}  // namespace

std::string SvgText(const Scene& scene) {
  const std::string width = std::to_string(scene.width), height = std::to_string(scene.height);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
         "\" viewBox=\"0 0 " + width + " " + height +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\" stroke-width=\"1\">\n";
  PutRect(out, {0, 0, static_cast<float>(scene.width), static_cast<float>(scene.height),
                scene.background});
  for (const SceneRect& rect : scene.rects) PutRect(out, rect);
  for (const ScenePolyline& line : scene.lines) PutPolyline(out, line);
  for (const SceneText& text : scene.texts) PutText(out, text);
  out += "</svg>\n";
  return out;
}

Outcome WriteSvg(const Scene& scene, const std::string& path) {
  class Keep : public Reporter {
   public:
    void Report(const Outcome&) override {}
  } quiet;
  FirstReport reporter(quiet);
  OutFile svg;
  if (!CreateOrReport(reporter, svg, path)) return reporter.first();
  svg.Write(SvgText(scene));
  FinishWritten(reporter, svg);
  return reporter.first();
}

}  // namespace velk
