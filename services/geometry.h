// Boxes, angles and distances as every rule of play measures them.
#pragma once

namespace play {

// Boxes by two corners; touching edges overlap.
int BoxesOverlap(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2,
                 float by2);
// Degrees in (0, 360]: (sin a, cos a) points from point 1 toward point 2,
// 90 right, 180 up, 270 left, 360 down.
float GetAngleBetween(float x1, float y1, float x2, float y2);
float GetDistance(float x1, float y1, float x2, float y2);
int IsOffScreen(float x, float y);

// The one pair of degree trigonometry used by every simulation rule, so
// that runs repeat exactly.
double SinDeg(double degrees);
double CosDeg(double degrees);

}  // namespace play
