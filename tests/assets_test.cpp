// Level file format, level compiler, automatic tiling and the generated
// pictures.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/autotile.h"
#include "platform/files.h"
#include "services/levelfile.h"
#include "support/bytes.h"
#include "tools/imagegen/image_manifest.h"

namespace {

using vtest::IntAt;

play::LevelData SampleLevel() {
  play::LevelData l;
  for (int x = 0; x < 50; ++x)
    for (int y = 0; y < 36; ++y) {
      l.TileGrid[x][y] = (x * 7 + y * 3) % 63 - 1;
      l.EdgeFrameGrid[x][y] = (x + y) % 25;
      l.CornerFrameGrid[x][y] = (x * y) % 16;
      l.ObjectGrid[x][y] = (x + 2 * y) % 5 == 0 ? 3 : 0;
    }
  l.ObjectGrid[4][7] = 47;  // stray values survive a round trip
  l.AllowMovement = 1;
  l.AllowShooting = 0;
  l.AllowRope = 1;
  l.LevelName = "Up and Over";
  l.LevelAuthor = "Velkor team";
  return l;
}

TEST(LevelFile, LayoutIsColumnMajorWithCrLfTexts) {
  const play::LevelData l = SampleLevel();
  const std::vector<uint8_t> b = play::EncodeLevel(l);
  ASSERT_EQ(b.size(), 28812u + 11 + 2 + 11 + 2);
  EXPECT_EQ(IntAt(b, 4 * (36 * 3 + 5)), l.TileGrid[3][5]);
  EXPECT_EQ(IntAt(b, 7200 + 4 * (36 * 49 + 35)), l.EdgeFrameGrid[49][35]);
  EXPECT_EQ(IntAt(b, 14400 + 4 * 36), l.CornerFrameGrid[1][0]);
  EXPECT_EQ(IntAt(b, 21600 + 4 * (36 * 4 + 7)), 47);
  EXPECT_EQ(IntAt(b, 28800), 1);
  EXPECT_EQ(IntAt(b, 28804), 0);
  EXPECT_EQ(IntAt(b, 28808), 1);
  EXPECT_EQ(std::string(b.begin() + 28812, b.end()), "Up and Over\r\nVelkor team\r\n");
  EXPECT_EQ(IntAt(b, 0), -1);  // empty tiles are stored as -1
}

TEST(LevelFile, RoundTripIsByteExact) {
  const std::vector<uint8_t> b = play::EncodeLevel(SampleLevel());
  plat::MemoryStream in(b);
  play::LevelData back;
  play::DecodeLevel(in, back);
  EXPECT_EQ(play::EncodeLevel(back), b);
  EXPECT_EQ(back.LevelName, "Up and Over");
  EXPECT_EQ(back.ObjectGrid[4][7], 47);
}

TEST(LevelFile, ShortDataReadsZerosAndEmptyTexts) {
  std::vector<uint8_t> b = play::EncodeLevel(SampleLevel());
  b.resize(7200 + 10);  // the tile grid and half an edge value
  play::LevelData back;
  back.LevelName = "old";
  play::DecodeLevel(b, back);
  EXPECT_EQ(back.TileGrid[49][35], SampleLevel().TileGrid[49][35]);
  EXPECT_EQ(back.EdgeFrameGrid[0][0], SampleLevel().EdgeFrameGrid[0][0]);
  EXPECT_EQ(back.EdgeFrameGrid[0][3], 0);
  EXPECT_EQ(back.CornerFrameGrid[10][10], 0);
  EXPECT_EQ(back.ObjectGrid[4][7], 0);
  EXPECT_EQ(back.AllowMovement, 0);
  EXPECT_EQ(back.LevelName, "");
  EXPECT_EQ(back.LevelAuthor, "");

  // A name line without CR LF at the very end still reads.
  std::vector<uint8_t> c = play::EncodeLevel(SampleLevel());
  c.resize(28812 + 4);
  play::DecodeLevel(c, back);
  EXPECT_EQ(back.LevelName, "Up a");
  EXPECT_EQ(back.LevelAuthor, "");
}

// --- automatic tiling -------------------------------------------------------

struct Grids {
  int tiles[50][36], edges[50][36], corners[50][36];
  Grids() {
    for (auto& col : tiles)
      for (int& v : col) v = -1;
  }
  void Run() { editor::AutoTileAll(tiles, edges, corners); }
};

TEST(AutoTile, HandCheckedShapes) {
  Grids g;
  g.tiles[10][10] = 3;  // lone block
  for (int x = 20; x <= 22; ++x)
    for (int y = 5; y <= 7; ++y) g.tiles[x][y] = 0;  // 3x3 square
  // L: (30,20) with neighbours north and west, diagonal empty.
  g.tiles[30][20] = 5;
  g.tiles[30][19] = 5;
  g.tiles[29][20] = 5;
  g.Run();
  EXPECT_EQ(g.edges[10][10], 0);
  EXPECT_EQ(g.corners[10][10], 15);
  EXPECT_EQ(g.edges[21][6], 10);
  EXPECT_EQ(g.corners[21][6], 15);
  EXPECT_EQ(g.edges[20][5], 1);
  EXPECT_EQ(g.edges[22][7], 19);
  EXPECT_EQ(g.edges[21][5], 2);
  EXPECT_EQ(g.edges[30][20], 19);
  EXPECT_EQ(g.corners[30][20], 0);
  // Empty cells are tiled like any code: inside the empty area all is same.
  EXPECT_EQ(g.edges[40][30], 10);
  EXPECT_EQ(g.corners[40][30], 15);
  // The empty cell right of the lone block sees it as a different west side.
  EXPECT_EQ(g.edges[11][10], 9);
}

TEST(AutoTile, BorderCountsAsSameAndRectClips) {
  Grids g;
  for (int y = 0; y < 36; ++y) g.tiles[0][y] = 7;
  g.tiles[1][1] = 7;  // a bump east of the column
  g.Run();
  EXPECT_EQ(g.edges[0][5], 11);  // n, w (the border), s same; e not
  EXPECT_EQ(g.edges[0][1], 10);
  // (0,1) sees n, w, e, s same; its ne (1,0) and se (1,2) are empty.
  EXPECT_EQ(g.corners[0][1], 5);

  int edges[50][36], corners[50][36];
  for (int x = 0; x < 50; ++x)
    for (int y = 0; y < 36; ++y) edges[x][y] = corners[x][y] = -5;
  editor::AutoTileRect(g.tiles, edges, corners, -1, -1, 1, 1);
  EXPECT_NE(edges[0][0], -5);
  EXPECT_NE(edges[1][1], -5);
  EXPECT_EQ(edges[2][0], -5);
  EXPECT_EQ(edges[0][2], -5);
}

TEST(AutoTile, CornerFramesOfTheFullCross) {
  // Centre (10,10) with all four sides same; vary which diagonals are same.
  const int expect[16] = {14, 12, 13, 6, 11, 5, 8, 3, 10, 9, 7, 2, 4, 1, 0, 15};
  for (int m = 0; m < 16; ++m) {
    Grids g;
    g.tiles[10][10] = g.tiles[10][9] = g.tiles[9][10] = g.tiles[11][10] = g.tiles[10][11] = 2;
    if (m & 1) g.tiles[9][9] = 2;    // nw
    if (m & 2) g.tiles[11][9] = 2;   // ne
    if (m & 4) g.tiles[9][11] = 2;   // sw
    if (m & 8) g.tiles[11][11] = 2;  // se
    g.Run();
    EXPECT_EQ(g.edges[10][10], 10);
    EXPECT_EQ(g.corners[10][10], expect[m]) << "diagonal mask " << m;
  }
}

// --- level compiler ------------------------------------------------------------

std::string Levelc() { return std::string(VELKOR_BINARY_DIR) + "/tools/levelc/velkor_levelc"; }

struct CompileResult {
  int code;
  std::string errors;
  std::vector<uint8_t> bytes;
};

CompileResult Compile(const std::string& source) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("velkor_levelc_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path src = dir / "t.lvl", out = dir / "t.doy", err = dir / "err.txt";
  fs::remove(out);
  std::ofstream(src, std::ios::binary) << source;
  const std::string cmd = Levelc() + " " + src.string() + " " + out.string() + " 2>" + err.string();
  CompileResult r;
  r.code = std::system(cmd.c_str());
  std::ifstream e(err);
  r.errors.assign(std::istreambuf_iterator<char>(e), {});
  plat::LoadFileBytes(out.string(), r.bytes);
  fs::remove_all(dir);
  return r;
}

std::string Source(const std::string& header, const std::vector<std::string>& map) {
  std::string s = header + "legend\n  . = empty\n  # = neutral\n  R = block 0\n  b = changer 11\n"
                           "  S = start\n  E = exit\n  o = coin\nmap\n";
  for (const auto& row : map) s += row + "\n";
  return s;
}

std::vector<std::string> GoodMap() {
  std::vector<std::string> m(36, std::string(50, '.'));
  m[35] = std::string(50, '#');
  m[34][2] = 'S';
  m[34][10] = 'o';
  m[34][47] = 'E';
  m[33][20] = 'R';
  m[34][20] = 'R';
  m[34][30] = 'b';
  return m;
}

const char* kHeader = "; test\nname = Test Level\nauthor = Velkor team\nmovement = 1\nshooting = 0\nrope = 1\n";

TEST(LevelCompiler, CompilesTilesObjectsFlagsAndFrames) {
  const CompileResult r = Compile(Source(kHeader, GoodMap()));
  ASSERT_EQ(r.code, 0) << r.errors;
  play::LevelData l;
  play::DecodeLevel(r.bytes, l);
  EXPECT_EQ(l.LevelName, "Test Level");
  EXPECT_EQ(l.LevelAuthor, "Velkor team");
  EXPECT_EQ(l.AllowMovement, 1);
  EXPECT_EQ(l.AllowShooting, 0);
  EXPECT_EQ(l.AllowRope, 1);
  EXPECT_EQ(l.TileGrid[0][35], 60);
  EXPECT_EQ(l.TileGrid[20][33], 0);
  EXPECT_EQ(l.TileGrid[30][34], 31);
  EXPECT_EQ(l.TileGrid[2][34], -1);
  EXPECT_EQ(l.ObjectGrid[2][34], 1);
  EXPECT_EQ(l.ObjectGrid[47][34], 2);
  EXPECT_EQ(l.ObjectGrid[10][34], 3);
  // Frames come from the automatic tiling of the tiles.
  int edges[50][36], corners[50][36];
  editor::AutoTileAll(l.TileGrid, edges, corners);
  EXPECT_EQ(l.EdgeFrameGrid[20][33], edges[20][33]);
  EXPECT_EQ(l.EdgeFrameGrid[20][33], 8);  // s same only
  EXPECT_EQ(l.CornerFrameGrid[5][5], corners[5][5]);
}

TEST(LevelCompiler, ReportsSourceFaults) {
  auto fails = [](const std::string& src, const std::string& msg) {
    const CompileResult r = Compile(src);
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.errors.find(msg), std::string::npos) << r.errors;
    EXPECT_TRUE(r.bytes.empty());
  };
  std::vector<std::string> m = GoodMap();
  m[12][7] = 'Z';
  fails(Source(kHeader, m), "line 28, column 8: unknown map character 'Z'");
  m = GoodMap();
  m[3].pop_back();
  fails(Source(kHeader, m), "line 19: map line has 49 characters");
  m = GoodMap();
  m.pop_back();
  fails(Source(kHeader, m), "35 lines, not 36");
  m = GoodMap();
  m[0][0] = 'S';
  fails(Source(kHeader, m), "exactly one start");
  m = GoodMap();
  m[34][47] = '.';
  fails(Source(kHeader, m), "exactly one exit");
  m = GoodMap();
  m[34][10] = '.';
  fails(Source(kHeader, m), "at least one coin");
  fails(Source("name = x\nauthor = y\nmovement = 1\nshooting = 0\n", GoodMap()), "missing header \"rope\"");
  fails(Source(std::string(kHeader) + "movement = 2\n", GoodMap()), "movement must be 0 or 1");
  fails(std::string(kHeader) + "legend\n  R = block 20\nmap\n", "unknown meaning");

