// Drawing into the render target, read back pixel by pixel, under both
// renderers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/gfx.h"
#include "platform/headless.h"
#include "support/sandbox.h"

namespace {

using namespace plat;

constexpr uint32_t Rgba(int r, int g, int b, int a = 255) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
         (static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(a) << 24);
}

struct Px {
  int r, g, b;
};

Px PixelAt(const std::vector<uint32_t>& px, int x, int y) {
  uint32_t p = px.at(static_cast<size_t>(y) * kScreenW + x);
  return {static_cast<int>(p & 255), static_cast<int>((p >> 8) & 255),
          static_cast<int>((p >> 16) & 255)};
}

Px ReadPixel(int x, int y) { return PixelAt(ReadTargetPixels(), x, y); }

void ExpectPixel(int x, int y, Px want, int tolerance = 0) {
  Px got = ReadPixel(x, y);
  EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << "," << y;
  EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << "," << y;
  EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << "," << y;
}

bool Lit(const std::vector<uint32_t>& px, int x, int y) {
  Px p = PixelAt(px, x, y);
  return p.r + p.g + p.b > 0;
}

// One image of solid-colour pixels, unfiltered so pixels stay exact.
ImagePtr Solid(int w, int h, uint32_t colour) {
  return ImageFromPixels(w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, colour), 0);
}

class GfxTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    test::ResetPlatform();
    test::UseManualClock();
    const char* want = GetParam() == kDriverOpenGL ? "opengl" : "software";
    if (RendererName() != want) {
      SetGraphicsDriver(GetParam());
      ASSERT_TRUE(Graphics(kScreenW, kScreenH, 0, 60, 0));
    }
    ASSERT_EQ(RendererName(), want);
    Cls();
  }
  // ctest runs each renderer's instance in its own process at the same time:
  // files must not be shared between them.
  void TearDown() override {
    if (!dir_.empty()) vtest::RemoveTree(dir_);
  }
  std::string TempPath(const std::string& name) {
    if (dir_.empty()) dir_ = vtest::MakeTempDir("gfx");
    return dir_ + "/" + name;
  }
  std::string Name() const { return RendererName(); }
  std::string dir_;
};

TEST_P(GfxTest, ColourIsClampedPerChannel) {
  SetColor(300, -5, 263);
  int r, g, b;
  GetColor(r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 255);
  DrawRect(10, 10, 4, 4);
  ExpectPixel(11, 11, {255, 0, 255});
}

TEST_P(GfxTest, BlendModesMixWithTheTarget) {
  SetClsColor(100, 50, 0);
  Cls();
  SetColor(50, 50, 50);
  SetBlend(kLightBlend);
  DrawRect(0, 0, 10, 10);
  ExpectPixel(5, 5, {150, 100, 50}, 1);

  SetBlend(kAlphaBlend);
  SetAlpha(0.5f);
  SetColor(200, 0, 0);
  DrawRect(20, 0, 10, 10);
  ExpectPixel(25, 5, {150, 25, 0}, 2);

  SetBlend(kSolidBlend);
  SetColor(10, 20, 30);
  DrawRect(40, 0, 10, 10);
  ExpectPixel(45, 5, {10, 20, 30}, 1);

  SetBlend(kShadeBlend);
  SetAlpha(1);
  SetColor(128, 255, 0);
  DrawRect(60, 0, 10, 10);
  ExpectPixel(65, 5, {50, 50, 0}, 1);
}

TEST_P(GfxTest, MaskBlendThresholdsAlphaAndAlphaBlendMixes) {
  // Left pixel faint (alpha 100), right pixel strong (alpha 200).
  ImagePtr img = ImageFromPixels(2, 1, {Rgba(255, 255, 255, 100), Rgba(255, 255, 255, 200)}, 0);
  SetClsColor(0, 0, 100);
  Cls();
  SetBlend(kMaskBlend);
  DrawImage(img, 10, 10);
  ExpectPixel(10, 10, {0, 0, 100});
  ExpectPixel(11, 10, {255, 255, 255});
  SetBlend(kAlphaBlend);
  DrawImage(img, 20, 10);
  ExpectPixel(20, 10, {100, 100, 161}, 2);
  ExpectPixel(21, 10, {200, 200, 222}, 2);
  // A tint multiplies the image's colours.
  SetColor(255, 0, 0);
  DrawImage(Solid(2, 2, Rgba(200, 200, 200)), 30, 10);
  ExpectPixel(30, 10, {200, 0, 0}, 1);
}

