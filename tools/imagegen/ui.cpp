// Lettering, menu buttons, titles and the editor's icons. Everything the
// game tints (fonts, buttons, titles) is white-to-grey with a dark outline.
#include <algorithm>

#include "art.h"
#include "text.h"

namespace imagegen {

namespace {

// Font strip: 49 cells in one row. Big: glyph pixels 3x3, bold, a 2-pixel
// outline and a shadow; small: 1x1, bold, a shadow only. The menus tint
// text with their colour cycle, down to dark blue: an outline around strokes
// one pixel thin would merge with such a dark fill, where a shadow below and
// right leaves each stroke standing on the backdrop.
Canvas FontStrip(int cell, int scale, int bold, int outline, int ox, int oy) {
  Canvas strip(kGlyphFrames * cell, cell);
  const std::string order = "abcdefghijklmnopqrstuvwxyz0123456789?.,'\"!()-:;";
  TextStyle s;
  s.scale = scale;
  s.bold = bold;
  s.bottom = Grey(scale > 1 ? 196 : 226);
  for (size_t i = 0; i < order.size(); ++i) {
    Canvas g(cell, cell);
    DrawText(g, ox, oy, std::string(1, order[i]), s);
    if (outline > 0) g.Outline(kInk, true, outline);
    g.Shadow(1, 1, Grey(0, outline > 0 ? 120 : 210));
    strip.Blit(g, int(i) * cell, 0);
  }
  return strip;
}

// A button. The menus multiply it by their colour cycle, which at its dark
// point leaves nothing of the picture lighter than dark blue: the light the
// label needs then comes from the backdrop, seen through a thin plate. So
// the letters are light with a dark rim and shadow, as in the title: dark
// shapes on the lighter backdrop at the cycle's dark end, bright ones in
// their rims at the other. A dark line around a light bevel keeps the frame
// visible at every point of the cycle, and the hover lightening reaches the
// plate, the frame and the letters alike.
Canvas ButtonPlate(int w, int h) {
  Canvas c(w, h);
  for (int y = 2; y < h - 2; ++y)
    for (int x = 2; x < w - 2; ++x) c.Set(x, y, Grey(255, 64 - 36 * y / (h - 1)));
  const Rgba line = RGB(kInk.r, kInk.g, kInk.b, 230);
  c.Rect(2, 0, w - 4, 1, line);
  c.Rect(2, h - 1, w - 4, 1, line);
  c.Rect(0, 2, 1, h - 4, line);
  c.Rect(w - 1, 2, 1, h - 4, line);
  for (int x : {1, w - 2})
    for (int y : {1, h - 2}) c.Set(x, y, line);
  c.Rect(2, 1, w - 4, 1, Grey(255));
  c.Rect(1, 2, 1, h - 4, Grey(235));
  c.Rect(2, h - 2, w - 4, 1, Grey(150));
  c.Rect(w - 2, 2, 1, h - 4, Grey(170));
  return c;
}

// Light letters in a dark rim with a shadow, over the plate.
void ButtonLettering(Canvas& c, Canvas& t) {
  t.Outline(kInk, true, 1);
  t.Shadow(1, 1, Grey(0, 170));
  c.Blit(t, 0, 0);
}

Canvas Button(int w, int h, const std::string& label, int scale, bool left) {
  Canvas c = ButtonPlate(w, h);
  TextStyle s;
  s.scale = scale;
  s.bold = 1;
  s.bottom = Grey(226);
  // Small letters get a pixel more between them, so the rims of two
  // neighbours leave a gap.
  if (scale < 3) s.advance = 6 * scale + s.bold + 1;
  Canvas t(w, h);
  const int tw = TextWidth(label, s);
  DrawText(t, left ? 10 : (w - tw) / 2, (h - 7 * scale) / 2, label, s);
  ButtonLettering(c, t);
  return c;
}

Canvas SymbolButton(bool plus) {
  Canvas c = ButtonPlate(32, 32);
  Canvas t(32, 32);
  t.Rect(8, 14, 16, 4, Grey(255));
  if (plus) t.Rect(14, 8, 4, 16, Grey(255));
  t.ShadeVertical(8, 24, 255, 226);
  ButtonLettering(c, t);
  return c;
}

Canvas Label(int w, int h, const std::string& text, int scale, int bold, int outline = 2) {
  Canvas c(w, h);
  LabelPicture(c, text, scale, bold, outline);
  return c;
}

Canvas Title() {
  Canvas c(340, 76);
  TextStyle s;
  s.scale = 8;
  s.bold = 2;
  s.top = Grey(255);
  s.bottom = Grey(190);
  Canvas t(340, 76);
  const int w = TextWidth("velkor", s);
  DrawText(t, (340 - w) / 2, 6, "velkor", s);
  // A bright stripe across the top of the letters.
  for (int y = 6; y < 14; ++y)
    for (int x = 0; x < 340; ++x)
      if (t.Opaque(x, y) && y >= 8 && y < 11) t.Set(x, y, Grey(255));
  // Extruded depth below and right, then the outline around everything.
  Canvas depth(340, 76);
  for (int k = 5; k >= 1; --k)
    for (int y = 0; y < 76; ++y)
      for (int x = 0; x < 340; ++x)
        if (t.Opaque(x, y)) depth.Set(x + k, y + k, Grey(110 - 8 * k));
  depth.Blit(t, 0, 0);
  depth.Outline(kInk, true, 2);
  c.Blit(depth, 0, 0);
  return c;
}

Canvas MakerLogo() {
  Canvas c(360, 160);
  Canvas fig(16, 24);
  DrawFigure(fig, 8, 22);
  Canvas big = ScaleUp(fig, 4);
  // The logo is tinted by the game, so its figure is a white silhouette with
  // dark details.
  for (int y = 0; y < big.H(); ++y)
    for (int x = 0; x < big.W(); ++x) {
      Rgba p = big.Get(x, y);
      if (!p.a) continue;
      const int lum = (p.r * 3 + p.g * 6 + p.b) / 10;
      big.Set(x, y, lum < 90 ? kInk : Grey(std::min(255, lum + 30)));
    }
  c.Blit(big, 180 - 32, 2);
  TextStyle s;
  s.scale = 4;
  s.bold = 1;
  Canvas t(360, 160);
  const int w = TextWidth("velkor team", s);
  DrawText(t, (360 - w) / 2, 112, "velkor team", s);
  t.Outline(kInk, true, 2);
  c.Blit(t, 0, 0);
  return c;
}

Canvas IconBack() {
  Canvas c(32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool corner = (x < 2 || x > 29) && (y < 2 || y > 29);
      if (corner) continue;
      int g = 200 - (y * 40) / 31;
      if (x == 0 || y == 0 || x == 31 || y == 31) g = 80;
      else if (y == 1 || x == 1) g = 250;
      else if (y == 30 || x == 30) g = 140;
      c.Set(x, y, Grey(g));
    }
  return c;
}

Canvas PaletteSwatches() {
  static const int kPal[20][3] = {
      {254, 26, 2},   {253, 112, 1}, {254, 205, 0}, {239, 253, 1}, {167, 253, 1},
      {76, 254, 1},   {10, 254, 3},  {0, 254, 51},  {0, 254, 134}, {1, 254, 213},
      {1, 236, 253},  {1, 156, 254}, {1, 61, 255},  {8, 4, 254},   {67, 0, 253},
      {153, 0, 254},  {229, 0, 253}, {253, 0, 220}, {254, 0, 126}, {253, 0, 32}};
  Canvas c(640, 32);
  for (int i = 0; i < 20; ++i) {
    Canvas b(16, 16);
    DrawBlock(b, 0, 0, false, false, false, false, BlockKind::kPlain);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        Rgba p = b.Get(x / 2, y / 2);
        if (!p.a) continue;
        c.Set(32 * i + x, y,
              RGB(kPal[i][0] * p.r / 255, kPal[i][1] * p.g / 255, kPal[i][2] * p.b / 255));
      }
  }
  return c;
}

// --- editor tool icons (drawn in their own colours over the icon plate) ---

Canvas Icon(const std::vector<std::string>& rows, const std::string& keys,
            const std::vector<Rgba>& cols) {
  Canvas c(32, 32);
  c.Map(4, 4, rows, keys, cols);
  c.Outline(kInk, false);
  return c;
}

const std::vector<std::string> kPencil = {
    "....................", "...............##...", "..............#ww#..", ".............#yyw#..",
    "............#yyy#...", "...........#yyy#....", "..........#yyy#.....", ".........#yyy#......",
    "........#yyy#.......", ".......#yyy#........", "......#yyy#.........", ".....#yyy#..........",
    "....#tyy#...........", "....#ttt#...........", "....#tk#............", "....##..............",
};

// A row of `cells` joined blocks of the kind, tinted, at the top left of a
// 32x32 picture.
Canvas BlockRow(BlockKind kind, Rgba tint, int cells) {
  Canvas b(32, 16);
  for (int i = 0; i < cells; ++i) DrawBlock(b, 16 * i, 0, false, i > 0, i + 1 < cells, false, kind);
  Canvas c(32, 32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      Rgba p = b.Get(x, y);
      if (p.a) c.Set(x, y, RGB(tint.r * p.r / 255, tint.g * p.g / 255, tint.b * p.b / 255, p.a));
    }
  return c;
}

Canvas PencilOver(BlockKind kind, Rgba tint) {
  Canvas c(32, 32);
  c.Blit(BlockRow(kind, tint, 1), 4, 12);
  c.Blit(Icon(kPencil, "#wytk", {kInk, Grey(255), RGB(255, 200, 60), RGB(240, 200, 160), Grey(40)}),
         4, -2);
  return c;
}

// A paint bucket pouring onto a row of blocks: the drawing tools show a
// pencil over one block, the filling tools this, in the same block's look.
Canvas FillIcon(BlockKind kind, Rgba tint) {
  Canvas c(32, 32);
  c.Blit(BlockRow(kind, tint, 2), 0, 16);
  Canvas b(32, 32);
  b.Map(7, 0,
        {"......MMMMMM......", "....MM......MM....", "...M..........M...", "..##############..",
         ".#pppppppppppppp#.", "#mmmmmmmmmmmmmmmm#", ".#wwmmmmmmmmmmMM#.", ".#wmmmmmmmmmmmMM#.",
         "..#wmmmmmmmmmMM#..", "..#wmmmmmmmmmMM#..", "...#mmmmmmmmMM#...", "...############...",
         "........pp........", "........pp........"},
        "#pmMw", {kInk, tint, RGB(176, 186, 206), RGB(112, 120, 144), Grey(240)});
  c.Blit(b, 0, 0);
  return c;
}

Canvas Arrow(bool right) {
  std::vector<std::string> rows = {"..........#.........", ".........##.........", "........#w#.........",
                                   ".......#ww#.........", "......#www########..", ".....#wwwwwwwwwww#..",
                                   "....#wwwwwwwwwwww#..", ".....#wwwwwwwwwww#..", "......#www########..",
                                   ".......#ww#.........", "........#w#.........", ".........##.........",
                                   "..........#........."};
  if (right)
    for (auto& r : rows) std::reverse(r.begin(), r.end());
  Canvas c(32, 32);
  c.Map(6, 9, rows, "#w", {kInk, RGB(120, 220, 255)});
  return c;
}

Canvas Folder(bool plus) {
  Canvas c(32, 32);
  c.Map(3, 6,
        {".######.............", "#yyyyyy#............", "#yyyyyyy###########.", "#yyyyyyyyyyyyyyyyyy#",
         "#yyyyyyyyyyyyyyyyyy#", "#YYYYYYYYYYYYYYYYYY#", "#YYYYYYYYYYYYYYYYYY#", "#YYYYYYYYYYYYYYYYYY#",
         "#YYYYYYYYYYYYYYYYYY#", "#YYYYYYYYYYYYYYYYYY#", "#YYYYYYYYYYYYYYYYYY#", "#YYYYYYYYYYYYYYYYYY#",
         "#YYYYYYYYYYYYYYYYYY#", ".##################."},
        "#yY", {kInk, RGB(255, 226, 120), RGB(236, 184, 70)});
  if (plus) {
    Canvas p(32, 32);
    p.Rect(19, 16, 10, 3, RGB(120, 255, 140));
    p.Rect(22, 13, 3, 9, RGB(120, 255, 140));
    p.Outline(kInk, false);
    c.Blit(p, 0, 0);
  } else {
    Canvas p(32, 32);
    p.Rect(9, 14, 14, 2, RGB(255, 255, 255));
    p.Rect(9, 18, 14, 2, RGB(255, 255, 255));
    c.Blit(p, 0, 0);
  }
  return c;
}

Canvas PlayIcon() {
  Canvas c(32, 32);
  for (int y = 6; y < 26; ++y)
    for (int x = 9; x < 26; ++x)
      if (x - 9 <= (y < 16 ? (y - 6) * 17 / 10 : (25 - y) * 17 / 10)) c.Set(x, y, RGB(110, 240, 120));
  c.Outline(kInk, false);
  return c;
}

Canvas ClearIcon() {
  Canvas c(32, 32);
  for (int i = 0; i < 18; ++i) {
    c.Rect(7 + i, 7 + i, 3, 3, RGB(255, 90, 80));
    c.Rect(22 - i, 7 + i, 3, 3, RGB(255, 90, 80));
  }
  c.Outline(kInk, false);
  return c;
}

Canvas CoinIcon() {
  Canvas c(32, 32);
  Canvas coin = ScaleUp(Coin(), 2);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      Rgba p = coin.Get(x, y);
      if (p.a) c.Set(x, y, RGB(255 * p.r / 255, 214 * p.g / 255, 60 * p.b / 255 + 10));
    }
  return c;
}

