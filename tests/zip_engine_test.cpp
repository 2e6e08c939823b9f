// The zip engine on its own: records at their byte offsets, the local header
// scan with its sorting rules and its guards against damaged headers, and
// the writer and reader over real archive files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>

#include "platform/dates.h"
#include "platform/files.h"
#include "support/bytes.h"
#include "support/tempdir_test.h"
#include "zip/zipfile.h"

namespace {

using Bytes = std::vector<uint8_t>;
using zip::TZipFileList;

void Put(Bytes& b, size_t at, uint64_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Little-endian values of the given byte widths, one after another.
Bytes Fields(std::initializer_list<std::pair<uint64_t, int>> fields) {
  Bytes b;
  for (const auto& [v, width] : fields) b.resize(b.size() + width), Put(b, b.size() - width, v, width);
  return b;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A local header, its name and `data` bytes of member data.
Bytes LocalHeader(const std::string& name, uint32_t compressed, size_t data) {
  Bytes b(30, 0);
  Put(b, 0, 0x04034B50, 4);
  Put(b, 18, compressed, 4);
  Put(b, 26, static_cast<uint32_t>(name.size()), 2);
  for (char c : name) b.push_back(static_cast<uint8_t>(c));
  b.resize(b.size() + data, 'd');
  return b;
}

Bytes Members(const std::vector<std::string>& names) {
  Bytes all;
  for (const std::string& n : names) std::ranges::copy(LocalHeader(n, 2, 2), std::back_inserter(all));
  return all;
}

std::unique_ptr<TZipFileList> Scan(const Bytes& bytes, int ignoreCase = 0, int ignorePaths = 0) {
  plat::MemoryStream s(bytes);
  std::unique_ptr<TZipFileList> list = TZipFileList::create(&s, ignoreCase, ignorePaths);
  list->stream = nullptr;
  return list;
}

using Names = std::vector<std::string>;

// Full names in list order, of a member list or an archive.
template <class List>
Names Listed(const List& list) {
  Names names;
  for (int i = 0; i < list.getFileCount(); ++i) names.push_back(list.getFileInfo(i).fullName);
  return names;
}

TEST(ZipRecords, FileInfoBlockHolds48BytesAtTheirOffsets) {
  zip::zip_fileinfo info;
  info.tmz_date = {59, 7, 14, 8, 11, 2026};
  info.dosDate = 0x1122334455667788, info.internal_fa = 3, info.external_fa = -2;
  const plat::Bank b = info.toBank();
  ASSERT_EQ(b.Size(), 48u);
  const int32_t times[] = {59, 7, 14, 8, 11, 2026};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.PeekInt(4 * i), times[i]);
  EXPECT_EQ(b.PeekLong(24), 0x1122334455667788);
  EXPECT_EQ(b.PeekLong(32) + b.PeekLong(40), 1);
}

TEST(ZipRecords, HeaderFieldsReadAtTheirOffsets) {
  plat::Bank b(5 + 30);
  for (int i = 0; i < 30; ++i) b.PokeByte(5 + i, 0x10 + i);
  zip::SZIPFileHeader h;
  EXPECT_EQ(h.fillFromBank(b, 5), 0);
  EXPECT_EQ(h.signature, 0x13121110u);
  const std::pair<uint16_t, int> shorts[] = {{h.versionNeeded, 4}, {h.flags, 6},    {h.method, 8},
                                             {h.modTime, 10},      {h.modDate, 12}, {h.nameLength, 26},
                                             {h.extraLength, 28}};
  for (auto [value, at] : shorts) EXPECT_EQ(value, (0x11 + at) << 8 | (0x10 + at)) << at;
  EXPECT_EQ(h.descriptor.crc32, 0x21201F1Eu);
  EXPECT_EQ(h.descriptor.compressedSize, 0x25242322u);
  EXPECT_EQ(h.descriptor.uncompressedSize, 0x29282726u);

  plat::MemoryStream shortStream(Bytes(29, 0));
  EXPECT_EQ(h.fillFromStream(&shortStream, 30), 0);
  EXPECT_EQ(shortStream.Pos(), 0);
  EXPECT_EQ(h.fillFromStream(nullptr, 30), 0);
}

TEST(ZipRecordsDeathTest, ShortBlocksEndTheProgram) {
  zip::SZIPFileHeader h;
  zip::SZIPFileDataDescriptor d;
  EXPECT_EXIT(h.fillFromBank(plat::Bank(30), 1), testing::ExitedWithCode(255), "fillFromBank out of bounds");
  EXPECT_EXIT(d.fillFromBank(plat::Bank(11), 0), testing::ExitedWithCode(255), "fillFromBank out of bounds");
}

TEST(ZipRecords, TimeStampFromDateTexts) {
  struct Case {
    const char *date, *time;
    zip::tm_zip want;
  } cases[] = {
      {"08 Dec 2026", "14:07:59", {59, 7, 14, 8, 11, 2026}},
      {"31 oCt 2030", "23:59:01", {1, 59, 23, 31, 9, 2030}},
      {"15 Xyz 2001", "01:02:03", {3, 2, 1, 15, 0, 2001}},
  };
  for (const Case& c : cases) {
    const zip::tm_zip t = zip::TmZipFromTexts(c.date, c.time);
    EXPECT_EQ(std::memcmp(&t, &c.want, sizeof t), 0) << c.date << " " << c.time;
  }
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(plat::DateText(1796738879), "08 Dec 2026");
  EXPECT_EQ(plat::TimeText(1796738879), "14:07:59");
}

TEST(ZipList, NothingToScanGivesNoMembers) {
  EXPECT_EQ(TZipFileList::create(nullptr, 0, 0), nullptr);
  for (const Bytes& bytes : {Bytes{}, Bytes(29, 0x50), Bytes{'n', 'o', 't', ' ', 'z', 'i', 'p'}}) {
    EXPECT_EQ(Scan(bytes)->getFileCount(), 0);
  }
}

TEST(ZipList, NamesUnderTheFlags) {
  struct Case {
    std::string stored;
    int ignoreCase, ignorePaths;
    std::string full, simple, dir, found, missed;
  } cases[] = {
      {"Dir/Sub/File.TXT", 1, 1, "dir/sub/file.txt", "file.txt", "dir/sub", "X/FILE.txt", "file"},
      {"Dir/Sub/File.TXT", 0, 0, "Dir/Sub/File.TXT", "Dir/Sub/File.TXT", "Dir/Sub", "Dir/Sub/File.TXT",
       "dir/sub/file.txt"},
      {"Pack\\levels\\3.doy", 0, 1, "Pack\\levels\\3.doy", "3.doy", "Pack/levels", "3.doy", "3.DOY"},
      {"dir/", 0, 1, "dir/", "", "", "", "dir"},
      {"", 0, 0, "", "", "", "", "x"},
  };
  for (const Case& c : cases) {
    auto list = Scan(Members({c.stored}), c.ignoreCase, c.ignorePaths);
    ASSERT_EQ(list->getFileCount(), 1) << c.stored;
    const zip::SZipFileEntry e = list->getFileInfo(0);
    EXPECT_EQ(e.fullName, c.full);
    EXPECT_EQ(e.simpleName, c.simple);
    EXPECT_EQ(e.dirPath, c.dir);
    EXPECT_EQ(e.dataOffset, 30 + static_cast<int64_t>(c.stored.size()));
    EXPECT_TRUE(list->findFile(c.found).has_value()) << c.stored;
    EXPECT_FALSE(list->findFile(c.missed).has_value()) << c.stored;
  }
}

TEST(ZipList, SortsCapitalsFirstAndKeepsArchiveOrderForEqualNames) {
  const Bytes archive = Members({"b", "c/x", "B", "a/x", "A"});
  EXPECT_EQ(Listed(*Scan(archive)), (Names{"A", "B", "a/x", "b", "c/x"}));
  auto byName = Scan(archive, 0, 1);
  EXPECT_EQ(Listed(*byName), (Names{"A", "B", "b", "c/x", "a/x"}));
  EXPECT_EQ(byName->findFile("d/x")->fullName, "c/x");
}

TEST(ZipListDeathTest, BadIndexEndsTheProgram) {
  auto list = Scan(Members({"a", "b"}));
  EXPECT_EXIT(list->getFileInfo(-1), testing::ExitedWithCode(255), "TZipReader.getFileInfo\\(\\): Invalid index -1");
  EXPECT_EXIT(list->getFileInfo(2), testing::ExitedWithCode(255), "TZipReader.getFileInfo\\(\\): Invalid index 2");
  EXPECT_EXIT(zip::ZipReader().getFileInfo(0), testing::ExitedWithCode(255), "Invalid index 0");
}

TEST(ZipList, DamagedHeadersEndTheScan) {
  const Bytes good = LocalHeader("good", 4, 4);
  Bytes topBit = LocalHeader("top", 0xFFFFFFC0, 0);  // unsigned: past the end, never back
  topBit.insert(topBit.end(), good.begin(), good.end());
  Bytes cutName = LocalHeader("name-cut-off", 0, 0);
  cutName.resize(36);
  struct Case {
    const char* what;
    Bytes tail;
    int count;
  } cases[] = {{"size with the top bit set", topBit, 2}, {"ends inside a name", cutName, 1},
               {"data past the end", LocalHeader("long", 100, 3), 2}};
  for (const Case& c : cases) {
    Bytes bytes = good;
    bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Scan(bytes)->getFileCount(), c.count) << c.what;
  }
}

// Zero bytes except for the blocks placed in it: an archive of many
// gigabytes without the memory.
using Blocks = std::map<int64_t, Bytes>;
class SparseStream : public plat::MemoryStream {
 public:
  SparseStream(int64_t size, Blocks blocks) : size_(size), blocks_(std::move(blocks)) {}
  size_t Read(void* buf, size_t n) override {
    n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(n), size_ - pos_));
    for (size_t k = 0; k < n; ++k, ++pos_) {
      auto b = blocks_.upper_bound(pos_);
      const bool inside = b != blocks_.begin() && pos_ - (--b)->first < static_cast<int64_t>(b->second.size());
      static_cast<uint8_t*>(buf)[k] = inside ? b->second[static_cast<size_t>(pos_ - b->first)] : 0;
    }
    return n;
  }
  int64_t Pos() override { return pos_; }
  int64_t Seek(int64_t p) override { return pos_ = std::clamp<int64_t>(p, 0, size_); }
  int64_t Size() override { return size_; }

 private:
  int64_t size_, pos_ = 0;
  Blocks blocks_;
};

