#include "services/geometry.h"

#include <cmath>

namespace play {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

int BoxesOverlap(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2,
                 float by2) {
  if (ax1 > bx2 || ax2 < bx1) return 0;
  if (ay1 > by2 || ay2 < by1) return 0;
  return 1;
}

double SinDeg(double degrees) { return std::sin(degrees * (kPi / 180.0)); }
double CosDeg(double degrees) { return std::cos(degrees * (kPi / 180.0)); }

float GetAngleBetween(float x1, float y1, float x2, float y2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  return static_cast<float>(std::atan2(static_cast<double>(dx), static_cast<double>(dy)) *
                                (180.0 / kPi) +
                            180.0);
}

float GetDistance(float x1, float y1, float x2, float y2) {
  const float dx = x1 - x2;
  const float dy = y1 - y2;
  return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

int IsOffScreen(float x, float y) {
  return (x < -100.0f || x > 900.0f || y < -100.0f || y > 700.0f) ? 1 : 0;
}

}  // namespace play
