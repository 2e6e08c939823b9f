// libFuzzer target for the INI reader: any bytes must load without a fault
// and read as numbers of every kind; what was loaded, written and loaded
// again must give the same model wherever the format can hold it, and the
// same names in the same order always; a sorted write must match writing
// the sorted model.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ini/ini.h"
#include "tests/support/ini_dump.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// What the line format cannot carry: a ";" in a section name is taken for
// the start of its comment, and a double quote or ";" in a parameter name
// changes how the values or the comment of its line are found.
bool Representable(const ini::TINIFile& file) {
  for (const ini::TINISection& s : file.Sections()) {
    if (s.GetName().find(u';') != std::u16string::npos) return false;
    for (const ini::TINIParameter& p : s.Parameters()) {
      if (p.GetName().find_first_of(u"\";") != std::u16string::npos) return false;
    }
  }
  return true;
}

std::vector<std::u16string> Names(const ini::TINIFile& file) {
  std::vector<std::u16string> names;
  for (const ini::TINISection& s : file.Sections()) {
    names.push_back(u"[" + s.GetName());
    for (const ini::TINIParameter& p : s.Parameters()) names.push_back(p.GetName());
  }
  return names;
}

std::string_view AsText(const std::vector<uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ini::TINIFile first;
  ini::ReadIniText(first, {reinterpret_cast<const char*>(data), size});

  // Reading never creates anything while create-missing is off.
  const std::string before = vtest::DumpIni(first);
  for (const ini::TINISection& s : first.Sections()) {
    for (const ini::TINIParameter& p : s.Parameters()) {
      first.GetIntValue(s.GetName(), p.GetName(), 1);
      first.GetLongValues(s.GetName(), p.GetName(), {});
      first.GetShortValue(s.GetName(), p.GetName(), 1);
      first.GetDoubleValues(s.GetName(), p.GetName(), {});
      first.GetFloatValue(s.GetName(), p.GetName(), 1);
    }
  }
  Check(vtest::DumpIni(first) == before);

  ini::TINIFile second;
  ini::ReadIniText(second, AsText(ini::WriteIniText(first, false)));
  Check(Names(second) == Names(first));
  if (Representable(first)) Check(vtest::DumpIni(second) == before);

  const std::vector<uint8_t> sorted = ini::WriteIniText(first, true);
  first.Sort();
  Check(ini::WriteIniText(first, false) == sorted);
  return 0;
}