TEST_P(GfxTest, HandlesRotationAndScalePlaceImages) {
  // 4 x 2 image: top row red, green, blue, yellow; bottom row grey.
  uint32_t R = Rgba(255, 0, 0), G = Rgba(0, 255, 0), B = Rgba(0, 0, 255), Y = Rgba(255, 255, 0),
           S = Rgba(90, 90, 90);
  ImagePtr img = ImageFromPixels(4, 2, {R, G, B, Y, S, S, S, S}, 0);
  MidHandleImage(img);
  EXPECT_FLOAT_EQ(img->handleX, 2);
  EXPECT_FLOAT_EQ(img->handleY, 1);
  // A quarter turn clockwise about the centre: the top row becomes the
  // right-hand column, read top to bottom.
  SetRotation(90);
  DrawImage(img, 100, 100);
  std::vector<uint32_t> px = ReadTargetPixels();
  auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * kScreenW + x] & 0xFFFFFFu; };
  EXPECT_EQ(at(100, 98), R & 0xFFFFFFu);
  EXPECT_EQ(at(100, 99), G & 0xFFFFFFu);
  EXPECT_EQ(at(100, 100), B & 0xFFFFFFu);
  EXPECT_EQ(at(100, 101), Y & 0xFFFFFFu);
  EXPECT_EQ(at(99, 98), S & 0xFFFFFFu);
  EXPECT_EQ(at(101, 98), 0u);
  EXPECT_EQ(at(100, 102), 0u);

  // Scale 2 about a pixel handle: the handle lands on the position.
  SetRotation(0);
  SetScale(2, 2);
  SetImageHandle(img, 1, 1);
  DrawImage(img, 50, 50);
  px = ReadTargetPixels();
  EXPECT_EQ(at(48, 48), R & 0xFFFFFFu);
  EXPECT_EQ(at(49, 49), R & 0xFFFFFFu);
  EXPECT_EQ(at(55, 48), Y & 0xFFFFFFu);
  EXPECT_EQ(at(55, 51), S & 0xFFFFFFu);
  EXPECT_EQ(at(56, 48), 0u);
  EXPECT_EQ(at(48, 52), 0u);

  // A negative scale mirrors about the handle.
  SetScale(-1, 1);
  SetImageHandle(img, 0, 0);
  DrawImage(img, 200, 200);
  px = ReadTargetPixels();
  EXPECT_EQ(at(199, 200), R & 0xFFFFFFu);
  EXPECT_EQ(at(196, 200), Y & 0xFFFFFFu);
  EXPECT_EQ(at(200, 200), 0u);
}

TEST_P(GfxTest, StripsAreCutIntoFramesAndBadFramesDrawNothing) {
  // A 3 x 2 grid of 4 x 4 cells, cell k filled with grey level 40 * (k + 1).
  std::vector<uint32_t> sheet(12 * 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      int cell = (y / 4) * 3 + x / 4;
      int v = 40 * (cell + 1);
      sheet[static_cast<size_t>(y) * 12 + x] = Rgba(v, v, v);
    }
  }
  std::string path = TempPath("strip.png");
  ASSERT_TRUE(SavePNG(path, 12, 8, sheet));
  ImagePtr strip = LoadAnimImage(path, 4, 4, 1, 4, 0);
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->frames, 4);
  EXPECT_EQ(ImageWidth(strip), 4);
  EXPECT_EQ(strip->pixels[0][0], Rgba(80, 80, 80));    // cell 1
  EXPECT_EQ(strip->pixels[3][15], Rgba(200, 200, 200));  // cell 4: second row

  for (int f = 0; f < 4; ++f) DrawImage(strip, 10 + f * 4, 10, f);
  for (int f = 0; f < 4; ++f) ExpectPixel(11 + f * 4, 11, {80 + 40 * f, 80 + 40 * f, 80 + 40 * f});
  DrawImage(strip, 100, 100, 4);
  DrawImage(strip, 100, 100, -1);
  DrawImage(nullptr, 100, 100);
  ExpectPixel(101, 101, {0, 0, 0});

  EXPECT_FALSE(LoadAnimImage(path, 4, 4, 3, 4));  // only 6 cells
  EXPECT_FALSE(LoadAnimImage(path, 0, 4, 0, 1));
  EXPECT_FALSE(LoadImage(TempPath("missing.png")));
  std::FILE* f = std::fopen(TempPath("bad.png").c_str(), "wb");
  std::fputs("not a png at all", f);
  std::fclose(f);
  EXPECT_FALSE(LoadImage(TempPath("bad.png")));
}

