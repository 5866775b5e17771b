#include "drawings/archive_extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using drawings::ExtractAll;
using drawings::ExtractOutcome;

const fs::path kFixtures = fs::path(__FILE__).parent_path() / "fixtures";
// Names of the fixtures; "表", "ソ" and "能" end in 0x5C in CP932.
const std::string kDeep = "図面/表ソ能/能力表.dwg";

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below folder, as "relative/path", sorted.
std::vector<std::string> filesBelow(const std::string& folder) {
  std::vector<std::string> out;
  if (!fs::exists(folder)) return out;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (!e.is_directory()) out.push_back(fs::relative(e.path(), folder).string());
  std::sort(out.begin(), out.end());
  return out;
}

struct Member {
  Member(std::string n, std::string d, mode_t t = AE_IFREG, std::string l = {})
      : name(std::move(n)), data(std::move(d)), type(t), link(std::move(l)) {}
  std::string name;
  std::string data;
  mode_t type;
  std::string link;  // symlink target
};

// A deflated ZIP written by libarchive, names as given (ASCII); with a
// password, the members are encrypted.
void writeZip(const std::string& path, const std::vector<Member>& members, const char* password = nullptr) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  if (password) {
    ASSERT_EQ(archive_write_set_options(a, "zip:encryption=zipcrypt"), ARCHIVE_OK);
    ASSERT_EQ(archive_write_set_passphrase(a, password), ARCHIVE_OK);
  }
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const Member& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name.c_str());
    archive_entry_set_filetype(e, m.type);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 1700000000, 0);
    if (m.type == AE_IFLNK) archive_entry_set_symlink(e, m.link.c_str());
    archive_entry_set_size(e, static_cast<la_int64_t>(m.type == AE_IFREG ? m.data.size() : 0));
    archive_write_header(a, e);
    if (m.type == AE_IFREG) archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

std::string drawingBytes(int seed, size_t size) {
  std::string s;
  unsigned x = 2463534242u + static_cast<unsigned>(seed);
  while (s.size() < size) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    s += "LINE " + std::to_string(x % 1000) + (x % 7 ? "\r\n" : "\r\n  0\r\nTEXT\r\n");
  }
  s.resize(size);
  return s;
}

class ArchiveExtractTest : public base_test::TempFolderTest {
 protected:
  std::string dest() const { return path("out"); }
  std::string fixture(const std::string& name) const { return (kFixtures / name).string(); }
};

// --- Japanese names ---------------------------------------------------------

class JapaneseNamesTest : public ArchiveExtractTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(JapaneseNamesTest, NamesComeOutAsUtf8WithFoldersAndContents) {
  const std::string archive = fixture(GetParam());
  const ExtractOutcome r = ExtractAll(archive, dest(), true);
  EXPECT_TRUE(r.complete) << r.reason;
  EXPECT_TRUE(r.refused.empty());
  const bool utf8Zip = std::string(GetParam()) == "names_utf8.zip";
  const std::string second = utf8Zip ? "한글.dxf" : "ソフト.dxf";
  std::vector<std::string> files{second, kDeep};
  std::sort(files.begin(), files.end());
  EXPECT_EQ(filesBelow(dest()), files);
  ASSERT_EQ(r.written, (std::vector<std::string>{dest() + "/" + kDeep, dest() + "/" + second}));
  // The contents came through the decompressor intact.
  const std::string dwg = readAll(r.written[0]);
  EXPECT_EQ(dwg.size(), 22090u);
  EXPECT_EQ(dwg.substr(0, 12), "  0\r\nLINE\r\n ");
  EXPECT_EQ(readAll(r.written[1]).size(), 10990u);
}

TEST_P(JapaneseNamesTest, WithoutFoldersEveryFileLandsInDest) {
  const ExtractOutcome r = ExtractAll(fixture(GetParam()), dest(), false);
  EXPECT_TRUE(r.complete) << r.reason;
  const bool utf8Zip = std::string(GetParam()) == "names_utf8.zip";
  std::vector<std::string> files{utf8Zip ? "한글.dxf" : "ソフト.dxf", "能力表.dwg"};
  std::sort(files.begin(), files.end());
  EXPECT_EQ(filesBelow(dest()), files);
  EXPECT_EQ(r.written.front(), dest() + "/能力表.dwg");
}

INSTANTIATE_TEST_SUITE_P(Archives, JapaneseNamesTest,
                         ::testing::Values("names_lh5.lzh", "names_lh6.lzh", "names_lh7.lzh", "names_level0.lzh",
                                           "names_cp932.zip", "names_utf8.zip"));