  // A backdrop needs no start, exit or coin.
  m = GoodMap();
  m[34][2] = m[34][10] = m[34][47] = '.';
  EXPECT_EQ(Compile(Source(std::string(kHeader) + "backdrop = 1\n", m)).code, 0);
}

// --- generated pictures --------------------------------------------------------

TEST(GeneratedImages, EveryListedPictureIsAPngOfItsSize) {
  for (const imagegen::ImageSpec& spec : imagegen::kImages) {
    const std::string path = std::string(VELKOR_GAME_DIR) + "/" + spec.path;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&img, path.c_str())) << path;
    EXPECT_EQ(int(img.width), spec.width) << path;
    EXPECT_EQ(int(img.height), spec.height) << path;
    EXPECT_EQ(spec.width % spec.cellW, 0) << path;
    EXPECT_EQ((spec.width / spec.cellW) * (spec.height / spec.cellH), spec.frames) << path;
    png_image_free(&img);
  }
}

TEST(GeneratedImages, StripsHaveTheFrameCountsTheGameCuts) {
  auto frames = [](const std::string& name) {
    for (const auto& s : imagegen::kImages)
      if (name == s.path) return std::pair(s.cellW * 100 + s.cellH, s.frames);
    return std::pair(0, 0);
  };
  EXPECT_EQ(frames("GFX/blocks_plain5.png"), std::pair(1616, 32));
  EXPECT_EQ(frames("GFX/blocks_changer2.png"), std::pair(1616, 32));
  EXPECT_EQ(frames("GFX/blocks_zone.png"), std::pair(1616, 32));
  EXPECT_EQ(frames("GFX/blocks_corners2.png"), std::pair(1616, 16));
  EXPECT_EQ(frames("GFX/editor_array.png"), std::pair(3232, 20));
  EXPECT_EQ(frames("GFX/fonts/velkor.png"), std::pair(3232, 49));
  EXPECT_EQ(frames("GFX/fonts/velkor_small.png"), std::pair(1616, 49));
}