TEST_P(GfxTest, GrabAndThumbnailRoundTrip) {
  SetColor(255, 0, 0);
  DrawRect(0, 0, 400, 600);
  SetColor(0, 0, 255);
  DrawRect(400, 0, 400, 600);
  SetColor(255, 255, 255);
  ImagePtr grab = CreateImage(kScreenW, kScreenH, 1, kFilteredImage);
  GrabImage(grab, 0, 0);
  EXPECT_EQ(grab->pixels[0][10], Rgba(255, 0, 0));
  EXPECT_EQ(grab->pixels[0][799], Rgba(0, 0, 255));

  Cls();
  SetScale(0.0625f, 0.0625f);
  DrawImage(grab, 0, 0);
  ImagePtr thumb = GrabPixmapImage(0, 0, 800 / 16, 600 / 16);
  ASSERT_TRUE(thumb);
  EXPECT_EQ(thumb->width, 50);
  EXPECT_EQ(thumb->height, 37);
  EXPECT_EQ(thumb->pixels[0][10 * 50 + 5], Rgba(255, 0, 0));
  EXPECT_EQ(thumb->pixels[0][10 * 50 + 45], Rgba(0, 0, 255));

  // Scaled back up it covers 800 x 592 of the play field.
  Cls();
  SetScale(16, 16);
  SetBlend(kLightBlend);
  DrawImage(thumb, 0, 0);
  ExpectPixel(80, 160, {255, 0, 0}, 2);
  ExpectPixel(720, 160, {0, 0, 255}, 2);
  ExpectPixel(400, 595, {0, 0, 0});
  // Grabbing outside the target leaves those pixels empty.
  ImagePtr edge = GrabPixmapImage(798, 0, 4, 1);
  EXPECT_NE(edge->pixels[0][1], 0u);
  EXPECT_EQ(edge->pixels[0][2], 0u);
}

TEST_P(GfxTest, LinesHaveExactWidthAndLength) {
  SetLineWidth(2);
  DrawLine(10, 20, 30, 20);
  DrawLine(50, 10, 50, 30);
  SetLineWidth(1);
  DrawLine(100, 20, 110, 20, false);
  DrawLine(100, 40, 110, 40);
  Plot(200, 200);
  std::vector<uint32_t> px = ReadTargetPixels();
  for (int x = 10; x <= 30; ++x) {
    EXPECT_TRUE(Lit(px, x, 20) && Lit(px, x, 21)) << x;
    EXPECT_FALSE(Lit(px, x, 19) || Lit(px, x, 22)) << x;
  }
  EXPECT_FALSE(Lit(px, 9, 20) || Lit(px, 31, 20));
  for (int y = 10; y <= 30; ++y) {
    EXPECT_TRUE(Lit(px, 50, y) && Lit(px, 51, y)) << y;
    EXPECT_FALSE(Lit(px, 49, y) || Lit(px, 52, y)) << y;
  }
  EXPECT_FALSE(Lit(px, 50, 9) || Lit(px, 50, 31));
  EXPECT_TRUE(Lit(px, 109, 20));
  EXPECT_FALSE(Lit(px, 110, 20));
  EXPECT_TRUE(Lit(px, 110, 40) && !Lit(px, 100, 39) && !Lit(px, 100, 41));
  EXPECT_TRUE(Lit(px, 200, 200));
  EXPECT_FALSE(Lit(px, 201, 200) || Lit(px, 200, 201));
}