TEST_F(ArchiveExtractTest, NamesDoNotDependOnTheProcessLocale) {
  const std::string old = setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "ja_JP.UTF-8", "ja_JP.eucJP"}) {
    if (!setlocale(LC_ALL, locale)) continue;
    const std::string lzh = path(std::string("lzh-") + locale), zip = path(std::string("zip-") + locale);
    const ExtractOutcome r = ExtractAll(fixture("names_lh5.lzh"), lzh, true);
    const ExtractOutcome z = ExtractAll(fixture("names_utf8.zip"), zip, true);
    setlocale(LC_ALL, old.c_str());
    EXPECT_TRUE(r.complete && z.complete) << locale;
    EXPECT_EQ(filesBelow(lzh), (std::vector<std::string>{"ソフト.dxf", kDeep})) << locale;
    EXPECT_EQ(filesBelow(zip), (std::vector<std::string>{kDeep, "한글.dxf"})) << locale;
  }
}

TEST_F(ArchiveExtractTest, KeepsTheMembersModificationTimes) {
  ExtractAll(fixture("names_cp932.zip"), dest(), true);
  struct stat st {};
  ASSERT_EQ(stat((dest() + "/ソフト.dxf").c_str(), &st), 0);
  struct tm t {};
  const time_t m = st.st_mtime;
  localtime_r(&m, &t);  // ZIP keeps local time
  EXPECT_EQ(t.tm_year + 1900, 2024);
  EXPECT_EQ(t.tm_mon + 1, 3);
  EXPECT_EQ(t.tm_hour, 9);
  EXPECT_EQ(t.tm_min, 30);
}

// --- Folders ----------------------------------------------------------------

TEST_F(ArchiveExtractTest, FolderEntriesMakeFoldersOnlyWhenKeepingThem) {
  const std::string zip = path("f.zip");
  writeZip(zip, {{"empty/", "", AE_IFDIR}, {"a/b/c/deep.dwg", "deep"}, {"a/top.dwg", "top"}, {"./dot.dwg", "dot"}});
  ExtractOutcome r = ExtractAll(zip, dest(), true);
  EXPECT_TRUE(r.complete) << r.reason;
  EXPECT_TRUE(fs::is_directory(dest() + "/empty"));
  EXPECT_EQ(filesBelow(dest()), (std::vector<std::string>{"a/b/c/deep.dwg", "a/top.dwg", "dot.dwg"}));
  EXPECT_EQ(readAll(dest() + "/a/b/c/deep.dwg"), "deep");

  r = ExtractAll(zip, path("flat"), false);
  EXPECT_TRUE(r.complete) << r.reason;
  EXPECT_FALSE(fs::exists(path("flat/empty")));
  EXPECT_EQ(filesBelow(path("flat")), (std::vector<std::string>{"deep.dwg", "dot.dwg", "top.dwg"}));
  EXPECT_EQ(r.written, (std::vector<std::string>{path("flat/deep.dwg"), path("flat/top.dwg"), path("flat/dot.dwg")}));
}

TEST_F(ArchiveExtractTest, CreatesDestAndItsParents) {
  const std::string zip = path("f.zip");
  writeZip(zip, {{"x.dwg", "x"}});
  const ExtractOutcome r = ExtractAll(zip, path("one/two/three"), true);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(readAll(path("one/two/three/x.dwg")), "x");
}

TEST_F(ArchiveExtractTest, ExistingFilesAreReplaced) {
  const std::string zip = path("f.zip");
  writeZip(zip, {{"sub/x.dwg", "new"}});
  fs::create_directories(dest() + "/sub");
  std::ofstream(dest() + "/sub/x.dwg") << "an older and longer drawing";
  fs::permissions(dest() + "/sub/x.dwg", fs::perms::owner_read);
  const ExtractOutcome r = ExtractAll(zip, dest(), true);
  EXPECT_TRUE(r.complete) << r.reason;
  EXPECT_EQ(readAll(dest() + "/sub/x.dwg"), "new");
}

// --- Unsafe members ---------------------------------------------------------

