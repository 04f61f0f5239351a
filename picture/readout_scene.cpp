// Laying out the cursors' readout, the phasor diagram and the printed page as
// rectangles, lines and texts.
#include "picture/readout_scene.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>

#include "comtrade/record_reader.h"
#include "picture/analysis.h"
#include "picture/text_columns.h"
#include "picture/time_axis.h"

namespace velk {
namespace {

constexpr int kTextSize = 11;
constexpr Colour kInk{0, 0, 0};
constexpr Colour kFaint{110, 110, 110};
constexpr Colour kCursorA{30, 60, 200};
constexpr Colour kCursorB{150, 40, 160};
constexpr Colour kGrid{200, 200, 200};
constexpr Colour kHeading{236, 236, 236};
// Phases A, B and C in the colours of the trade; other channels in brown.
constexpr Colour kPhaseA{190, 150, 0}, kPhaseB{0, 140, 60}, kPhaseC{200, 30, 30};
constexpr Colour kOther{90, 60, 30};

constexpr std::string_view kMs = "мс";
constexpr std::string_view kCycles = "пер.";
constexpr std::string_view kUnit = "Ед.";
constexpr std::string_view kAngle = "Угол, °";
constexpr std::string_view kSample = "отсчёт";
constexpr std::string_view kDifference = "B − A";  // a channel's value at B less that at A
constexpr std::string_view kDelta = "Δt = B − A";  // the time from cursor A to B
constexpr std::string_view kSequences = "Симметричные составляющие";
constexpr std::string_view kSignals = "Сигналы";
constexpr std::string_view kNoCursor = "Курсор A не поставлен";
constexpr std::string_view kNoCycle = "До курсора A нет полного периода";
constexpr std::string_view kNoSets = "Нет трёхфазных групп каналов";
constexpr std::string_view kPhasorsAt = "Векторы при A: ";
constexpr std::string_view kPrimary = "первичные значения";
constexpr std::string_view kSecondary = "вторичные значения";
// The heading of the channels' column: the side their values are on.
constexpr std::string_view kPrimaryHeading = "Первичные значения";
constexpr std::string_view kSecondaryHeading = "Вторичные значения";
constexpr std::string_view kStart = "Пуск ";

std::string AngleHeading() {
  return std::string(kAngle);
}

std::string Fixed(double value, int decimals) {
  std::array<char, 64> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), value,
                                  std::chars_format::fixed, decimals);
  if (done.ec != std::errc{}) return "?";
  std::string fixed(text.data(), done.ptr);
  // A value that rounds to zero reads 0, whatever its sign.
  if (fixed.front() == '-' && fixed.find_first_not_of("0.", 1) == std::string::npos)
    fixed.erase(0, 1);
  return fixed;
}

// A value as a person reads it: fewer decimals for larger values.
std::string Reading(double value) {
  const double size = std::abs(value);
  return Fixed(value, size >= 1000 ? 0 : size >= 100 ? 1 : size >= 10 ? 2 : 3);
}

std::string Optional(const std::optional<double>& value) {
  return value ? Reading(*value) : std::string();
}

std::string AngleText(const std::optional<double>& angle) {
  return angle ? Fixed(ShownAngle(*angle, 1), 1) : std::string();
}

bool Hidden(const std::vector<bool>& hidden, std::size_t index) {
  return index < hidden.size() && hidden[index];
}

Colour PhaseColour(const std::string& phase) {
  if (phase.empty()) return kOther;
  switch (phase[0]) {
    case 'A':
    case 'a':
      return kPhaseA;
    case 'B':
    case 'b':
      return kPhaseB;
    case 'C':
    case 'c':
      return kPhaseC;
    default:
      return kOther;
  }
}

// The quantity a unit measures, whatever its prefix: "mA", "A" and "kA" are
// currents alike, "В" and "кВ" voltages: the unit's last character.
std::string Quantity(const std::string& unit) {
  std::size_t last = unit.size();
  while (last > 0 && (static_cast<unsigned char>(unit[last - 1]) & 0xC0) == 0x80) --last;
  return last > 0 ? unit.substr(last - 1) : std::string();
}