TEST(ZipList, PositionsPastFourGigabytes) {
  const uint32_t big = 0x7FFFFFFF;
  const int64_t second = 31 + int64_t{big}, third = second + 31 + big;
  SparseStream s(third + 40, {{0, LocalHeader("a", big, 0)}, {second, LocalHeader("b", big, 0)},
                              {third, LocalHeader("c", 0, 0)}});
  auto list = TZipFileList::create(&s, 0, 0);
  ASSERT_EQ(list->getFileCount(), 3);
  EXPECT_EQ(list->getFileInfo(2).dataOffset, third + 31);
  EXPECT_GT(third, int64_t{1} << 32);
}

TEST(ZipList, Zip64SizesAndPositions) {
  static constexpr uint32_t mark = 0xFFFFFFFF;  // the value is in the Zip64 extra field
  const int64_t huge = int64_t{5} << 30;
  // z: sizes in its local extra field; a: sizes after its data, and in the
  // directory's extra fields with the positions past 4 GiB.
  Bytes z = LocalHeader("z", mark, 0) + Fields({{1, 2}, {16, 2}, {huge + 7, 8}, {huge, 8}});
  Put(z, 22, mark, 4), Put(z, 28, 20, 2);
  Bytes a = LocalHeader("a", 0, 0);
  Put(a, 6, 8, 2);
  const int64_t at = 51 + huge, b = at + 31 + huge + 24, dir = b + 31;
  const auto central = [](char name, uint32_t sizes, const Bytes& extra) {
    return Fields({{0x02014B50, 4}, {45, 2}, {45, 2}, {0, 8}, {0, 4}, {sizes, 4}, {sizes, 4}, {1, 2},
                   {extra.size(), 2}, {0, 10}, {mark, 4}}) +
           Bytes{static_cast<uint8_t>(name)} + extra;
  };
  const Bytes entries = central('a', mark, Fields({{1, 2}, {24, 2}, {huge, 8}, {huge, 8}, {at, 8}})) +
                        central('b', 0, Fields({{1, 2}, {8, 2}, {b, 8}}));
  const int64_t end64 = dir + static_cast<int64_t>(entries.size());
  const Bytes ends = Fields({{0x06064B50, 4}, {44, 8}, {0, 20}, {2, 8}, {entries.size(), 8}, {dir, 8}}) +
                     Fields({{0x07064B50, 4}, {0, 4}, {end64, 8}, {1, 4}}) +
                     Fields({{0x06054B50, 4}, {0, 4}, {2, 2}, {2, 2}, {entries.size(), 4}, {mark, 6}});
  SparseStream s(end64 + 98, {{0, z}, {at, a}, {b, LocalHeader("b", 0, 0)}, {dir, entries}, {end64, ends}});
  auto list = TZipFileList::create(&s, 0, 0);
  ASSERT_EQ(Listed(*list), (Names{"a", "b", "z"}));
  EXPECT_EQ(list->getFileInfo(1).dataOffset, b + 31);
  EXPECT_EQ(list->getFileInfo(2).header.descriptor.compressedSize, mark);
}