TEST_F(ArchiveExtractTest, UnsafePathsAreRefusedAndTheRestExtracted) {
  const std::string zip = path("evil.zip");
  const std::vector<std::string> unsafe = {"../up.dwg",       "a/../../up2.dwg", "/tmp/abs.dwg",   "C:/drive.dwg",
                                           "c:drive2.dwg",    "\\\\server\\share\\unc.dwg",      "..\\back.dwg",
                                           "a?b.dwg",         "CON.dwg",         "sub/lpt1",       "trail./x.dwg",
                                           "x.dwg:stream"};
  std::vector<Member> members{{"before.dwg", "1"}};
  for (const std::string& n : unsafe) members.push_back({n, "evil"});
  members.push_back({"after.dwg", "2"});
  writeZip(zip, members);

  fs::create_directories(path("inner/dest"));
  const std::string d = path("inner/dest");
  const ExtractOutcome r = ExtractAll(zip, d, true);
  EXPECT_TRUE(r.complete) << r.reason;
  // Listed as the reader reports them: ZIP names made on Windows have "\" turned into "/".
  std::vector<std::string> listed = unsafe;
  for (std::string& n : listed) std::replace(n.begin(), n.end(), '\\', '/');
  EXPECT_EQ(r.refused, listed);
  EXPECT_EQ(r.written, (std::vector<std::string>{d + "/before.dwg", d + "/after.dwg"}));
  // Nothing anywhere but the two safe files (the archive itself aside).
  EXPECT_EQ(filesBelow(dir()), (std::vector<std::string>{"evil.zip", "inner/dest/after.dwg", "inner/dest/before.dwg"}));
  EXPECT_FALSE(fs::exists("/tmp/abs.dwg"));

  // Flattening does not make them safe either.
  const ExtractOutcome flat = ExtractAll(zip, path("flat"), false);
  EXPECT_EQ(flat.refused, listed);
  EXPECT_EQ(filesBelow(path("flat")), (std::vector<std::string>{"after.dwg", "before.dwg"}));
}

TEST_F(ArchiveExtractTest, LinksAreNeverCreatedNorFollowed) {
  const std::string zip = path("links.zip");
  fs::create_directories(path("outside"));
  writeZip(zip, {{"link.dwg", "", AE_IFLNK, path("outside/target.dwg")},
                 {"dirlink", "", AE_IFLNK, path("outside")},
                 {"dirlink/x.dwg", "through the link"},
                 {"ok.dwg", "ok"}});
  const ExtractOutcome r = ExtractAll(zip, dest(), true);
  EXPECT_EQ(r.refused, (std::vector<std::string>{"link.dwg", "dirlink"}));
  EXPECT_TRUE(fs::is_empty(path("outside")));
  EXPECT_FALSE(fs::is_symlink(dest() + "/link.dwg"));
  EXPECT_FALSE(fs::is_symlink(dest() + "/dirlink"));
  // "dirlink/x.dwg" is an ordinary member once no link was made.
  EXPECT_EQ(readAll(dest() + "/dirlink/x.dwg"), "through the link");
  EXPECT_EQ(readAll(dest() + "/ok.dwg"), "ok");
}

TEST_F(ArchiveExtractTest, LinksAlreadyInDestAreNotFollowed) {
  const std::string zip = path("f.zip");
  writeZip(zip, {{"sub/x.dwg", "x"}, {"y.dwg", "y"}});
  fs::create_directories(dest());
  fs::create_directories(path("outside"));
  std::ofstream(path("outside/keep.dwg")) << "keep";
  fs::create_directory_symlink(path("outside"), dest() + "/sub");
  fs::create_symlink(path("outside/keep.dwg"), dest() + "/y.dwg");
  const ExtractOutcome r = ExtractAll(zip, dest(), true);
  EXPECT_FALSE(r.complete);  // sub/x.dwg has nowhere safe to go
  EXPECT_EQ(filesBelow(path("outside")), (std::vector<std::string>{"keep.dwg"}));
  EXPECT_EQ(readAll(path("outside/keep.dwg")), "keep");
  // The planted file link was replaced by the member itself.
  EXPECT_FALSE(fs::is_symlink(dest() + "/y.dwg"));
  EXPECT_EQ(readAll(dest() + "/y.dwg"), "y");
}

// --- Damage -----------------------------------------------------------------

TEST_F(ArchiveExtractTest, TruncatedZipKeepsTheMembersBeforeTheDamage) {
  const std::string zip = path("t.zip");
  writeZip(zip, {{"one.dwg", drawingBytes(1, 50000)}, {"two.dwg", drawingBytes(2, 50000)},
                 {"three.dwg", drawingBytes(3, 50000)}});
  std::string bytes = readAll(zip);
  const size_t third = bytes.find("three.dwg");
  ASSERT_NE(third, std::string::npos);
  bytes.resize(third + 200);  // into the third member's data
  std::ofstream(path("cut.zip"), std::ios::binary) << bytes;

  const ExtractOutcome r = ExtractAll(path("cut.zip"), dest(), true);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reason, "書庫が壊れています");
  EXPECT_EQ(r.written, (std::vector<std::string>{dest() + "/one.dwg", dest() + "/two.dwg"}));
  EXPECT_EQ(filesBelow(dest()), (std::vector<std::string>{"one.dwg", "two.dwg"}));  // no half of three.dwg
  EXPECT_EQ(readAll(dest() + "/two.dwg"), drawingBytes(2, 50000));
}

