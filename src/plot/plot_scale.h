// The plot scale arithmetic shared by the plot run and the scale check:
// paper diagonals, the scale a drawing's limits give on a sheet, and whether
// that scale looks like one a drawing was really made at.
#pragma once
#include <optional>
#include <string>

namespace plot {

// Diagonals in millimetres of the sheets A0, A1, A2, A3, A4, in that order.
// Used as stored: recomputing them would move ratios across a rounding edge.
inline constexpr double kASeriesDiagonals[5] = {1456.366025, 1029.619833, 727.4860823, 514.4015941,
                                                363.7430412};

// √(A² + B²) of a paper size A "x" B; a side that is not a number counts 0,
// so "000x000" gives 0.
double PaperSizeDiagonal(const std::string& size);

// The two numbers of a point text "x,y" as AutoCAD shows it; nullopt when
// either part is not a number.
struct Point2 {
  double x = 0, y = 0;
};
std::optional<Point2> ParsePoint(const std::string& text);

// AutoCAD's limits of a new drawing: a drawing still holding them has no
// limits of its own.
bool IsDefaultLimits(const Point2& min, const Point2& max);

// The fractional part of a rounded scale is exactly 0 or exactly 0.5 (the
// sign is kept, so -2.5 does not count).
bool IsWholeOrHalf(double v);

// The model scale of limits with this diagonal on a paper with that
// diagonal, to hundredths.
double LimitsScale(double limitsDiagonal, double paperDiagonal);

// True when the scale, or the ratio of the limits to any A-series sheet, is
// a whole number or ends in .5.
bool IsPlausibleLimitsScale(double limitsDiagonal, double scale);

}  // namespace plot