// A phasor's magnitude in its quantity's unit without a prefix, so that
// channels shown in V and in kV are drawn to one scale.
double Unprefixed(double magnitude, const std::string& unit) {
  return magnitude * UnitWorth(unit);
}

// Where the readout's columns lie, in natural points. A pane narrower than
// the whole table takes each channel in two rows: the values at the cursors,
// then the RMS, the phasor and the harmonics.
struct Columns {
  bool two_rows = false;
  float natural_width = 980;
  float unit = 140, a = 180, b = 260, delta = 340, rms = 420, x1 = 500, angle = 580,
        harmonics = 640, harmonic_width = 56;
  // The sequences' six columns: |X1|, its angle, |X2|, its angle, 3|X0|, its angle.
  std::array<float, 6> sequence{340, 420, 500, 580, 640, 720};
};

Columns ColumnsFor(int width, float scale) {
  Columns wide;
  if (static_cast<float>(width) >= 0.85f * wide.natural_width * scale) return wide;
  Columns narrow;
  narrow.two_rows = true;
  narrow.natural_width = 440;
  narrow.unit = 12;
  narrow.rms = 50;
  narrow.x1 = 115;
  narrow.angle = 175;
  narrow.harmonics = 225;
  narrow.harmonic_width = 36;
  narrow.sequence = {12, 80, 150, 218, 288, 356};
  return narrow;
}

class Table {
 public:
  Table(int width, float scale, float natural_width)
      : width_(width), scale_(scale > 0 ? scale : 1.0f) {
    fit_ = std::min(1.0f, static_cast<float>(width) / (natural_width * scale_));
  }

  // The x of a column that lies at natural points at the natural width.
  float X(float natural) const { return natural * scale_ * fit_; }
  float Row() const { return kReadoutRow * scale_; }

  void Text(float natural_x, std::string text, Colour colour = kInk, bool bold = false) {
    if (text.empty()) return;
    const float y = top_ + Row() - 4 * scale_;
    scene_.texts.push_back({X(natural_x) + 3 * scale_,
                            y,
                            std::move(text),
                            colour,
                            TextAnchor::kStart,
                            static_cast<int>(std::lround(kTextSize * scale_)),
                            bold,
                            {}});
  }
  void Shade() { scene_.rects.push_back({0, top_, static_cast<float>(width_), Row(), kHeading}); }
  void Next() { top_ += Row(); }

  Scene Finish() {
    scene_.width = width_;
    scene_.height = static_cast<int>(std::ceil(top_ + 4 * scale_));
    return std::move(scene_);
  }

 private:
  Scene scene_;
  int width_;
  float scale_, fit_ = 1;
  float top_ = 2;
};

std::string SetName(const RecordPicture& picture, const PhaseSet& set) {
  std::string name;
  for (const int c : set.channels) {
    if (!name.empty()) name += ", ";
    name += picture.channels()[static_cast<std::size_t>(c)].name;
  }
  return name;
}

bool SetShown(const PictureView& view, const PhaseSet& set) {
  return std::none_of(set.channels.begin(), set.channels.end(), [&](int c) {
    return Hidden(view.hidden_channels, static_cast<std::size_t>(c));
  });
}

// Draws part into scene moved by dx, dy and made factor times larger.
void Place(Scene& scene, const Scene& part, float dx, float dy, float factor) {
  for (SceneRect rect : part.rects) {
    rect.x = dx + rect.x * factor;
    rect.y = dy + rect.y * factor;
    rect.width *= factor;
    rect.height *= factor;
    scene.rects.push_back(rect);
  }
  for (ScenePolyline line : part.lines) {
    for (ScenePoint& p : line.points) p = {dx + p.x * factor, dy + p.y * factor};
    scene.lines.push_back(std::move(line));
  }
  for (SceneText text : part.texts) {
    text.x = dx + text.x * factor;
    text.y = dy + text.y * factor;
    text.size = std::max(1, static_cast<int>(std::lround(static_cast<float>(text.size) * factor)));
    scene.texts.push_back(std::move(text));
  }
}

}  // namespace

