// The upload client's costs: posting a 1 MiB archive to the reference
// endpoint under PHP's built-in server, beside the same endpoint's answer to
// a request without a file (the per-request baseline of this run); and the
// CPU the client burns while a server takes 5 s to answer, as a share of
// that wall time (0 would be a perfect sleep, 1 a spinning core).
#include <sys/socket.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "httpupload/http.h"
#include "support/net_support.h"
#include "support/sandbox.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Median of the runs' seconds per post; false when a post failed.
bool TimePosts(http::tsendhttp& req, int port, int runs, double& median) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const auto lines = req.Post("127.0.0.1", port, "/velkor/updated.php");
    times.push_back(Seconds(start));
    if (lines.empty()) return false;
  }
  std::sort(times.begin(), times.end());
  median = times[times.size() / 2];
  return true;
}

}  // namespace

int main() {
  vtest::PhpSite site;
  if (!site.Started()) {
    std::puts("php is not installed: no figures");
    return 0;
  }
  const std::string dir = vtest::MakeTempDir("upload-bench");
  {
    std::string archive(1 << 20, '\0');
    for (size_t i = 0; i < archive.size(); ++i) archive[i] = static_cast<char>(i * 2654435761u >> 13);
    archive.replace(0, 4, "PK\x03\x04", 4);
    std::ofstream(dir + "/pack.zip", std::ios::binary) << archive;
  }
  const int runs = 15;
  http::tsendhttp small;
  small.AddField("ud_NAME", "bench");
  http::tsendhttp big;
  big.AddField("ud_NAME", "bench");
  big.AddFile("uploadedfile", dir + "/pack.zip");
  double base = 0, post = 0;
  if (!TimePosts(small, site.Port(), runs, base) || !TimePosts(big, site.Port(), runs, post)) {
    std::puts("a post failed");
    return 1;
  }
  std::printf("request without a file (baseline): %8.2f ms\n", base * 1e3);
  std::printf("1 MiB archive:                     %8.2f ms  (%.1f x baseline, %.0f MiB/s)\n",
              post * 1e3, post / base, 1.0 / post);

  vtest::LittleServer late([](int c) {
    char buf[4096];
    std::this_thread::sleep_for(std::chrono::seconds(5));
    while (::recv(c, buf, sizeof buf, MSG_DONTWAIT) > 0) {
    }
    vtest::SendAll(c, "HTTP/1.0 200 OK\r\n\r\nSUCCESS\n");
  });
  const auto start = std::chrono::steady_clock::now();
  const double cpu0 = ThreadCpuSeconds();
  const auto lines = small.Post("127.0.0.1", late.Port(), "/velkor/updated.php");
  const double cpu = ThreadCpuSeconds() - cpu0, wall = Seconds(start);
  std::printf("waiting on a late server:          %8.2f ms CPU in %.2f s  (%.5f of the wall time)%s\n",
              cpu * 1e3, wall, cpu / wall, lines.empty() ? "  [no answer]" : "");
  vtest::RemoveTree(dir);
  return 0;
}