class ZipFiles : public vtest::InTempDir {
 protected:
  // Writes a.zip with text members, each with its password.
  static void MakeArchive(const std::vector<std::array<std::string, 3>>& members) {
    zip::ZipWriter w;
    ASSERT_EQ(w.openZip("a.zip", 0), 1);
    for (const auto& [name, text, password] : members) {
      plat::MemoryStream s(Bytes(text.begin(), text.end()));
      ASSERT_EQ(w.addStream(&s, name, password), 0) << name;
    }
    ASSERT_EQ(w.closeZip(""), 0);
  }
};

TEST_F(ZipFiles, ListCountsAfterCreateAddAndAppend) {
  for (const char* f : {"c", "a", "b", "0"}) Write(f, f);
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("a.zip", 0), 1);
  EXPECT_EQ(w.getFileCount(), 0);
  for (const char* f : {"c", "a", "b"}) EXPECT_EQ(w.addFile(f, ""), 0);
  EXPECT_EQ(Listed(w), (Names{"c", "a", "b"}));
  EXPECT_EQ(w.closeZip(""), 0);
  EXPECT_EQ(w.getName(), "");
  EXPECT_EQ(w.getFileCount(), 0);

  ASSERT_EQ(w.openZip("A.ZIP", 1), 1);
  EXPECT_EQ(w.getName(), "A.ZIP");
  EXPECT_EQ(Listed(w), (Names{"a", "b", "c"}));
  EXPECT_EQ(w.addFile("0", ""), 0);
  EXPECT_EQ(Listed(w), (Names{"a", "b", "c", "0"}));
  EXPECT_EQ(w.closeZip(""), 0);
}