std::string ShownTime(const RecordPicture& picture, double time_ms, bool clock) {
  const ClockStart start = picture.clock_start();
  const std::optional<double> origin = clock ? ClockMs(start) : std::nullopt;
  if (!origin || !std::isfinite(time_ms) || std::abs(time_ms) > 1e12)
    return Fixed(time_ms, 2) + " " + std::string(kMs);
  return ClockLabel(*origin + time_ms, ClockDecimals(start));
}

std::optional<TwoCursors> AnalyseView(const RecordPicture& picture, const PictureView& view,
                                      int reference) {
  if (!view.cursor_ms) return std::nullopt;
  if (view.cursor_b_ms)
    return AnalyseBetween(picture, *view.cursor_ms, *view.cursor_b_ms, view.primary, reference);
  TwoCursors a;
  a.a = AnalyseAt(picture, *view.cursor_ms, view.primary, reference);
  return a;
}

Scene DrawReadout(const RecordPicture& picture, const PictureView& view, int reference, int width) {
  return DrawReadout(picture, view, AnalyseView(picture, view, reference), reference, width);
}

Scene DrawReadout(const RecordPicture& picture, const PictureView& view,
                  const std::optional<TwoCursors>& read, int reference, int width) {
  const Columns at = ColumnsFor(width, view.scale);
  Table table(width, view.scale, at.natural_width);
  if (!view.cursor_ms || !read) return table.Finish();
  const bool two = view.cursor_b_ms.has_value();
  const TwoCursors& both = *read;
  const CursorAnalysis& a = both.a;
  const CursorAnalysis* b = two ? &both.b : nullptr;
  const auto where = [&](const CursorAnalysis& cursor) {
    std::string text = ShownTime(picture, cursor.readout.time_ms, view.clock_time);
    if (cursor.readout.sample >= 0)
      text += "  (" + std::string(kSample) + " " + std::to_string(cursor.readout.sample) + ")";
    return text;
  };

  table.Text(0, "A: " + where(a), kCursorA, true);
  if (b) {
    if (at.two_rows) table.Next();
    table.Text(at.two_rows ? 0 : at.rms - 80, "B: " + where(*b), kCursorB, true);
    std::string delta =
        std::string(kDelta) + ": " + Fixed(both.delta_ms, 2) + " " + std::string(kMs);
    if (both.delta_cycles)
      delta += ", " + Fixed(*both.delta_cycles, 3) + " " + std::string(kCycles);
    if (at.two_rows) table.Next();
    table.Text(at.two_rows ? 0 : at.harmonics + 40, delta, kInk, true);
  }
  table.Next();

  const auto& channels = picture.channels();
  const bool any_channel = std::any_of(channels.begin(), channels.end(), [&](const auto& ch) {
    return !Hidden(view.hidden_channels, static_cast<std::size_t>(&ch - channels.data()));
  });
  if (any_channel) {
    table.Shade();
    table.Text(0, std::string(view.primary ? kPrimaryHeading : kSecondaryHeading), kInk, true);
    table.Text(at.a, "A", kCursorA, true);
    if (b) {
      table.Text(at.b, "B", kCursorB, true);
      table.Text(at.delta, std::string(kDifference), kInk, true);
    }
    if (at.two_rows) {
      table.Next();
      table.Shade();
    }
    table.Text(at.unit, std::string(kUnit), kInk, true);
    table.Text(at.rms, "RMS", kInk, true);
    table.Text(at.x1, "|X1|", kInk, true);
    table.Text(at.angle, AngleHeading(), kInk, true);
    for (int h = 2; h <= kHighestHarmonic; ++h)
      table.Text(at.harmonics + static_cast<float>(h - 2) * at.harmonic_width,
                 "h" + std::to_string(h) + (at.two_rows ? ",%" : ", %"), kInk, true);
    table.Next();
  }
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (Hidden(view.hidden_channels, c)) continue;
    table.Text(0, channels[c].name, kInk, static_cast<int>(c) == reference);
    const std::string unit = channels[c].OnSide(view.primary).unit;
    if (!at.two_rows) table.Text(at.unit, unit, kFaint);
    table.Text(at.a, Optional(a.readout.values[c]));
    if (b) {
      table.Text(at.b, Optional(b->readout.values[c]));
      table.Text(at.delta, Optional(both.delta[c]));
    }
    if (at.two_rows) {
      table.Next();
      table.Text(at.unit, unit, kFaint);
    }
    table.Text(at.rms, Optional(a.readout.rms[c]));
    if (c < a.phasors.size() && a.phasors[c]) {
      const ChannelPhasors& phasors = *a.phasors[c];
      table.Text(at.x1, Reading(phasors.phasor.magnitude));
      table.Text(at.angle, AngleText(phasors.phasor.angle_deg));
      for (std::size_t h = 0; h < phasors.harmonics.size(); ++h)
        if (phasors.harmonics[h])
          table.Text(at.harmonics + static_cast<float>(h) * at.harmonic_width,
                     Fixed(*phasors.harmonics[h], 1));
    }
    table.Next();
  }

  bool sequences_heading = false;
  for (const SequenceComponents& sequence : a.sequences) {
    if (!SetShown(view, sequence.set)) continue;
    if (!sequences_heading) {
      table.Shade();
      table.Text(0, std::string(kSequences), kInk, true);
      // The set's names take a row of their own: three names are long.
      table.Next();
      table.Shade();
      const std::array<std::string, 6> headings{"|X1|",         AngleHeading(), "|X2|",
                                                AngleHeading(), "3|X0|",        AngleHeading()};
      for (std::size_t i = 0; i < headings.size(); ++i)
        table.Text(at.sequence[i], headings[i], kInk, true);
      table.Next();
      sequences_heading = true;
    }
    table.Text(0, SetName(picture, sequence.set));
    table.Next();
    table.Text(at.sequence[0], Reading(sequence.positive.magnitude));
    table.Text(at.sequence[1], AngleText(sequence.positive.angle_deg));
    table.Text(at.sequence[2], Reading(sequence.negative.magnitude));
    table.Text(at.sequence[3], AngleText(sequence.negative.angle_deg));
    if (sequence.zero) {
      table.Text(at.sequence[4], Reading(3 * sequence.zero->magnitude));
      table.Text(at.sequence[5], AngleText(sequence.zero->angle_deg));
    }
    table.Next();
  }

  const auto& signals = picture.discrete_signals();
  bool signals_heading = false;
  for (std::size_t s = 0; s < signals.size(); ++s) {
    if (Hidden(view.hidden_signals, s)) continue;
    if (!signals_heading) {
      table.Shade();
      table.Text(0, std::string(kSignals), kInk, true);
      table.Text(at.a, "A", kCursorA, true);
      if (b) table.Text(at.b, "B", kCursorB, true);
      table.Next();
      signals_heading = true;
    }
    table.Text(0, signals[s].name);
    table.Text(at.a, a.readout.states[s] ? "1" : "0", kInk, a.readout.states[s]);
    if (b) table.Text(at.b, b->readout.states[s] ? "1" : "0", kInk, b->readout.states[s]);
    table.Next();
  }
  return table.Finish();
}