TEST_P(GfxTest, RectsScaleAndOvalsFill) {
  SetScale(2, 2);
  DrawRect(10, 10, 5, 5);
  SetScale(1, 1);
  DrawOval(100, 100, 40, 20);
  std::vector<uint32_t> px = ReadTargetPixels();
  EXPECT_TRUE(Lit(px, 10, 10) && Lit(px, 19, 19));
  EXPECT_FALSE(Lit(px, 20, 19) || Lit(px, 19, 20));
  EXPECT_TRUE(Lit(px, 120, 110));
  EXPECT_TRUE(Lit(px, 101, 110) && Lit(px, 120, 101));
  EXPECT_FALSE(Lit(px, 101, 101) || Lit(px, 138, 118));
  EXPECT_FALSE(Lit(px, 120, 121));
}

// A scene of every primitive, written to /tmp for a look.
TEST_P(GfxTest, SavesAScreenshotOfATestScene) {
  SetClsColor(20, 20, 40);
  Cls();
  std::vector<uint32_t> ball(32 * 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      int dx = x - 16, dy = y - 16;
      int a = dx * dx + dy * dy < 256 ? 255 - (dx * dx + dy * dy) : 0;
      ball[static_cast<size_t>(y) * 32 + x] = Rgba(255, 8 * x, 8 * y, a);
    }
  }
  ImagePtr img = ImageFromPixels(32, 32, ball, kFilteredImage);
  MidHandleImage(img);
  for (int i = 0; i < 12; ++i) {
    SetRotation(i * 30.0f);
    SetScale(1 + i * 0.25f, 1 + i * 0.25f);
    SetBlend(i % 2 ? kLightBlend : kAlphaBlend);
    DrawImage(img, 60 + i * 60, 100);
  }
  SetRotation(0);
  SetScale(1, 1);
  SetBlend(kAlphaBlend);
  SetColor(255, 200, 0);
  SetLineWidth(2);
  for (int i = 0; i < 16; ++i) DrawLine(400, 400, 400 + 150 * std::cos(i * 0.39), 400 + 150 * std::sin(i * 0.39));
  SetColor(0, 200, 255);
  SetAlpha(0.5f);
  DrawOval(50, 300, 200, 120);
  SetAlpha(1);
  SetColor(255, 255, 255);
  DrawRect(600, 300, 150, 150);
  std::string path = TempPath("scene.png");
  ASSERT_TRUE(SaveScreenshot(path));
  ImagePtr back = LoadImage(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, kScreenW);
  EXPECT_EQ(back->height, kScreenH);
  EXPECT_EQ(back->pixels[0][400 * kScreenW + 650], Rgba(255, 255, 255));
}

