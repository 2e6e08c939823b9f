// The upload client: one multipart/form-data POST over HTTP/1.0, spoken by
// hand over a platform TCP socket, returning the server's answer as lines.
//
// The request is streamed (the body length is counted in advance), so a
// large file never sits in memory. Every wait sleeps in the kernel and has
// a bound: a stall either way ends at the idle limit, the answer as a whole
// (however slowly it trickles) at the answer limit, a talkative one at its
// size cap, and a cancel within a slice. Only the server's orderly close
// ends an answer; any failure gives the empty array.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace http {

enum PartKind { kTextPart = 0, kFilePart = 1 };

// One form part.
class thttpinput {
 public:
  int kind = kTextPart;
  std::string name;
  std::string path;      // file parts: the file to send
  std::string fileName;  // file parts: the last component of path
  std::string mimeType;  // file parts
  std::string value;     // text parts
};
using HttpInputPtr = std::shared_ptr<thttpinput>;

struct PostLimits {
  int connectMs = 10000;                // to establish the connection
  int idleMs = 30000;                   // without a byte moving either way
  int answerMs = 60000;                 // from the request sent to the answer's end
  int64_t maxAnswerBytes = int64_t{1} << 20;
};

// The boundary and the fixed lines of the request; the receiving end keys on
// them, so they never change.
inline constexpr const char* kBoundary = "---------------------------23281168279961";
inline constexpr const char* kUserAgent = "VozUzadirar";

// One request.
class tsendhttp {
 public:
  std::vector<HttpInputPtr> parts;
  PostLimits limits;
  // Set (from any thread) to make a running Post give up within ~0.1 s.
  const std::atomic<bool>* cancel = nullptr;

  // A dotted quad is read without a lookup ("10.0.0.1" gives 0x0A000001);
  // digits and dots with fewer than three dots give 0; anything with another
  // character is a host name for the platform's lookup (0 when it has no
  // address).
  static uint32_t ResolveHost(const std::string& host);

  // Sends every part to host:port and reads the answer until the server
  // closes the connection. The request line carries the absolute target and
  // the Host header the host alone: the port is used to connect only.
  // Returns the answer's lines (status and headers included), or no element
  // when the request could not be sent whole or the answer not read whole
  // (no connection, time-out, cancel, a connection reset, an answer over
  // the cap, a file that changed or vanished since its size was counted).
  std::vector<std::string> Post(const std::string& host, int port, const std::string& path);

  HttpInputPtr AddField(const std::string& name, const std::string& value);
  // None, and nothing added, when the path is not an existing regular file.
  HttpInputPtr AddFile(const std::string& name, const std::string& path);
};

// The content type sent for a file, by its extension in any case.
std::string MimeTypeFor(const std::string& path);

}  // namespace http