Scene DrawPhasors(const RecordPicture& picture, const PictureView& view, int reference, int width,
                  int height) {
  return DrawPhasors(picture, view, AnalyseView(picture, view, reference), reference, width,
                     height);
}

Scene DrawPhasors(const RecordPicture& picture, const PictureView& view,
                  const std::optional<TwoCursors>& read, int reference, int width, int height) {
  Scene scene;
  scene.width = width;
  scene.height = height;
  const float scale = view.scale > 0 ? view.scale : 1.0f;
  const int text_size = static_cast<int>(std::lround(kTextSize * scale));
  const auto note = [&](std::string_view text) {
    scene.texts.push_back({static_cast<float>(width) / 2,
                           static_cast<float>(height) / 2,
                           std::string(text),
                           kFaint,
                           TextAnchor::kMiddle,
                           text_size,
                           false,
                           {}});
    return scene;
  };
  if (!view.cursor_ms || !read) return note(kNoCursor);
  const CursorAnalysis& at = read->a;
  if (!at.cycle_samples) return note(kNoCycle);

  // The channels drawn: those of each set and the reference that are shown
  // and have a phasor with a direction.
  std::vector<std::size_t> drawn;
  const auto draw = [&](int c) {
    const auto channel = static_cast<std::size_t>(c);
    if (c < 0 || Hidden(view.hidden_channels, channel) || channel >= at.phasors.size() ||
        !at.phasors[channel] || !at.phasors[channel]->phasor.angle_deg ||
        std::find(drawn.begin(), drawn.end(), channel) != drawn.end())
      return;
    drawn.push_back(channel);
  };
  for (const PhaseSet& set : PhaseSets(picture.channels()))
    for (const int c : set.channels) draw(c);
  if (drawn.empty()) return note(kNoSets);
  draw(reference);

  std::map<std::string, double> largest;  // per quantity, unprefixed
  const auto unit_of = [&](std::size_t c) {
    return picture.channels()[c].OnSide(view.primary).unit;
  };
  for (const std::size_t c : drawn) {
    double& most = largest[Quantity(unit_of(c))];
    most = std::max(most, Unprefixed(at.phasors[c]->phasor.magnitude, unit_of(c)));
  }

  const float title = 20 * scale;
  const float cx = static_cast<float>(width) / 2;
  const float cy = title + (static_cast<float>(height) - title) / 2;
  const float radius = std::max(
      10.0f, std::min(static_cast<float>(width) / 2, (static_cast<float>(height) - title) / 2) -
                 28 * scale);
  scene.texts.push_back(
      {6 * scale,
       15 * scale,
       std::string(kPhasorsAt) + ShownTime(picture, at.readout.time_ms, view.clock_time),
       kCursorA,
       TextAnchor::kStart,
       text_size,
       true,
       {}});
  // The circle of the largest magnitude, and the axes through its centre.
  ScenePolyline circle{{}, kGrid};
  for (int k = 0; k <= 72; ++k) {
    const double turn = 2 * std::numbers::pi * k / 72;
    circle.points.push_back({cx + radius * static_cast<float>(std::cos(turn)),
                             cy - radius * static_cast<float>(std::sin(turn))});
  }
  scene.lines.push_back(std::move(circle));
  scene.lines.push_back({{{cx - radius - 6 * scale, cy}, {cx + radius + 6 * scale, cy}}, kGrid});
  scene.lines.push_back({{{cx, cy - radius - 6 * scale}, {cx, cy + radius + 6 * scale}}, kGrid});

  // The names placed so far: a name that finds no place clear of them is
  // left out (the readout has its values).
  struct LabelBox {
    float left = 0, top = 0, width = 0, height = 0;
    bool Meets(const LabelBox& o) const {
      return left < o.left + o.width && o.left < left + width && top < o.top + o.height &&
             o.top < top + height;
    }
  };
  std::vector<LabelBox> labels;
  for (const std::size_t c : drawn) {
    const PictureChannel& channel = picture.channels()[c];
    const ChannelPhasors& phasors = *at.phasors[c];
    const double most = largest[Quantity(unit_of(c))];
    const double length = most > 0 ? Unprefixed(phasors.phasor.magnitude, unit_of(c)) / most : 0;
    const double angle = std::arg(phasors.fundamental);
    const float tip_x = cx + radius * static_cast<float>(length * std::cos(angle));
    const float tip_y = cy - radius * static_cast<float>(length * std::sin(angle));
    const Colour colour = PhaseColour(channel.phase);
    scene.lines.push_back({{{cx, cy}, {tip_x, tip_y}}, colour});
    // The arrow's head: two strokes back from the tip, 25° off the shaft.
    const float head = 9 * scale;
    for (const double side : {-1.0, 1.0}) {
      const double back = angle + std::numbers::pi + side * 25 * std::numbers::pi / 180;
      scene.lines.push_back({{{tip_x, tip_y},
                              {tip_x + head * static_cast<float>(std::cos(back)),
                               tip_y - head * static_cast<float>(std::sin(back))}},
                             colour});
    }
    // The name beyond the tip, pushed further out (and then aside) where it
    // would run into a name placed before it or out of the pane.
    const float line = static_cast<float>(text_size) + 2 * scale;
    const float wide =
        static_cast<float>(TextColumns(channel.name)) * static_cast<float>(text_size) * 0.62f;
    for (int out = 0; out < 8; ++out) {
      bool placed = false;
      for (const float aside : {0.0f, line, -line}) {
        const float along = 12 * scale + static_cast<float>(out) * line;
        const float x = tip_x + along * static_cast<float>(std::cos(angle)) -
                        aside * static_cast<float>(std::sin(angle));
        const float y = tip_y - along * static_cast<float>(std::sin(angle)) -
                        aside * static_cast<float>(std::cos(angle)) + 4 * scale;
        const LabelBox box{x - wide / 2, y - static_cast<float>(text_size), wide, line};
        if (box.left < 0 || box.top < title || box.left + box.width > static_cast<float>(width) ||
            box.top + box.height > static_cast<float>(height) ||
            std::any_of(labels.begin(), labels.end(),
                        [&](const LabelBox& other) { return other.Meets(box); }))
          continue;
        labels.push_back(box);
        scene.texts.push_back(
            {x, y, channel.name, colour, TextAnchor::kMiddle, text_size, false, {}});
        placed = true;
        break;
      }
      if (placed) break;
    }
  }
  return scene;
}