TEST_F(ZipFiles, PackMembersKeepTheirBackslashesAndTheFilesTimes) {
  ASSERT_TRUE(plat::CreateDir("mine") && plat::CreateDir("mine/levels"));
  Write("mine/levels/1.doy", "level");
  Write("mine/scores.dat", "scores");
  Write("plain", "p");
  Write("staged", "two");
  std::tm local{};
  local.tm_year = 2001 - 1900, local.tm_mon = 1, local.tm_mday = 3;
  local.tm_hour = 4, local.tm_min = 5, local.tm_sec = 6, local.tm_isdst = -1;
  const utimbuf stamp{std::mktime(&local), std::mktime(&local)};
  ASSERT_EQ(utime("staged", &stamp), 0);
  ASSERT_EQ(chmod("mine/scores.dat", 0444), 0);
  zip::ZipWriter w;
  ASSERT_EQ(w.openZip("mine.zip", 0), 1);
  EXPECT_EQ(w.addFile("mine\\levels\\1.doy", ""), 0);
  EXPECT_EQ(w.addFile("mine\\scores.dat", ""), 0);  // read-only: still packed
  EXPECT_EQ(w.addFile("plain", ""), 0);
  EXPECT_EQ(w.addFile("staged", "mine\\levels\\2.doy", ""), 0);  // a name of the caller's
  const zip::SZipFileEntry level = w.getFileInfo(0);
  EXPECT_EQ(level.simpleName, "1.doy");
  EXPECT_EQ(level.dirPath, "mine/levels");
  EXPECT_EQ(w.getFileInfo(2).dirPath, "");
  EXPECT_EQ(w.closeZip(""), 0);
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("mine.zip"), 1);
  EXPECT_EQ(Listed(r), (Names{"mine\\levels\\1.doy", "mine\\levels\\2.doy", "mine\\scores.dat", "plain"}));
  EXPECT_EQ(Text(r.extractFile("mine\\scores.dat", 1, "").get()), "scores");
  EXPECT_EQ(Text(r.extractFile("mine\\levels\\2.doy", 1, "").get()), "two");
  const zip::SZIPFileHeader two = r.findFile("mine\\levels\\2.doy").value().header;
  EXPECT_EQ(two.modDate, (2001 - 1980) << 9 | 2 << 5 | 3);
  EXPECT_EQ(two.modTime, 4 << 11 | 5 << 5 | 6 / 2);
}