Canvas NoRopeIcon() {
  Canvas c(32, 32);
  c.Map(8, 6, {"....##....", "...#..#...", "#..####..#", "#.######.#", ".########.", "..######..",
               "...####...", "....##...."},
        "#", {Grey(230)});
  c.Rect(15, 14, 2, 12, Grey(200));
  Canvas slash(32, 32);
  for (int i = 0; i < 22; ++i) slash.Rect(5 + i, 26 - i, 3, 3, RGB(255, 70, 70));
  c.Blit(slash, 0, 0);
  c.Outline(kInk, false);
  return c;
}

Canvas MoveIcon() {
  Canvas c(32, 32);
  Canvas fig(16, 24);
  DrawFigure(fig, 8, 21);
  c.Blit(fig, 8, 5);
  Canvas a(32, 32);
  a.Map(1, 14, {"..#", ".##", "###", ".##", "..#"}, "#", {RGB(120, 220, 255)});
  a.Map(28, 14, {"#..", "##.", "###", "##.", "#.."}, "#", {RGB(120, 220, 255)});
  a.Outline(kInk, false);
  c.Blit(a, 0, 0);
  return c;
}

Canvas ShootIcon() {
  Canvas c(32, 32);
  c.Map(4, 10, {"#####################", "#wwwwwwwwwwwwwwwwwww#", "#ggggggggggggggggggg#", "####ggg#############",
                "...#ggg#.............", "...#ggg#.............", "...#####............."},
        "#wg", {kInk, RGB(170, 180, 210), kMetal});
  Canvas b(32, 32);
  b.Rect(27, 11, 3, 2, RGB(255, 230, 120));
  b.Rect(26, 18, 2, 2, RGB(255, 200, 90));
  b.Rect(29, 21, 2, 2, RGB(255, 200, 90));
  c.Blit(b, 0, 0);
  return c;
}

