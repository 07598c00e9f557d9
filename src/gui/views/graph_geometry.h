#pragma once
// The arithmetic of the history graph, free of Qt so that it can be checked without painting.
//
// Horizontal axis: one pixel per hour. x is counted in whole hours (truncated) from a time origin:
// the first sample when the history keeps all samples, else the current time minus the graph's
// width in hours. Vertical axis: y = graph bottom - zero offset - value / scale, where the scale
// (value units per pixel) fits the samples of the last window of hours (as many as the view is wide)
// into the graph's height with some room above and below. Times are seconds since 1970 UTC; day
// lines fall on local midnights. Pure functions; any thread.
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvex::model {
class WDHistory;
}

namespace quorvex::gui::graph {

inline constexpr int64_t kSecondsPerPixel = 3600;  // one pixel per hour
inline constexpr int kPaintBand = 30;              // band under the graph while painting
inline constexpr int kScaleBand = 50;              // band assumed when the scale is computed
inline constexpr int kScrollHeightMargin = 20;     // scroll height = client height - this
inline constexpr int kEmptyScrollWidth = 5;        // scroll width of a history without samples
inline constexpr int kTickBelow = 3;               // day lines reach this far into the band
inline constexpr int kDayNumberBelow = 12;         // baseline of the day numbers below the graph
inline constexpr int kMonthLabelBelow = 25;        // baseline of the month and year
inline constexpr int kMonthLabelLeft = 33;         // month label starts this far left of a day line
inline constexpr int kValueLabelLeft = 30;         // value labels start this far from the left
inline constexpr int kValueLabelRaise = 3;         // value labels sit this far above their line
inline constexpr int kMinGridPixels = 20;          // a grid step shorter than this is doubled
inline constexpr double kEmptyRange = 3.0;         // the range of samples that span nothing

// The fitted value scale.
struct ValueScale {
  double fMaximum = 0.0;  // largest sample in the window
  double fMinimum = 0.0;  // smallest sample in the window
  double fRange = kEmptyRange;
  double fScale = 1.0;  // value units per pixel, > 0
  int nZeroOffset = 0;  // pixels from the graph's bottom up to the zero line
};

// The scale for samples between minimum and maximum in a graph graphHeight pixels high (a height
// below 1 counts as 1). Samples all of one sign are measured from zero: the range is the maximum
// (positive) or the magnitude of the minimum (negative, zero line near the top); samples on both
// sides of zero take max - min. A range of 0 becomes kEmptyRange; a range that is not finite too.
ValueScale ComputeValueScale(double maximum, double minimum, int graphHeight);

// The distance between value grid lines for range drawn at scale: a round step of about a fifth of
// the range (a whole number when above 1, never 0), doubled when it would be under kMinGridPixels.
double GridStep(double range, double scale);

// Whole hours (truncated toward zero) from origin to t.
int64_t TimeToX(int64_t origin, int64_t t);
// The y of value: graphBottom - zero offset - value / scale, truncated.
int ValueToY(int graphBottom, const ValueScale& scale, double value);

// The time origin of history: its first sample when it keeps all samples and has one, else now
// minus graphWidth hours.
int64_t TimeOrigin(const model::WDHistory& history, int64_t now, int graphWidth);
// The scroll width: whole hours from the first to the newest sample; kEmptyScrollWidth without samples.
int ScrollWidth(const model::WDHistory& history);

// The records [oldest, newest] that the curve joins for the time window [leftEnd, rightEnd]: from the
// first record at or after rightEnd (the newest when none) back to the one before the first record at
// or after leftEnd. nullopt for an empty history.
struct RecordSpan {
  int oldest = 0;
  int newest = 0;
};
std::optional<RecordSpan> CurveRecords(const model::WDHistory& history, int64_t leftEnd, int64_t rightEnd);

// The day lines of a window: local midnights from the one of rightEnd's day backwards, while their x
// (TimeToX from origin) is not left of leftX.
struct DayLine {
  int64_t time = 0;  // the local midnight
  int64_t x = 0;
  int day = 1;              // day of the month
  bool monthStart = false;  // drawn in red
  bool labelled = false;    // carries its day number
};
struct MonthLabel {
  int64_t time = 0;  // the time whose month and year it names
  int64_t x = 0;     // its left end
};
struct DayLines {
  std::vector<DayLine> lines;  // newest first
  std::optional<MonthLabel> month;
};
// windowSeconds is the visible span; it decides how many lines carry a number (every line when the
// window holds up to 19 days, every second up to 29, ...) and where the month label goes: at step
// days / 2 (counting the first line as step 1), kMonthLabelLeft left of the line before that step
// (of rightEnd's x when there is none).
DayLines ComputeDayLines(int64_t rightEnd, int64_t origin, int64_t leftX, int64_t windowSeconds);

// Local midnight of the day of t, and of the day before the day of midnight (a day is not always 24
// hours long).
int64_t LocalMidnight(int64_t t);
int64_t PreviousMidnight(int64_t midnight);

}  // namespace quorvex::gui::graph