TEST_F(ZipFiles, FailuresAreReported) {
  zip::ZipWriter w;
  EXPECT_NE(w.closeZip(""), 0);  // never opened: no archive was written
  EXPECT_NE(w.addFile("x", ""), 0);
  EXPECT_EQ(w.openZip("no/such/dir/a.zip", 0), 0);
  EXPECT_EQ(w.openZip("missing.zip", 1), 0);
  EXPECT_EQ(w.getName(), "");

  Write("real", "r");
  ASSERT_EQ(w.openZip("a.zip", 0), 1);
  EXPECT_NE(w.addFile("missing", ""), 0);
  EXPECT_NE(w.addStream(nullptr, "s", ""), 0);
  EXPECT_EQ(w.addFile("real", ""), 0);
  EXPECT_EQ(Listed(w), (Names{"real"}));
  EXPECT_NE(w.closeZip(""), 0);  // a member is missing: the archive is incomplete
}

TEST_F(ZipFiles, CompressionLevelRules) {
  zip::ZipWriter w;
  w.setCompressionLevel(9);  // nothing open: ignored
  EXPECT_EQ(w.getCompressionLevel(), -1);
  ASSERT_EQ(w.openZip("a.zip", 0), 1);
  for (int bad : {-2, 10, 99}) w.setCompressionLevel(bad);
  EXPECT_EQ(w.getCompressionLevel(), -1);
  w.setCompressionLevel(0);
  w.closeZip("");
  ASSERT_EQ(w.openZip("b.zip", 0), 1);  // the level stays for the next archive
  plat::MemoryStream q(Bytes(20000, 'q'));
  EXPECT_EQ(w.addStream(&q, "q", ""), 0);
  w.closeZip("");
  EXPECT_GT(plat::FileSize("b.zip"), 20000);  // level 0 stores
}

TEST_F(ZipFiles, ReaderExtractsMembersExactly) {
  MakeArchive({{"Dir/File.TXT", "some text", ""}, {"empty", "", ""}, {"locked", "key text", "Pw"}});
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("a.zip"), 1);
  EXPECT_EQ(r.getName(), "a.zip");
  EXPECT_EQ(Text(r.extractFile("dir/file.txt", 0, "").get()), "some text");
  EXPECT_EQ(r.extractFile("dir/file.txt", 1, ""), nullptr);
  auto s = r.extractFile("Dir/File.TXT", 1, "unused");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Write("x", 1), 0u);
  EXPECT_EQ(Text(s.get()), "some text");
  auto empty = r.extractFile("empty", 1, "");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->Eof());
  EXPECT_EQ(Text(r.extractFile("locked", 1, "Pw").get()), "key text");
  for (const char* wrong : {"", "pw", "Pw "}) EXPECT_EQ(r.extractFile("locked", 1, wrong), nullptr) << wrong;

  r.closeZip();
  EXPECT_EQ(r.getName(), "");
  EXPECT_EQ(r.getFileCount(), 0);
  EXPECT_EQ(r.extractFile("empty", 1, ""), nullptr);
  Write("text", "not a zip");
  EXPECT_EQ(r.openZip("text"), 0);
}

TEST_F(ZipFiles, DamagedOrOversizedMembersGiveNothing) {
  const std::string text(300, 'z');
  MakeArchive({{"m", text, ""}});
  Bytes good;
  ASSERT_TRUE(plat::LoadFileBytes("a.zip", good));
  const size_t central = Scan(good)->getFileInfo(0).dataOffset + vtest::IntAt(good, 18);
  const auto claim = [&](uint32_t size) {
    return [=](Bytes& b) { Put(b, 22, size, 4), Put(b, central + 24, size, 4); };
  };
  const std::pair<const char*, std::function<void(Bytes&)>> cases[] = {
      {"data byte flipped", [](Bytes& b) { b[32] ^= 0x40; }},
      {"claims 2 GiB", claim(0x80000000u)},
      {"claims more than deflate can give", claim(50u << 20)},
      {"claims one byte more", claim(301)},
  };
  for (const auto& [what, patch] : cases) {
    Bytes bad = good;
    patch(bad);
    ASSERT_TRUE(plat::SaveFileSafely("bad.zip", bad));
    zip::ZipReader r;
    ASSERT_EQ(r.openZip("bad.zip"), 1) << what;
    EXPECT_EQ(r.extractFile("m", 1, ""), nullptr) << what;
  }
}