Canvas RopeIcon() {
  Canvas c(32, 32);
  Canvas l(32, 32);
  l.Line(8, 26, 22, 10, RGB(255, 236, 190));
  l.Line(9, 26, 23, 10, RGB(220, 190, 140));
  c.Blit(l, 0, 0);
  c.Map(17, 3, {"....##....", "...#..#...", "#..####..#", "#.######.#", ".########.", "..######..",
                "...####...", "....##...."},
        "#", {Grey(235)});
  c.Outline(kInk, false);
  return c;
}

Canvas HelpIcon() {
  Canvas c(32, 32);
  TextStyle s;
  s.scale = 3;
  s.bold = 1;
  s.top = RGB(150, 230, 255);
  s.bottom = RGB(90, 170, 240);
  DrawText(c, 8, 5, "?", s);
  c.Outline(kInk, false);
  return c;
}

Canvas CenteredScaled(const Canvas& src, int k) {
  Canvas big = ScaleUp(src, k);
  Canvas c(32, 32);
  c.Blit(big, (32 - big.W()) / 2, (32 - big.H()) / 2);
  return c;
}

Canvas EditorHint() {
  Canvas c(800, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 800; ++x) c.Set(x, y, RGB(10, 10, 24, y * 5));
  c.Rect(0, 23, 800, 1, Grey(255, 90));
  Canvas t(800, 24);
  TextStyle s;
  s.scale = 1;
  const std::string msg = "tools";
  const int w = TextWidth(msg, s);
  DrawText(t, 400 - w / 2, 13, msg, s);
  t.Map(395, 5, {"..#..", ".###.", "#####"}, "#", {Grey(255)});
  t.Outline(kInk, true, 1);
  c.Blit(t, 0, 0);
  return c;
}