TEST_F(ArchiveExtractTest, TruncatedLzhKeepsTheMembersBeforeTheDamage) {
  std::string bytes = readAll(fixture("names_lh7.lzh"));
  bytes.resize(bytes.size() - 300);  // into the second member's data
  std::ofstream(path("cut.lzh"), std::ios::binary) << bytes;
  const ExtractOutcome r = ExtractAll(path("cut.lzh"), dest(), true);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reason, "書庫が壊れています");
  EXPECT_EQ(filesBelow(dest()), (std::vector<std::string>{kDeep}));
  EXPECT_EQ(r.written, (std::vector<std::string>{dest() + "/" + kDeep}));
}

TEST_F(ArchiveExtractTest, CorruptedDataFailsItsCheckAndIsNotKept) {
  std::string bytes = readAll(fixture("names_level0.lzh"));  // stored: a flipped byte decodes fine but fails the CRC
  bytes[200] ^= 0x55;
  std::ofstream(path("bad.lzh"), std::ios::binary) << bytes;
  const ExtractOutcome r = ExtractAll(path("bad.lzh"), dest(), true);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reason, "書庫が壊れています");
  // The first member is lost, the second still comes out.
  EXPECT_EQ(filesBelow(dest()), (std::vector<std::string>{"ソフト.dxf"}));
}

TEST_F(ArchiveExtractTest, NotAnArchiveWritesNothing) {
  for (const char* name : {"text.zip", "text.lzh", "empty.zip"}) {
    std::ofstream(path(name)) << (std::string(name) == "empty.zip" ? "" : "this is a drawing list, not an archive\n");
    const ExtractOutcome r = ExtractAll(path(name), dest(), true);
    EXPECT_FALSE(r.complete) << name;
    EXPECT_EQ(r.reason, "LZH・ZIP の書庫として読めません") << name;
    EXPECT_TRUE(r.written.empty()) << name;
    EXPECT_FALSE(fs::exists(dest())) << name;
  }
  const ExtractOutcome missing = ExtractAll(path("missing.zip"), dest(), true);
  EXPECT_FALSE(missing.complete);
  EXPECT_EQ(missing.reason, "書庫を開けません");
  EXPECT_FALSE(fs::exists(dest()));
}

TEST_F(ArchiveExtractTest, EncryptedMembersAreNotWritten) {
  writeZip(path("locked.zip"), {{"secret.dwg", drawingBytes(4, 5000)}}, "password");
  const ExtractOutcome r = ExtractAll(path("locked.zip"), dest(), true);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reason, "パスワード付きの書庫には対応していません");
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(filesBelow(dest()), std::vector<std::string>{});
}

TEST_F(ArchiveExtractTest, WriteFailureStopsAndKeepsWhatWasWritten) {
  const std::string zip = path("big.zip");
  writeZip(zip, {{"small.dwg", drawingBytes(1, 1000)}, {"large.dwg", drawingBytes(2, 300000)},
                 {"later.dwg", drawingBytes(3, 1000)}});
  // A file size limit stands in for a full disk: writes past it fail.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ExtractOutcome r = ExtractAll(zip, dest(), true);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reason, "ファイルを書き込めません（ディスクの空きが足りないなど）");
  EXPECT_EQ(r.written, (std::vector<std::string>{dest() + "/small.dwg"}));
  EXPECT_EQ(filesBelow(dest()), (std::vector<std::string>{"small.dwg"}));
}

TEST_F(ArchiveExtractTest, LargeMembersStreamThroughIntact) {
  const std::string zip = path("large.zip");
  const std::string big = drawingBytes(9, 5'000'000);  // several read and write buffers
  writeZip(zip, {{"big.dwg", big}, {"after.dwg", "after"}});
  const ExtractOutcome r = ExtractAll(zip, dest(), false);
  EXPECT_TRUE(r.complete) << r.reason;
  EXPECT_TRUE(readAll(dest() + "/big.dwg") == big);
  EXPECT_EQ(readAll(dest() + "/after.dwg"), "after");
}

}  // namespace
