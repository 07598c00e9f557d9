#include "gui/views/graph_geometry.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "model/history.h"

namespace quorvex::gui::graph {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Room kept above the largest sample, and below the zero line for negative samples.
constexpr double kRangeRoom = 1.1;
constexpr double kZeroRoom = 1.05;
// A value grid never draws more lines than this, whatever the numbers (NaN guards).
constexpr int kMaxLines = 4096;

}  // namespace

ValueScale ComputeValueScale(double maximum, double minimum, int graphHeight) {
  ValueScale result;
  result.fMaximum = maximum;
  result.fMinimum = minimum;
  double range = maximum;
  if (minimum * maximum > 0) {
    if (minimum < 0) range = minimum;
  } else {
    range -= minimum;
  }
  range = std::fabs(range);
  if (range == 0.0 || !std::isfinite(range)) range = kEmptyRange;
  result.fRange = range;
  result.fScale = range * kRangeRoom / std::max(graphHeight, 1);
  if (minimum <= 0 && std::isfinite(minimum)) {
    result.nZeroOffset = static_cast<int>(std::clamp(-minimum * kZeroRoom / result.fScale, -1e6, 1e6));
  }
  return result;
}

double GridStep(double range, double scale) {
  if (!(range > 0) || !std::isfinite(range)) return 1.0;
  const double n = std::trunc(std::log10(range));
  double step = std::trunc(2 * range / std::pow(10.0, n)) * std::pow(10.0, n - 1);
  if (step > 1) step = std::trunc(step);
  if (step == 0) step = 1;
  if (step / scale < kMinGridPixels) step *= 2;
  return step;
}

int64_t TimeToX(int64_t origin, int64_t t) {
  return (t - origin) / kSecondsPerPixel;
}

int ValueToY(int graphBottom, const ValueScale& scale, double value) {
  const double y = graphBottom - scale.nZeroOffset - value / scale.fScale;
  // Far-off values stay far off without overflowing the painter's integers.
  return static_cast<int>(std::clamp(y, -1e6, 1e6));
}

int64_t TimeOrigin(const model::WDHistory& history, int64_t now, int graphWidth) {
  if (history.IsKeepAll() && history.GetCount() > 0) return history.GetAt(0)->GetTime();
  return now - graphWidth * kSecondsPerPixel;
}

int ScrollWidth(const model::WDHistory& history) {
  if (history.GetCount() == 0) return kEmptyScrollWidth;
  const int64_t hours = TimeToX(history.GetAt(0)->GetTime(), history.GetLast()->GetTime());
  return static_cast<int>(std::clamp<int64_t>(hours, 0, 1 << 30));
}

std::optional<RecordSpan> CurveRecords(const model::WDHistory& history, int64_t leftEnd, int64_t rightEnd) {
  const int count = history.GetCount();
  if (count == 0) return std::nullopt;
  RecordSpan span;
  span.newest = std::min(history.FindFirstAt(rightEnd), count - 1);
  span.oldest = std::clamp(history.FindFirstAt(leftEnd) - 1, 0, span.newest);
  return span;
}

int64_t LocalMidnight(int64_t t) {
  std::time_t when = static_cast<std::time_t>(t);
  std::tm parts{};
  if (!localtime_r(&when, &parts)) return t - t % kSecondsPerDay;
  parts.tm_hour = parts.tm_min = parts.tm_sec = 0;
  parts.tm_isdst = -1;
  const std::time_t midnight = std::mktime(&parts);
  return midnight == static_cast<std::time_t>(-1) ? t - t % kSecondsPerDay : midnight;
}

int64_t PreviousMidnight(int64_t midnight) {
  // Noon of the day before is safely inside it, whatever the clock did overnight.
  return LocalMidnight(midnight - kSecondsPerDay / 2);
}

DayLines ComputeDayLines(int64_t rightEnd, int64_t origin, int64_t leftX, int64_t windowSeconds) {
  DayLines result;
  const int64_t days = windowSeconds / kSecondsPerDay;
  const int64_t labelEvery = std::max<int64_t>(days / 10, 1);
  int64_t previousX = TimeToX(origin, rightEnd);
  int64_t midnight = LocalMidnight(rightEnd);
  for (int64_t step = 1; static_cast<int>(result.lines.size()) < kMaxLines; ++step) {
    DayLine line;
    line.time = midnight;
    line.x = TimeToX(origin, midnight);
    if (line.x < leftX) break;
    if (step == days / 2) result.month = MonthLabel{midnight, previousX - kMonthLabelLeft};
    std::time_t when = static_cast<std::time_t>(midnight);
    std::tm parts{};
    if (localtime_r(&when, &parts)) line.day = parts.tm_mday;
    line.monthStart = line.day == 1;
    line.labelled = (line.day - 1) % labelEvery == 0;
    result.lines.push_back(line);
    previousX = line.x;
    const int64_t before = PreviousMidnight(midnight);
    if (before >= midnight) break;
    midnight = before;
  }
  return result;
}

}  // namespace quorvex::gui::graph