Canvas VolumeMarker() {
  Canvas c(8, 16);
  c.Map(0, 0, {".######.", "#wwwwwww", "#wwwwwww", "#wwwwwww", "#wwwwwww", "#wwwwwww", "#wwwwwww",
               "#wwwwwww", "#WWWWWWW", "#WWWWWWW", "#WWWWWWW", "#WWWWWWW", "#WWWWWWW", "#WWWWWWW",
               "#WWWWWWW", ".######."},
        "#wW", {kInk, Grey(255), Grey(200)});
  for (int y = 1; y < 15; ++y) c.Set(7, y, kInk);
  return c;
}

}  // namespace

void AddUiMakers(MakerTable& t) {
  t["GFX/fonts/velkor.png"] = [] { return FontStrip(32, 3, 1, 2, 2, 4); };
  t["GFX/fonts/velkor_small.png"] = [] { return FontStrip(16, 1, 1, 0, 1, 4); };
  struct B {
    const char* file;
    int w, h;
    const char* label;
    int scale;
    bool left;
  };
  const B buttons[] = {
      {"game", 200, 32, "play", 3, false},       {"editor", 200, 32, "editor", 3, false},
      {"options", 200, 32, "options", 3, false}, {"credits", 200, 32, "credits", 3, false},
      {"exit", 200, 32, "exit", 3, false},       {"l_replay", 90, 32, "replay", 2, false},
      {"l_next", 80, 32, "next", 2, false},      {"l_exit", 80, 32, "exit", 2, false},
      {"ghosts", 220, 32, "delete ghosts", 2, true}, {"times", 220, 32, "reset times", 2, true},
      {"keys", 220, 32, "define keys", 2, true}, {"sfx", 220, 32, "sound volume", 2, true},
      {"music", 220, 32, "music volume", 2, true}, {"back", 80, 32, "back", 2, false},
      {"upload", 180, 32, "upload pack", 2, false}, {"fullscreen", 180, 28, "full screen", 2, true},
      // 24 high, so that they end above the restart note at y 455.
      {"directx", 140, 24, "software", 2, false}, {"opengl", 140, 24, "opengl", 2, false},
      {"kc_left", 260, 32, "left key", 2, true},  {"kc_right", 260, 32, "right key", 2, true},
      {"kc_jump", 260, 32, "jump key", 2, true},  {"kc_slow", 260, 32, "slow motion key", 2, true},
  };
  for (const B& b : buttons)
    t[std::string("GFX/Menu/") + b.file + ".png"] = [b] {
      return Button(b.w, b.h, b.label, b.scale, b.left);
    };
  t["GFX/Menu/minus.png"] = [] { return SymbolButton(false); };
  t["GFX/Menu/plus.png"] = [] { return SymbolButton(true); };

  t["GFX/Menu/velkor.png"] = Title;
  t["GFX/pellawick.png"] = MakerLogo;
  t["GFX/Menu/levelselect.png"] = [] { return Label(230, 30, "level select", 3, 0); };
  t["GFX/Menu/restart.png"] = [] { return Label(150, 14, "(takes effect on restart)", 1, 0, 1); };
  t["GFX/Menu/kc_shoot.png"] = [] { return Label(290, 30, "shoot: left mouse", 2, 1); };
  t["GFX/Menu/kc_rope.png"] = [] { return Label(290, 30, "rope: right mouse", 2, 1); };
  t["GFX/Menu/define.png"] = [] { return Label(300, 40, "define keys", 3, 1); };
  t["GFX/Menu/standard.png"] = [] { return Label(44, 8, "velkor", 1, 0, 0); };
  t["GFX/Menu/gfxmode.png"] = [] { return Label(420, 40, "choose a graphics driver", 2, 1); };
  t["GFX/l_ready.png"] = [] { return Label(300, 80, "ready", 8, 2, 3); };
  t["GFX/l_go.png"] = [] { return Label(200, 80, "go!", 8, 2, 3); };
  t["GFX/l_newrecord.png"] = [] { return Label(260, 40, "new record!", 3, 1); };
  t["GFX/l_norecord.png"] = [] { return Label(260, 40, "level done", 3, 1); };

  t["GFX/Menu/l_icon.png"] = IconBack;
  t["GFX/editor_array.png"] = PaletteSwatches;
  t["GFX/e_edge.png"] = EditorHint;
  t["GFX/vol_marker.png"] = VolumeMarker;
  const Rgba kRed = RGB(255, 96, 80), kCyan = RGB(80, 220, 255), kLime = RGB(170, 255, 90);
  t["GFX/e_b_draw.png"] = [kRed] { return PencilOver(BlockKind::kPlain, kRed); };
  t["GFX/e_b_fill.png"] = [kRed] { return FillIcon(BlockKind::kPlain, kRed); };
  t["GFX/e_b_drawc.png"] = [kCyan] { return PencilOver(BlockKind::kChanger, kCyan); };
  t["GFX/e_b_fillc.png"] = [kCyan] { return FillIcon(BlockKind::kChanger, kCyan); };
  t["GFX/e_b_drawz.png"] = [kLime] { return PencilOver(BlockKind::kZone, kLime); };
  t["GFX/e_b_fillz.png"] = [kLime] { return FillIcon(BlockKind::kZone, kLime); };
  t["GFX/e_b_neutral.png"] = [] { return PencilOver(BlockKind::kPlain, Grey(236)); };
  t["GFX/e_b_player.png"] = [] { return CenteredScaled(MiniFigure(), 2); };
  t["GFX/e_b_end.png"] = [] { return CenteredScaled(ExitDoor(), 2); };
  t["GFX/e_b_coin.png"] = CoinIcon;
  t["GFX/e_b_left.png"] = [] { return Arrow(false); };
  t["GFX/e_b_right.png"] = [] { return Arrow(true); };
  t["GFX/e_b_loadpack.png"] = [] { return Folder(false); };
  t["GFX/e_b_newpack.png"] = [] { return Folder(true); };
  t["GFX/e_b_play.png"] = PlayIcon;
  t["GFX/e_b_clear.png"] = ClearIcon;
  t["GFX/e_b_norope.png"] = NoRopeIcon;
  t["GFX/e_b_move.png"] = MoveIcon;
  t["GFX/e_b_shoot.png"] = ShootIcon;
  t["GFX/e_b_rope.png"] = RopeIcon;
  t["GFX/e_b_help.png"] = HelpIcon;
}

}  // namespace imagegen