Scene DrawPage(const RecordPicture& picture, const PictureView& view, int reference,
               const std::string& names, int width, int height) {
  return DrawPage(picture, view, AnalyseView(picture, view, reference), reference, names, width,
                  height);
}

Scene DrawPage(const RecordPicture& picture, const PictureView& view,
               const std::optional<TwoCursors>& read, int reference, const std::string& names,
               int width, int height) {
  Scene page;
  page.width = width;
  page.height = height;
  const float page_width = static_cast<float>(std::max(width, 1));
  const float page_height = static_cast<float>(std::max(height, 1));
  constexpr float kTitle = 24;
  // The readout's height does not depend on its width: its rows are fixed.
  const float readout =
      static_cast<float>(DrawReadout(picture, view, read, reference, width).height);
  // The picture keeps at least half the page; the whole is made smaller
  // where the readout would leave it less.
  const float factor = std::min(1.0f, page_height / (kTitle + readout + page_height / 2));
  const float inner_width = page_width / factor, inner_height = page_height / factor;

  std::string title = names;
  if (!picture.station().empty()) title += "    " + picture.station();
  title += "    " + std::string(kStart) + StartLabel(picture.clock_start());
  title += "    " + std::string(view.primary ? kPrimary : kSecondary);
  Scene head;
  head.texts.push_back({6, 17, title, kInk, TextAnchor::kStart, 12, true, {}});
  Place(page, head, 0, 0, factor);

  PictureView shown = view;
  shown.width = static_cast<int>(inner_width);
  shown.height = std::max(1, static_cast<int>(inner_height - kTitle - readout));
  Place(page, DrawPicture(picture, shown), 0, kTitle * factor, factor);
  Place(page, DrawReadout(picture, view, read, reference, static_cast<int>(inner_width)), 0,
        (kTitle + static_cast<float>(shown.height)) * factor, factor);
  return page;
}

}  // namespace velk