// Pictures painted by the renderer stand for the calls that painted them,
// wholly or in parts, and go when their renderer goes.
TEST_P(GfxTest, PaintedImagesDrawWhatTheirCallsDrawAndDieWithTheirRenderer) {
  ImagePtr ball = ImageFromPixels(
      24, 24, std::vector<uint32_t>(24 * 24, Rgba(250, 120, 30, 140)), kFilteredImage);
  auto scene = [&] {
    SetBlend(kAlphaBlend);
    SetAlpha(1);
    SetColor(40, 90, 200);
    DrawRect(0, 0, 800, 600);
    SetColor(255, 255, 255);
    SetAlpha(0.7f);
    DrawImage(ball, 100, 100);
    SetScale(3, 2);
    DrawImage(ball, 300.5f, 150);
    SetScale(1, 1);
    SetBlend(kLightBlend);
    SetColor(90, 255, 60);
    DrawImage(ball, 110, 110);
  };
  SetClsColor(0, 0, 0);
  Cls();
  scene();
  const std::vector<uint32_t> direct = ReadTargetPixels();

  SetBlend(kShadeBlend);  // the caller's state, kept across the paint
  SetColor(1, 2, 3);
  SetAlpha(0.3f);
  ImagePtr painted = PaintImage(kScreenW, kScreenH, [&] {
    scene();
    ImagePtr inner = PaintImage(8, 8, [] { DrawRect(0, 0, 8, 8); });  // nested
    EXPECT_TRUE(ImageLive(inner));
  });
  ASSERT_TRUE(ImageLive(painted));
  EXPECT_EQ(GetBlend(), kShadeBlend);
  EXPECT_EQ(GetAlpha(), 0.3f);
  int r, g, b;
  GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 6);

  SetClsColor(0, 0, 0);
  Cls();
  SetBlend(kSolidBlend);
  SetColor(255, 255, 255);
  SetAlpha(1);
  DrawImage(painted, 0, 0);
  const std::vector<uint32_t> fromPicture = ReadTargetPixels();
  int differing = 0;
  for (size_t i = 0; i < direct.size(); ++i)
    if ((direct[i] & 0xFFFFFF) != (fromPicture[i] & 0xFFFFFF)) ++differing;
  EXPECT_EQ(differing, 0);

  // A part, moved: the same pixels at the new place; parts outside the
  // picture are cut off.
  Cls();
  DrawImageRect(painted, 500, 400, 90, 90, 60, 60);
  DrawImageRect(painted, 10, 10, -20, 590, 40, 40);  // lands at 30..49, 10..19
  for (int y = 0; y < 60; y += 7)
    for (int x = 0; x < 60; x += 7)
      EXPECT_EQ(ReadTargetPixels()[(400 + y) * kScreenW + 500 + x] & 0xFFFFFF,
                direct[(90 + y) * kScreenW + 90 + x] & 0xFFFFFF);
  const std::vector<uint32_t> cut = ReadTargetPixels();
  EXPECT_EQ(cut[10 * kScreenW + 30] & 0xFFFFFF, direct[590 * kScreenW] & 0xFFFFFF);
  EXPECT_EQ(cut[19 * kScreenW + 49] & 0xFFFFFF, direct[599 * kScreenW + 19] & 0xFFFFFF);
  EXPECT_EQ(cut[20 * kScreenW + 30] & 0xFFFFFF, 0u);
  EXPECT_EQ(cut[10 * kScreenW + 29] & 0xFFFFFF, 0u);
  EXPECT_EQ(cut[10 * kScreenW + 50] & 0xFFFFFF, 0u);

  // A new renderer: the picture is gone and draws nothing.
  EndGraphics();
  ASSERT_TRUE(Graphics(kScreenW, kScreenH, 0, 60, 0));
  EXPECT_FALSE(ImageLive(painted));
  SetClsColor(7, 7, 7);
  Cls();
  DrawImage(painted, 0, 0);
  DrawImageRect(painted, 0, 0, 0, 0, 100, 100);
  ExpectPixel(50, 50, {7, 7, 7});
  SetBlend(kAlphaBlend);
}

INSTANTIATE_TEST_SUITE_P(Renderers, GfxTest, ::testing::Values(kDriverOpenGL, kDriverSoftware),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == kDriverOpenGL ? "OpenGL" : "Software");
                         });

// The software renderer writes the window's pixels itself: presenting must
// not bring a GL driver into the process (it did through SDL's framebuffer
// acceleration, keeping Mesa's compiler resident).
TEST(SoftwareFramesTest, PresentWithoutAGLDriver) {
  if (vtest::GLDriverLoaded()) GTEST_SKIP() << "an earlier test in this process loaded GL";
  test::ResetPlatform();
  test::UseManualClock();
  EndGraphics();
  SetGraphicsDriver(kDriverSoftware);
  ASSERT_TRUE(Graphics(kScreenW, kScreenH, 0, 60, 0));
  Cls();
  DrawRect(10, 10, 10, 10);
  Flip();
  Flip();
  EXPECT_FALSE(vtest::GLDriverLoaded());
  EndGraphics();
}

}  // namespace
