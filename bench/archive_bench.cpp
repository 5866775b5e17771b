// Extraction speed: drawings::ExtractAll beside `bsdtar -xf` on the same
// archive, into folders on the same disk. A ZIP (deflate) of N drawing-like
// files of about 100 KB (2,000 by default, about 200 MB), then, when lha is
// installed, an LZH (lh5) of a tenth as many. Several rounds, alternating
// which goes first; medians of wall and CPU time and their ratios (CPU
// time is the steadier one on a busy machine).
//
//   archive_bench [files] [rounds]
//
// Everything goes to a scratch folder under TMPDIR (/tmp by default), so
// both write to the same disk; TMPDIR=/dev/shm leaves the disk out.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "drawings/archive_extract.h"

namespace {

namespace fs = std::filesystem;

double wallMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// User + system CPU of this process, or of its finished children.
double cpuMsOf(int who) {
  rusage u{};
  getrusage(who, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// About 100 KB of a DXF-like drawing: entity records with coordinates, so
// that it compresses as drawings do (partly), different in every file.
std::string drawing(int index, std::mt19937& rng) {
  std::string s = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
  std::uniform_int_distribution<int> coord(0, 420000), layer(0, 30);
  const size_t target = 90000 + static_cast<size_t>(rng() % 20000);
  while (s.size() < target) {
    s += "  0\r\nLINE\r\n  8\r\nLAYER" + std::to_string(layer(rng)) + "\r\n 10\r\n" + std::to_string(coord(rng)) +
         ".0\r\n 20\r\n" + std::to_string(coord(rng)) + ".0\r\n 11\r\n" + std::to_string(coord(rng)) +
         ".0\r\n 21\r\n" + std::to_string(coord(rng)) + ".0\r\n";
    if (rng() % 8 == 0) {  // some binary-ish noise, as in real DWG files
      for (int i = 0; i < 64; ++i) s += static_cast<char>(rng() & 0xFF);
    }
  }
  s += "  0\r\nENDSEC\r\n  0\r\nEOF\r\n# " + std::to_string(index) + "\r\n";
  return s;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Times both on one archive; false when something failed.
// bsdtarOptions: what bsdtar needs to read the names as the engine does.
bool compare(const char* label, const std::string& archive, const std::string& scratch, int files, int rounds,
             const std::string& bsdtarOptions = "") {
  std::vector<double> ours, theirs, oursCpu, theirsCpu;
  const std::string outA = scratch + "out-kestrel", outB = scratch + "out-bsdtar";
  for (int r = 0; r < rounds; ++r) {
    fs::remove_all(outA);
    fs::remove_all(outB);
    // Each starts with no dirty pages of the other's files to write back.
    auto timeOurs = [&] {
      run("sync");
      const double t0 = wallMs(), c0 = cpuMsOf(RUSAGE_SELF);
      const drawings::ExtractOutcome out = drawings::ExtractAll(archive, outA, true);
      ours.push_back(wallMs() - t0);
      oursCpu.push_back(cpuMsOf(RUSAGE_SELF) - c0);
      if (!out.complete || static_cast<int>(out.written.size()) != files) {
        std::fprintf(stderr, "ExtractAll: complete=%d written=%zu reason=%s\n", out.complete, out.written.size(),
                     out.reason.c_str());
        return false;
      }
      return true;
    };
    auto timeTheirs = [&] {
      fs::create_directories(outB);
      run("sync");
      const double t0 = wallMs(), c0 = cpuMsOf(RUSAGE_CHILDREN);
      const int rc = run("LC_ALL=C.UTF-8 bsdtar " + bsdtarOptions + "-xf " + quoted(archive) + " -C " + quoted(outB));
      theirs.push_back(wallMs() - t0);
      theirsCpu.push_back(cpuMsOf(RUSAGE_CHILDREN) - c0);
      return rc == 0;
    };
    const bool ok = r % 2 == 0 ? timeOurs() && timeTheirs() : timeTheirs() && timeOurs();
    if (!ok) return false;
    std::printf("%s round %d: ExtractAll %8.1f ms (CPU %7.1f)   bsdtar -xf %8.1f ms (CPU %7.1f)\n", label, r + 1,
                ours.back(), oursCpu.back(), theirs.back(), theirsCpu.back());
  }
  const double a = median(ours), b = median(theirs), ac = median(oursCpu), bc = median(theirsCpu);
  std::printf("%s median wall: ExtractAll %.1f ms, bsdtar -xf %.1f ms, ratio %.3f\n", label, a, b, a / b);
  std::printf("%s median CPU:  ExtractAll %.1f ms, bsdtar -xf %.1f ms, ratio %.3f\n", label, ac, bc, ac / bc);
  fs::remove_all(outA);
  fs::remove_all(outB);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  if (run("command -v bsdtar >/dev/null") != 0) {
    std::fprintf(stderr, "bsdtar is missing (libarchive-tools)\n");
    return 1;
  }
  bench::ScratchFolder scratch("kestrel-archive-bench");
  const std::string src = scratch.path() + "src/";
  std::mt19937 rng(12345);
  uintmax_t total = 0;
  for (int i = 0; i < files; ++i) {
    const std::string folder = src + "図面" + std::to_string(i / 100) + "/";
    fs::create_directories(folder);
    const std::string data = drawing(i, rng);
    total += data.size();
    std::ofstream(folder + "図面" + std::to_string(i) + ".dwg", std::ios::binary) << data;
  }
  const std::string zip = scratch.path() + "drawings.zip";
  if (run("LC_ALL=C.UTF-8 bsdtar --format zip --options zip:compression=deflate -cf " + quoted(zip) + " -C " + quoted(src) + " .") !=
      0)
    return 1;
  std::printf("ZIP: %d files, %.1f MB of drawings, archive %.1f MB\n", files, total / 1e6,
              fs::file_size(zip) / 1e6);
  if (!compare("zip", zip, scratch.path(), files, rounds)) return 1;

  if (run("command -v lha >/dev/null") == 0) {
    const int lzhFiles = std::max(1, files / 10);
    const std::string lzh = scratch.path() + "drawings.lzh";
    std::string list;
    for (int i = 0; i < lzhFiles; ++i)
      list += " " + quoted("図面" + std::to_string(i / 100) + "/図面" + std::to_string(i) + ".dwg");
    if (run("cd " + quoted(src) + " && LC_ALL=ja_JP.UTF-8 lha co5q " + quoted(lzh) + list + " >/dev/null") != 0)
      return 1;
    std::printf("LZH (lh5): %d files, archive %.1f MB\n", lzhFiles, fs::file_size(lzh) / 1e6);
    if (!compare("lzh", lzh, scratch.path(), lzhFiles, rounds, "--options hdrcharset=CP932 ")) return 1;
  } else {
    std::printf("lha is missing (jlha-utils): no LZH round\n");
  }
  return 0;
}
