// A script first on PATH in place of xdg-open that records its arguments,
// so a test sees what the game asks the browser to open.
#pragma once
#include <string>

namespace vtest {

class FakeUrlOpener {
 public:
  FakeUrlOpener();
  ~FakeUrlOpener();
  const std::string& Dir() const { return dir_; }
  // The argument count and each argument, one a line, once the opener has
  // run; "" when it never ran.
  std::string WaitForArgs() const;

 private:
  std::string dir_, oldPath_;
};

}  // namespace vtest
