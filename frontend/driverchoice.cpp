#include "frontend/driverchoice.h"

#include "platform/platform.h"
#include "services/config.h"

namespace fe {

std::string JoinCommandLine() {
  std::string joined;
  const auto& args = plat::ProgramArgs();
  for (size_t i = 1; i < args.size(); ++i) joined += args[i];
  return joined;
}

namespace {

plat::ImagePtr LoadCentred(const char* path) {
  plat::ImagePtr img = plat::LoadImage(path);
  if (img) plat::MidHandleImage(img);
  return img;
}

}  // namespace

void RunDriverChoice() {
  // Drawn by the software renderer whatever is chosen: loading OpenGL only
  // to ask whether to use it would keep its driver resident for the run.
  plat::SetGraphicsDriver(plat::kDriverSoftware);
  OpenGraphicsOrEnd(800, 600, 0);
  plat::ImagePtr title = LoadCentred("gfx/menu/gfxmode.png");
  plat::ImagePtr opengl = LoadCentred("gfx/menu/opengl.png");
  plat::ImagePtr software = LoadCentred("gfx/menu/directx.png");
  plat::ImagePtr cursor = LoadCentred("gfx/p_cursor.png");
  plat::ImagePtr back = plat::LoadImage("gfx/level_back.png");

  while (Settings.GraphicsDriverChoice == 0) {
    plat::Cls();
    plat::SetColor(255, 255, 255);
    for (int x = 0; x <= 800; x += 128)
      for (int y = 0; y <= 600; y += 128) plat::DrawImage(back, static_cast<float>(x), static_cast<float>(y));
    plat::DrawImage(title, 400, 50);
    plat::DrawImage(opengl, 200, 300);
    plat::DrawImage(software, 600, 300);
    const int mx = plat::MouseX(), my = plat::MouseY();
    plat::DrawImage(cursor, static_cast<float>(mx), static_cast<float>(my));
    // Each driver's area reaches from its side of the screen to 100 pixels
    // short of the middle, the two mirrored, so the whole of either picture
    // chooses it and the gap between them nothing.
    if (plat::MouseHit(1) && my > 280 && my < 320) {
      if (mx < 300) Settings.GraphicsDriverChoice = 1;
      if (mx > 500) Settings.GraphicsDriverChoice = 2;
    }
    // Closing the window is the only other way out: nothing has been
    // changed yet, so the program simply ends.
    if (plat::AppTerminate()) plat::EndProgram(0);
    plat::Flip();
  }
}

void OpenGraphicsMode(int mode) {
  int w, h;
  if (mode == 0) {
    w = 800;
    h = 600;
  } else if (mode == 1) {
    w = 1024;
    h = 768;
  } else {
    return;
  }
  plat::SetGraphicsDriver(plat::kDriverOpenGL, 2);
  OpenGraphicsOrEnd(w, h, 32);
  plat::SetAutoImageFlags(plat::kFilteredImage);
  plat::SetBlend(plat::kAlphaBlend);
}

void OpenGraphicsOrEnd(int width, int height, int depth) {
  if (!plat::Graphics(width, height, depth, 60, 0))
    plat::RuntimeError("Velkor cannot open its window: " + plat::GraphicsError());
}

}  // namespace fe
