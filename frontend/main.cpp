#include "frontend/startup.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv);
  fe::StartProgram();
  return 0;
}
