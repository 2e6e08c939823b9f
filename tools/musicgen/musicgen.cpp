// Writes the game's four music modules. Each song is composed from a key, a
// tempo, three four-bar chord progressions and two melodic motifs: the
// motifs are stated, answered, varied and harmonised over a fixed form
// (intro, A, A', B, B', break, A an octave up, A' harmonised, turnaround),
// and the module loops back to the first A.
//
// Usage: velkor_musicgen <output folder>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/generate_files.h"
#include "instruments.h"
#include "xmwriter.h"

namespace music {
namespace {

constexpr int kRows = 64;  // four bars of 4/4, four rows per beat
constexpr int kBar = 16;
constexpr int kChannels = 10;
enum Channel { kChLead, kChEcho, kChArp, kChPad0, kChPad1, kChPad2, kChBass, kChKick, kChSnare, kChHat };

// --- harmony ------------------------------------------------------------------

struct Chord {
  int root = 0;            // pitch class
  std::vector<int> tones;  // semitones above the root
  bool Contains(int midi) const {
    for (int t : tones)
      if (((midi - root - t) % 12 + 12) % 12 == 0) return true;
    return false;
  }
};

Chord ParseChord(const std::string& name) {
  static const int kLetters[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  Chord c;
  size_t i = 1;
  c.root = kLetters[name[0] - 'A'];
  if (i < name.size() && name[i] == '#') c.root = (c.root + 1) % 12, ++i;
  if (i < name.size() && name[i] == 'b') c.root = (c.root + 11) % 12, ++i;
  const std::string q = name.substr(i);
  const bool minor = !q.empty() && q[0] == 'm';
  c.tones = {0, minor ? 3 : 4, 7};
  if (q.find('7') != std::string::npos) c.tones.push_back(minor ? 10 : (q.find("maj") != std::string::npos ? 11 : 10));
  if (q == "sus4") c.tones = {0, 5, 7};
  return c;
}

// Nearest midi note at or near `near` whose pitch class belongs to the chord.
int NearestChordTone(const Chord& c, int near, int limitTones = 99) {
  int best = near, bestDist = 99;
  for (int o = -2; o <= 2; ++o) {
    for (size_t k = 0; k < c.tones.size() && static_cast<int>(k) < limitTones; ++k) {
      const int m = (near / 12 + o) * 12 + c.root + c.tones[k];
      const int d = std::abs(m - near);
      if (d < bestDist || (d == bestDist && m < best)) best = m, bestDist = d;
    }
  }
  return best;
}

struct Scale {
  int tonic;               // midi of the tonic in the melody's octave
  std::vector<int> steps;  // seven intervals above the tonic
  int Midi(int degree) const {
    const int o = static_cast<int>(std::floor(degree / 7.0));
    return tonic + 12 * o + steps[static_cast<size_t>(degree - 7 * o)];
  }
  int Degree(int midi) const {  // nearest degree
    int best = 0, bestDist = 999;
    for (int d = -21; d <= 28; ++d) {
      const int dist = std::abs(Midi(d) - midi);
      if (dist < bestDist) best = d, bestDist = dist;
    }
    return best;
  }
};

const std::vector<int> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> kDorian = {0, 2, 3, 5, 7, 9, 10};

// --- melody ---------------------------------------------------------------------

struct Beat {
  int row, len;
};
// Two-bar rhythms (32 rows).
const std::vector<std::vector<Beat>> kRhythms = {
    {{0, 4}, {4, 2}, {6, 2}, {8, 4}, {12, 4}, {16, 6}, {22, 2}, {24, 8}},
    {{0, 2}, {2, 2}, {4, 4}, {8, 2}, {10, 2}, {12, 4}, {16, 4}, {20, 4}, {24, 4}, {28, 4}},
    {{0, 6}, {6, 2}, {8, 6}, {14, 2}, {16, 2}, {18, 2}, {20, 4}, {24, 8}},
    {{0, 3}, {3, 3}, {6, 2}, {8, 4}, {12, 2}, {14, 2}, {16, 3}, {19, 3}, {22, 4}, {26, 6}},
    {{0, 8}, {8, 4}, {12, 4}, {16, 12}, {28, 4}},
    {{2, 2}, {4, 2}, {6, 4}, {10, 2}, {12, 4}, {16, 2}, {18, 2}, {20, 2}, {22, 2}, {24, 8}},
};
constexpr int kSparseRhythm = 4;

struct Motif {
  std::vector<Beat> rhythm;
  std::vector<int> steps;  // scale steps before each note
};

std::vector<int> MakeSteps(std::mt19937& rng, size_t n, const std::vector<int>& keep = {}) {
  static const int kChoices[] = {-1, -1, -1, 1, 1, 1, -2, -2, 2, 2, 0, 3, -3};
  std::vector<int> steps(n, 0);
  int pos = 0;
  for (size_t i = 0; i < n; ++i) {
    int s = i < keep.size() ? keep[i] : kChoices[rng() % (sizeof kChoices / sizeof *kChoices)];
    if (i == 0 && keep.empty()) s = 0;
    // A leap is followed by a step back the other way.
    if (i >= keep.size() && i > 0 && std::abs(steps[i - 1]) >= 3) s = steps[i - 1] > 0 ? -1 : 1;
    if (pos + s > 5 || pos + s < -4) s = -s;  // stay around the centre
    steps[i] = s;
    pos += s;
  }
  return steps;
}

struct MelNote {
  int row, len, midi;
};

// Plays a motif from `startRow` (bar-aligned) over the chords; notes on
// strong beats or held long land on chord tones, the others walk the
// scale (with the chord's own chromatic tones taking precedence).
void PlaceMotif(const Motif& m, int startRow, const Chord* chords, const Scale& scale, int centre,
                bool endOnRoot, std::vector<MelNote>& out) {
  int degree = scale.Degree(NearestChordTone(chords[startRow / kBar], centre));
  for (size_t i = 0; i < m.rhythm.size(); ++i) {
    const Beat b = m.rhythm[i];
    const int row = startRow + b.row;
    const Chord& chord = chords[row / kBar];
    degree += m.steps[i];
    int midi = scale.Midi(degree);
    if (midi > centre + 10) degree -= 7, midi -= 12;
    if (midi < centre - 9) degree += 7, midi += 12;
    const bool strong = row % 8 == 0 || b.len >= 6;
    if (strong) {
      midi = NearestChordTone(chord, midi);
    } else {
      for (int t : {midi - 1, midi + 1})
        if (chord.Contains(t) && !chord.Contains(midi) &&
            std::find(scale.steps.begin(), scale.steps.end(), ((t - scale.tonic) % 12 + 12) % 12) ==
                scale.steps.end())
          midi = t;
    }
    int len = b.len;
    if (endOnRoot && i + 1 == m.rhythm.size()) {
      midi = NearestChordTone(chord, (midi + centre) / 2, 1);  // home, near the centre
      len = kRows - row - 2;
    }
    out.push_back({row, len, midi});
    degree = scale.Degree(midi);
  }
}

// --- song description -------------------------------------------------------------

enum LeadPart { kNoLead, kLeadA, kLeadAnswer, kLeadB, kLeadBAnswer, kLeadSparse };
enum DrumStyle { kDrumsOff, kDrumsLight, kDrumsHalf, kDrumsFour, kDrumsBreak, kDrumsDrive };
enum BassStyle { kBassOff, kBassLong, kBassPulse, kBassSync, kBassWalk };

struct Section {
  char progression;  // 'A', 'B' or 'C'
  LeadPart lead;
  int octave;        // lead shift in octaves
  bool harmony;      // second voice a third below instead of the echo
  bool pad, arp;
  DrumStyle drums;
  BassStyle bass;
  bool crash, fill;
};

struct Song {
  const char* file;
  const char* title;
  int bpm;
  int tonic;  // midi, melody octave
  std::vector<int> mode;
  std::vector<std::string> progA, progB, progC;
  int rhythmA, rhythmB;
  unsigned seed;
  DrumStyle mainDrums, altDrums;
  BassStyle mainBass, altBass;
  bool extraB;  // one more B section, for the quicker songs
};

std::vector<Section> Form(const Song& s) {
  std::vector<Section> f = {
      {'A', kNoLead, 0, false, true, true, kDrumsLight, kBassLong, false, true},
      {'A', kLeadA, 0, false, true, false, s.mainDrums, s.mainBass, true, false},
      {'A', kLeadAnswer, 0, false, true, false, s.mainDrums, s.mainBass, false, true},
      {'B', kLeadB, 0, false, true, true, s.altDrums, s.altBass, true, false},
      {'B', kLeadBAnswer, 0, true, true, true, s.altDrums, s.altBass, false, true},
      {'C', kLeadSparse, 0, false, true, true, kDrumsHalf, kBassLong, true, false},
      {'A', kLeadA, 1, true, false, true, s.mainDrums, s.mainBass, true, false},
      {'A', kLeadAnswer, 1, true, true, true, s.mainDrums, s.mainBass, false, true},
      {'C', kLeadB, 0, false, true, true, s.mainDrums, s.altBass, true, true},
  };
  if (s.extraB) f.insert(f.begin() + 6, {'B', kLeadBAnswer, 1, false, true, false, s.altDrums, s.mainBass, true, true});
  return f;
}

// --- pattern writing ----------------------------------------------------------------

constexpr uint8_t Vol(int v) { return static_cast<uint8_t>(0x10 + std::clamp(v, 0, 64)); }

void PutNote(xm::Pattern& p, int ch, int row, int midi, int instrument, int volume, int pan) {
  xm::Cell& c = p.at(row, ch);
  c.note = static_cast<uint8_t>(std::clamp(midi - 11, 1, 96));  // midi 60 is C-4
  c.instrument = static_cast<uint8_t>(instrument);
  c.volume = Vol(volume);
  c.effect = 8;  // set panning: a new note resets it to the sample's
  c.param = static_cast<uint8_t>(pan);
}

void PutOff(xm::Pattern& p, int ch, int row) {
  if (row >= kRows) return;
  xm::Cell& c = p.at(row, ch);
  if (c.note == 0) c.note = xm::kKeyOff;
}

void WriteLine(xm::Pattern& p, int ch, const std::vector<MelNote>& notes, int rowShift, int volume,
               int pan, int instrument = kLead) {
  for (const MelNote& n : notes) PutOff(p, ch, n.row + rowShift + n.len);
  for (const MelNote& n : notes) {
    const int row = n.row + rowShift;
    if (row >= kRows) continue;
    xm::Cell& c = p.at(row, ch);
    c = {};
    PutNote(p, ch, row, n.midi, instrument, volume, pan);
  }
}

void WriteDrums(xm::Pattern& p, DrumStyle style, bool crash, bool fill) {
  struct Kit {
    const char *kick, *snare, *hat;
  };
  static const Kit kKits[] = {
      {"................", "................", "................"},
      {"x...............", "................", "..o...o...o...o."},
      {"x.........x.....", "........x.......", "x.o.x.o.x.o.x.o."},
      {"x...x...x...x...", "....x.......x...", "o.x.o.x.o.x.o.x."},
      {"x.....x...x..x..", "....x..g....x...", "x.o.x.o.x.o.x.oo"},
      {"x...x...x...x..o", "....x.......x...", "xoxoxoxoxoxoxoxo"},
  };
  const Kit& k = kKits[style];
  for (int row = 0; row < kRows; ++row) {
    const int step = row % kBar;
    const bool fillBar = fill && row >= 3 * kBar + 8;
    if (k.kick[step] != '.') PutNote(p, kChKick, row, 60, kKick, k.kick[step] == 'x' ? 64 : 40, 0x80);
    if (fillBar) {
      PutNote(p, kChSnare, row, 60, kSnare, 22 + (row - 3 * kBar - 8) * 5, 0x78);
    } else if (k.snare[step] != '.') {
      PutNote(p, kChSnare, row, 60, kSnare, k.snare[step] == 'x' ? 52 : 18, 0x78);
    }
    if (k.hat[step] != '.') PutNote(p, kChHat, row, 60, kHat, k.hat[step] == 'x' ? 34 : 20, 0xA0);
  }
  if (crash) PutNote(p, kChHat, 0, 60, kCrash, 44, 0x60);
}

void WriteBass(xm::Pattern& p, BassStyle style, const Chord* chords) {
  struct Hit {
    int row, len, interval;  // interval above the root: 0, 7 or 12
  };
  static const std::vector<Hit> kStyles[] = {
      {},
      {{0, 12, 0}, {12, 4, 7}},
      {{0, 2, 0}, {2, 2, 0}, {4, 2, 0}, {6, 2, 12}, {8, 2, 0}, {10, 2, 0}, {12, 2, 7}, {14, 2, 12}},
      {{0, 3, 0}, {3, 3, 0}, {6, 2, 7}, {8, 2, 0}, {10, 2, 12}, {12, 2, 7}, {14, 2, 0}},
      {{0, 4, 0}, {4, 4, 7}, {8, 4, 12}, {12, 4, 7}},
  };
  std::vector<MelNote> notes;
  for (int bar = 0; bar < 4; ++bar) {
    const int root = 36 + chords[bar].root;  // C2..B2
    for (const Hit& h : kStyles[style]) notes.push_back({bar * kBar + h.row, h.len, root + h.interval});
  }
  WriteLine(p, kChBass, notes, 0, 52, 0x80, kBass);
}

struct PadVoices {
  int notes[3] = {0, 0, 0};
};

// Moves each pad voice to the nearest tone of the new chord, so the chords
// glide instead of jumping.
void WritePad(xm::Pattern& p, const Chord* chords, int centre, PadVoices& voices, bool on) {
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = chords[bar];
    // Seventh chords drop the root: the bass has it.
    const size_t first = c.tones.size() > 3 ? 1 : 0;
    int best[3] = {0, 0, 0}, bestCost = 1 << 30;
    for (int inv = 0; inv < 3; ++inv) {
      for (int base = centre - 12; base <= centre + 12; ++base) {
        if (((base - c.root - c.tones[first + static_cast<size_t>(inv)]) % 12 + 12) % 12) continue;
        int v[3];
        for (int k = 0; k < 3; ++k) {
          const int t = c.tones[first + static_cast<size_t>((inv + k) % 3)];
          v[k] = base;
          while (((v[k] - c.root - t) % 12 + 12) % 12) ++v[k];
          if (k > 0) while (v[k] <= v[k - 1]) v[k] += 12;
        }
        int cost = std::abs(v[0] - centre) + std::abs(v[2] - centre);
        if (voices.notes[0]) cost = 0;
        for (int k = 0; k < 3 && voices.notes[0]; ++k) cost += std::abs(v[k] - voices.notes[k]);
        if (cost < bestCost) bestCost = cost, std::copy(v, v + 3, best);
      }
    }
    for (int k = 0; k < 3; ++k) {
      if (on && (best[k] != voices.notes[k] || bar == 0))
        PutNote(p, kChPad0 + k, bar * kBar, best[k], kPad, 26, 0x50 + 0x30 * k);
      if (on) voices.notes[k] = best[k];
    }
  }
  if (!on) {
    for (int k = 0; k < 3; ++k) PutOff(p, kChPad0 + k, 0);
    voices = PadVoices{};
  }
}

void WriteArp(xm::Pattern& p, const Chord* chords, int centre) {
  static const int kOrder[16] = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 2, 3, 4, 5, 4, 3};
  for (int bar = 0; bar < 4; ++bar) {
    const Chord& c = chords[bar];
    // Six ascending chord tones from just below the centre.
    std::vector<int> tones;
    int m = NearestChordTone(c, centre - 5);
    while (tones.size() < 6) {
      tones.push_back(m);
      do ++m;
      while (!c.Contains(m));
    }
    for (int s = 0; s < kBar; ++s)
      PutNote(p, kChArp, bar * kBar + s, tones[static_cast<size_t>(kOrder[s])], kPluck, s % 4 == 0 ? 30 : 20, 0x40);
  }
}

xm::Module Compose(const Song& s) {
  xm::Module mod;
  mod.name = s.title;
  mod.channels = kChannels;
  mod.speed = 6;
  mod.bpm = s.bpm;
  mod.instruments = MakeInstruments();

  std::mt19937 rng(s.seed);
  const Scale scale{s.tonic, s.mode};
  auto chordsOf = [&](const std::vector<std::string>& names) {
    std::vector<Chord> c;
    for (const std::string& n : names) c.push_back(ParseChord(n));
    return c;
  };
  const std::vector<Chord> progA = chordsOf(s.progA), progB = chordsOf(s.progB), progC = chordsOf(s.progC);
  const std::vector<Beat>& rA = kRhythms[static_cast<size_t>(s.rhythmA)];
  const std::vector<Beat>& rB = kRhythms[static_cast<size_t>(s.rhythmB)];
  const Motif motifA{rA, MakeSteps(rng, rA.size())};
  const Motif answerA{rA, MakeSteps(rng, rA.size(), {motifA.steps[0], motifA.steps[1], motifA.steps[2]})};
  const Motif motifB{rB, MakeSteps(rng, rB.size())};
  const Motif answerB{rB, MakeSteps(rng, rB.size(), {motifB.steps[0], motifB.steps[1]})};
  const std::vector<Beat>& rS = kRhythms[kSparseRhythm];
  const Motif sparse{rS, MakeSteps(rng, rS.size())};

  PadVoices pad;
  for (const Section& sec : Form(s)) {
    const std::vector<Chord>& prog = sec.progression == 'A' ? progA : sec.progression == 'B' ? progB : progC;
    const Chord* chords = prog.data();
    xm::Pattern p(kRows);
    const int centre = s.tonic + 7 + 12 * sec.octave;
    std::vector<MelNote> line;
    switch (sec.lead) {
      case kNoLead: break;
      case kLeadA:
        PlaceMotif(motifA, 0, chords, scale, centre, false, line);
        PlaceMotif(motifA, 32, chords, scale, centre, true, line);
        break;
      case kLeadAnswer:
        PlaceMotif(motifA, 0, chords, scale, centre, false, line);
        PlaceMotif(answerA, 32, chords, scale, centre, true, line);
        break;
      case kLeadB:
        PlaceMotif(motifB, 0, chords, scale, centre + 2, false, line);
        PlaceMotif(motifB, 32, chords, scale, centre + 2, true, line);
        break;
      case kLeadBAnswer:
        PlaceMotif(motifB, 0, chords, scale, centre + 2, false, line);
        PlaceMotif(answerB, 32, chords, scale, centre + 2, true, line);
        break;
      case kLeadSparse:
        PlaceMotif(sparse, 0, chords, scale, centre, false, line);
        PlaceMotif(sparse, 32, chords, scale, centre, true, line);
        break;
    }
    WriteLine(p, kChLead, line, 0, 46, 0x70);
    if (sec.harmony) {
      std::vector<MelNote> third = line;
      for (MelNote& n : third) {
        n.midi = scale.Midi(scale.Degree(n.midi) - 2);
        const Chord& c = chords[n.row / kBar];
        if (n.row % 8 == 0 && !c.Contains(n.midi)) n.midi = NearestChordTone(c, n.midi);
      }
      WriteLine(p, kChEcho, third, 0, 30, 0xA8);
    } else {
      WriteLine(p, kChEcho, line, 3, 18, 0xB0);
    }
    WritePad(p, chords, s.tonic, pad, sec.pad);
    if (sec.arp) WriteArp(p, chords, s.tonic + 12);
    WriteBass(p, sec.bass, chords);
    WriteDrums(p, sec.drums, sec.crash, sec.fill);
    mod.order.push_back(static_cast<uint8_t>(mod.patterns.size()));
    mod.patterns.push_back(std::move(p));
  }
  mod.restart = 1;  // the intro plays once
  return mod;
}

const Song kSongs[] = {
    {"VELKOR5.xm", "Velkor: Ascent", 132, 69, kMinor, {"Am", "F", "C", "G"}, {"Dm", "Am", "E", "Am"},
     {"F", "G", "Em", "Am"}, 0, 2, 511, kDrumsFour, kDrumsBreak, kBassPulse, kBassSync, false},
    {"VELKOR1.xm", "Velkor: Hookline", 116, 62, kDorian, {"Dm7", "G", "Dm7", "G"}, {"Bb", "C", "Am", "Dm"},
     {"Gm", "Am", "Bb", "C"}, 3, 1, 1701, kDrumsBreak, kDrumsHalf, kBassSync, kBassWalk, false},
    {"VELKOR3.xm", "Velkor: Colour Glow", 100, 72, kMajor, {"C", "Am", "F", "G"}, {"F", "G", "Em", "Am"},
     {"Dm", "G", "C", "C"}, 2, 5, 3303, kDrumsHalf, kDrumsFour, kBassWalk, kBassLong, false},
    {"VELKOR4.xm", "Velkor: Undertow", 144, 64, kMinor, {"Em", "C", "D", "B"}, {"Am", "Em", "C", "D"},
     {"C", "D", "Em", "Em"}, 1, 3, 4404, kDrumsDrive, kDrumsBreak, kBassPulse, kBassSync, true},
};

}  // namespace
}  // namespace music

int main(int argc, char** argv) {
  std::vector<toolcommon::FileWriter> files;
  for (const music::Song& s : music::kSongs)
    files.push_back({s.file, [&s](const std::string& path) { return xm::Write(path, music::Compose(s)); }});
  return toolcommon::GenerateFiles(argc, argv, files);
}
