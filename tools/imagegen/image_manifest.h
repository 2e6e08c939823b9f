// Every picture the asset generator writes into the game folder, with its
// size. The generator checks what it draws against this table, and the tests
// check the built game folder against it.
#pragma once

namespace imagegen {

struct ImageSpec {
  const char* path;  // relative to the game folder, '/' separated
  int width, height;  // whole picture
  int cellW, cellH;   // frame size of a strip (the whole picture otherwise)
  int frames;
};

inline constexpr ImageSpec kImages[] = {
    // Particles
    {"GFX/particle_orb.png", 16, 16, 16, 16, 1},
    {"GFX/particle_star.png", 16, 16, 16, 16, 1},
    {"GFX/particle_cloud.png", 16, 16, 16, 16, 1},
    {"GFX/particle_bubble.png", 16, 16, 16, 16, 1},
    {"GFX/particle_heart.png", 16, 16, 16, 16, 1},
    {"GFX/particle_enemy1.png", 16, 16, 16, 16, 1},
    {"GFX/particle_enemy2.png", 16, 16, 16, 16, 1},
    // Coins and popup headings
    {"GFX/coin.png", 16, 16, 16, 16, 1},
    {"GFX/coinbloom.png", 26, 26, 26, 26, 1},
    {"GFX/l_newrecord.png", 260, 40, 260, 40, 1},
    {"GFX/l_norecord.png", 260, 40, 260, 40, 1},
    // Level tiles
    {"GFX/blocks_plain5.png", 512, 16, 16, 16, 32},
    {"GFX/blocks_changer2.png", 512, 16, 16, 16, 32},
    {"GFX/blocks_zone.png", 512, 16, 16, 16, 32},
    {"GFX/blocks_corners2.png", 256, 16, 16, 16, 16},
    {"GFX/level_back.png", 128, 128, 128, 128, 1},
    // The figure
    {"GFX/n_body.png", 10, 10, 10, 10, 1},
    {"GFX/n_belt.png", 10, 2, 10, 2, 1},
    {"GFX/n_a_r.png", 8, 3, 8, 3, 1},
    {"GFX/n_a_g.png", 13, 5, 13, 5, 1},
    {"GFX/n_h_l.png", 7, 8, 7, 8, 1},
    {"GFX/n_h_f.png", 6, 8, 6, 8, 1},
    {"GFX/n_h_r.png", 7, 9, 7, 9, 1},
    {"GFX/n_f_1.png", 4, 4, 4, 4, 1},
    {"GFX/n_f_2.png", 4, 4, 4, 4, 1},
    {"GFX/n_eyes.png", 4, 2, 4, 2, 1},
    {"GFX/playerbloom.png", 18, 26, 18, 26, 1},
    // Rope, pointer, bullets, markers
    {"GFX/p_rope.png", 8, 8, 8, 8, 1},
    {"GFX/p_cursor.png", 16, 16, 16, 16, 1},
    {"GFX/p_bullet.png", 4, 8, 4, 8, 1},
    {"GFX/p_bulletbloom.png", 12, 18, 12, 18, 1},
    {"GFX/l_start.png", 16, 16, 16, 16, 1},
    {"GFX/l_end2.png", 16, 16, 16, 16, 1},
    // Status bar and banners
    {"GFX/icon_velkor.png", 30, 22, 30, 22, 1},
    {"GFX/icon_parts.png", 30, 22, 30, 22, 1},
    {"GFX/l_go.png", 200, 80, 200, 80, 1},
    {"GFX/l_ready.png", 300, 80, 300, 80, 1},
    // Editor
    {"GFX/editor_array.png", 640, 32, 32, 32, 20},
    {"GFX/editor_tile.png", 64, 64, 64, 64, 1},
    {"GFX/e_b_draw.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_fill.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_player.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_end.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_left.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_right.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_loadpack.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_newpack.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_play.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_clear.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_drawc.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_fillc.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_drawz.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_fillz.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_coin.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_neutral.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_norope.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_shoot.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_move.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_rope.png", 32, 32, 32, 32, 1},
    {"GFX/e_b_help.png", 32, 32, 32, 32, 1},
    {"GFX/e_i_velkor.png", 16, 16, 16, 16, 1},
    {"GFX/e_edge.png", 800, 24, 800, 24, 1},
    {"GFX/vol_marker.png", 8, 16, 8, 16, 1},
    // Menu pictures
    {"GFX/Menu/l_icon.png", 32, 32, 32, 32, 1},
    {"GFX/Menu/velkor.png", 340, 76, 340, 76, 1},
    {"GFX/Menu/levelselect.png", 230, 30, 230, 30, 1},
    {"GFX/Menu/restart.png", 150, 14, 150, 14, 1},
    {"GFX/Menu/kc_shoot.png", 290, 30, 290, 30, 1},
    {"GFX/Menu/kc_rope.png", 290, 30, 290, 30, 1},
    {"GFX/Menu/define.png", 300, 40, 300, 40, 1},
    {"GFX/Menu/standard.png", 44, 8, 44, 8, 1},
    {"GFX/pellawick.png", 360, 160, 360, 160, 1},
    // Driver choice (its two choices are the option buttons "opengl" and "directx")
    {"GFX/Menu/gfxmode.png", 420, 40, 420, 40, 1},
    // Buttons
    {"GFX/Menu/game.png", 200, 32, 200, 32, 1},
    {"GFX/Menu/editor.png", 200, 32, 200, 32, 1},
    {"GFX/Menu/options.png", 200, 32, 200, 32, 1},
    {"GFX/Menu/credits.png", 200, 32, 200, 32, 1},
    {"GFX/Menu/exit.png", 200, 32, 200, 32, 1},
    {"GFX/Menu/l_replay.png", 90, 32, 90, 32, 1},
    {"GFX/Menu/l_next.png", 80, 32, 80, 32, 1},
    {"GFX/Menu/l_exit.png", 80, 32, 80, 32, 1},
    {"GFX/Menu/ghosts.png", 220, 32, 220, 32, 1},
    {"GFX/Menu/times.png", 220, 32, 220, 32, 1},
    {"GFX/Menu/keys.png", 220, 32, 220, 32, 1},
    {"GFX/Menu/minus.png", 32, 32, 32, 32, 1},
    {"GFX/Menu/plus.png", 32, 32, 32, 32, 1},
    {"GFX/Menu/sfx.png", 220, 32, 220, 32, 1},
    {"GFX/Menu/music.png", 220, 32, 220, 32, 1},
    {"GFX/Menu/back.png", 80, 32, 80, 32, 1},
    {"GFX/Menu/upload.png", 180, 32, 180, 32, 1},
    {"GFX/Menu/fullscreen.png", 180, 28, 180, 28, 1},
    {"GFX/Menu/directx.png", 140, 24, 140, 24, 1},
    {"GFX/Menu/opengl.png", 140, 24, 140, 24, 1},
    {"GFX/Menu/kc_left.png", 260, 32, 260, 32, 1},
    {"GFX/Menu/kc_right.png", 260, 32, 260, 32, 1},
    {"GFX/Menu/kc_jump.png", 260, 32, 260, 32, 1},
    {"GFX/Menu/kc_slow.png", 260, 32, 260, 32, 1},
    // Fonts: 49 glyph cells in one row
    {"GFX/fonts/velkor.png", 49 * 32, 32, 32, 32, 49},
    {"GFX/fonts/velkor_small.png", 49 * 16, 16, 16, 16, 49},
};

inline constexpr int kImageCount = sizeof(kImages) / sizeof(kImages[0]);

}  // namespace imagegen