TEST(GeneratedImages, CornerFrame15IsEmptyAndTheOthersAreNot) {
  const std::string path = std::string(VELKOR_GAME_DIR) + "/GFX/blocks_corners2.png";
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&img, path.c_str()));
  img.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> px(PNG_IMAGE_SIZE(img));
  ASSERT_TRUE(png_image_finish_read(&img, nullptr, px.data(), 0, nullptr));
  for (int f = 0; f < 16; ++f) {
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) opaque += px[(y * 256 + 16 * f + x) * 4 + 3] > 0;
    if (f == 15) EXPECT_EQ(opaque, 0);
    else EXPECT_GT(opaque, 0) << "frame " << f;
  }
}

TEST(BuiltinLevels, SourcesCompileToPlayableLevels) {
  // The built-in levels 1..5 compiled by the build: one start, one exit,
  // coins, a name and the team as author.
  namespace fs = std::filesystem;
  for (int n = 1; n <= 5; ++n) {
    std::vector<uint8_t> b;
    ASSERT_TRUE(plat::LoadFileBytes(std::string(VELKOR_BINARY_DIR) + "/assets/doy/" +
                                        std::to_string(n) + ".doy", b)) << n;
    play::LevelData l;
    play::DecodeLevel(b, l);
    int count[4] = {};
    for (int x = 0; x < 50; ++x)
      for (int y = 0; y < 36; ++y)
        if (l.ObjectGrid[x][y] >= 0 && l.ObjectGrid[x][y] < 4) ++count[l.ObjectGrid[x][y]];
    EXPECT_EQ(count[1], 1) << n;
    EXPECT_EQ(count[2], 1) << n;
    EXPECT_GT(count[3], 0) << n;
    EXPECT_FALSE(l.LevelName.empty()) << n;
    EXPECT_EQ(l.LevelAuthor, "Velkor team") << n;
  }
}

}  // namespace