TEST_F(ZipFiles, ValuesOnlyInZip64FieldsAreExtracted) {
  // The library takes such values for 0xFFFFFFFF. "fz" has its size only in
  // the directory's Zip64 field (as `zip -fz` writes), "big" is over the
  // read limit, and "last" lies past 4 GiB with its position in that field.
  static constexpr uint32_t mark = 0xFFFFFFFF;
  const int64_t big = (int64_t{1} << 32) + 4096;
  const auto local = [](const std::string& name, const std::string& data, uint32_t size, const Bytes& extra) {
    const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    return Fields({{0x04034B50, 4}, {45, 2}, {0, 8}, {crc, 4}, {size, 4}, {size, 4}, {name.size(), 2},
                   {extra.size(), 2}}) +
           Bytes(name.begin(), name.end()) + extra + Bytes(data.begin(), data.end());
  };
  const auto central = [](const Bytes& head, uint32_t compressed, uint32_t uncompressed, uint32_t at,
                          const Bytes& extra) {
    const std::string name(head.begin() + 30, head.begin() + 30 + (head[26] | head[27] << 8));
    return Fields({{0x02014B50, 4}, {45, 2}}) + Bytes(head.begin() + 4, head.begin() + 18) +
           Fields({{compressed, 4}, {uncompressed, 4}, {name.size(), 2}, {extra.size(), 2}, {0, 10}, {at, 4}}) +
           Bytes(name.begin(), name.end()) + extra;
  };
  const Bytes fz = local("fz", "one", 3, {});
  const Bytes bigSizes = Fields({{1, 2}, {16, 2}, {big, 8}, {big, 8}});
  const Bytes huge = local("big", "", mark, bigSizes);
  const Bytes last = local("last", "two", 3, {});
  const int64_t atBig = static_cast<int64_t>(fz.size()), atLast = atBig + static_cast<int64_t>(huge.size()) + big;
  const int64_t dir = atLast + static_cast<int64_t>(last.size());
  const Bytes entries = central(fz, 3, mark, 0, Fields({{1, 2}, {8, 2}, {3, 8}})) +
                        central(huge, mark, mark, static_cast<uint32_t>(atBig), bigSizes) +
                        central(last, 3, 3, mark, Fields({{1, 2}, {8, 2}, {atLast, 8}}));
  const int64_t end64 = dir + static_cast<int64_t>(entries.size());
  const Bytes ends = Fields({{0x06064B50, 4}, {44, 8}, {0, 12}, {3, 8}, {3, 8}, {entries.size(), 8}, {dir, 8}}) +
                     Fields({{0x07064B50, 4}, {0, 4}, {end64, 8}, {1, 4}}) +
                     Fields({{0x06054B50, 4}, {0, 4}, {3, 2}, {3, 2}, {entries.size(), 4}, {mark, 6}});
  // Sparse: the big member's bytes are a hole.
  const int fd = open("big.zip", O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  for (const auto& [at, block] : Blocks{{0, fz}, {atBig, huge}, {atLast, last}, {dir, entries}, {end64, ends}})
    ASSERT_EQ(pwrite(fd, block.data(), block.size(), at), static_cast<ssize_t>(block.size()));
  close(fd);
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("big.zip"), 1);
  ASSERT_EQ(r.getFileCount(), 3);
  for (const auto& [member, text] : {std::pair{"fz", "one"}, {"big", "<none>"}, {"last", "two"}})
    EXPECT_EQ(Text(r.extractFile(member, 1, "").get()), text) << member;
}

TEST_F(ZipFiles, ExtractToDiskReplacesOnlyAfterSuccess) {
  MakeArchive({{"m", "member", ""}, {"p", "locked", "pw"}});
  Write("out", "old");
  zip::ZipReader r;
  ASSERT_EQ(r.openZip("a.zip"), 1);
  EXPECT_NE(r.extractFileToDisk("missing", "out", 1, ""), 0);
  EXPECT_NE(r.extractFileToDisk("p", "out", 1, "wrong"), 0);
  EXPECT_EQ(Read("out"), "old");
  EXPECT_EQ(r.extractFileToDisk("M", "out", 0, ""), 0);
  EXPECT_EQ(Read("out"), "member");
  EXPECT_NE(r.extractFileToDisk("missing", "new", 1, ""), 0);
  EXPECT_EQ(plat::FileSize("new"), 0);
}

}  // namespace
