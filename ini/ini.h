// INI settings files held in memory with typed access, read from and written
// to 8-bit text files: sections in square brackets, parameters with one or
// more values in double quotes, a file comment, and an inline comment for
// each section and parameter. The game itself does not use this library.
//
// Texts are 16-bit code units. On disk every character is stored as its low
// 8 bits and every byte reads back as the character of that code; lines end
// in CR LF. File names are handed to the file system as UTF-8.
//
// Every operation that names an element acts on the first element of that
// name in list order, as a scan from the front would. Names are compared
// code unit by code unit, case-sensitive, untrimmed. Results of the 1-or-0
// kind are ints. No operation reports an error: an absent section or
// parameter gives 0, the empty text, the empty array or the caller's
// default, and setters then change nothing.
//
// A file object and everything it owns are used from one thread at a time.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ini/store.h"

namespace plat {
class Stream;
}

namespace ini {

using TextArray = std::vector<std::u16string>;

// Prepares what the number conversions rely on; later calls return at once.
// The start-up runs it among the other module initialisations; everything
// also works without it.
void InitIniUnit();

class TINIFile;
class LineReader;

// A value as a text of its own. Parameters keep theirs packed together
// (ValueCount, ValueAt), so a value costs a few bytes beside its characters.
class TINIValue {
 public:
  TINIValue() = default;
  explicit TINIValue(std::u16string value) : value_(std::move(value)) {}

  const std::u16string& GetValue() const { return value_; }
  void SetValue(std::u16string_view value) { value_.assign(value); }

 private:
  std::u16string value_;
};

class TINIParameter : public detail::NamedItem {
 public:
  TINIParameter() = default;
  explicit TINIParameter(std::u16string_view name) : NamedItem(name) {}
  TINIParameter(TINIParameter&&) noexcept = default;
  TINIParameter& operator=(TINIParameter&&) noexcept = default;

  // The text between two double quotes, as every value is written.
  static std::u16string QuoteValue(std::u16string_view text);
  // A parameter with that name, no values and an empty comment.
  static std::shared_ptr<TINIParameter> Create(std::u16string_view name);

  std::u16string GetComment() const;
  void SetComment(std::u16string_view comment);
  // The first value; the empty text when there is none.
  std::u16string GetValue() const;
  TextArray GetValues() const;
  // Both replace every value.
  void SetValue(std::u16string_view text);
  void SetValues(const TextArray& texts);
  // Writes the parameter's line; nothing without a stream.
  void Save(plat::Stream* stream) const;

  size_t ValueCount() const { return values_.Count(); }
  // i below ValueCount().
  std::u16string ValueAt(size_t i) const { return values_.Value(i); }

 private:
  friend class TINISection;
  friend class LineReader;
  void PutLine(detail::ByteOut& out) const;
  detail::Values values_;  // and the comment
};

class TINISection : public detail::NamedItem {
 public:
  TINISection() = default;
  explicit TINISection(std::u16string_view name, std::u16string_view comment = {});
  TINISection(TINISection&&) noexcept = default;
  TINISection& operator=(TINISection&&) noexcept = default;
  ~TINISection();

  std::u16string GetComment() const;
  void SetComment(std::u16string_view comment);

  int ParameterExists(std::u16string_view name) const;
  // 1 when it appended a new parameter; 0, changing nothing, when the name exists.
  int AddParameter(std::u16string_view name);
  int DeleteParameter(std::u16string_view name);
  TextArray GetParameterNames() const;
  std::u16string GetParameterComment(std::u16string_view name) const;
  void SetParameterComment(std::u16string_view name, std::u16string_view comment);
  std::u16string GetValue(std::u16string_view name) const;
  TextArray GetValues(std::u16string_view name) const;
  void SetValue(std::u16string_view name, std::u16string_view text);
  void SetValues(std::u16string_view name, const TextArray& texts);
  // By name in unsigned 16-bit code units; equal names keep their order.
  void SortParameters();
  // Writes the header line and each parameter's line; nothing without a stream.
  void Save(plat::Stream* stream) const;

  std::span<const TINIParameter> Parameters() const;
  // For changing parameters in place, renames included.
  std::span<TINIParameter> EditParameters();

 private:
  friend class TINIFile;
  friend class LineReader;
  void PutLines(detail::ByteOut& out, bool sorted) const;
  // Made on first use: an empty section costs its name alone.
  struct Body {
    detail::Text comment;
    detail::NamedList<TINIParameter> params;
  };
  Body& Own();
  const TINIParameter* Find(std::u16string_view name) const;
  TINIParameter* Find(std::u16string_view name);
  std::unique_ptr<Body> body_;
};

class TINIFile {
 public:
  TINIFile() = default;
  explicit TINIFile(std::u16string_view fileName) : fileName_(fileName) {}
  TINIFile(const TINIFile&) = delete;
  TINIFile& operator=(const TINIFile&) = delete;

  // A new, empty file object for that file name; nothing is read.
  static std::shared_ptr<TINIFile> Create(std::u16string_view fileName);

  const std::u16string& GetFilename() const { return fileName_; }
  void SetFilename(std::u16string_view fileName) { fileName_.assign(fileName); }
  const std::u16string& GetComment() const { return comment_; }
  void SetComment(std::u16string_view comment) { comment_.assign(comment); }
  // While non-zero, getters that fall back on a non-zero or non-empty
  // default store it, creating the section and the parameter as needed.
  void SetCreateMissing(int flag) { createMissing_ = flag; }

  int SectionExists(std::u16string_view section) const;
  // 1 when it appended a new section; 0, leaving the existing one and its
  // comment as they are, when the name exists.
  int AddSection(std::u16string_view section, std::u16string_view comment);
  int DeleteSection(std::u16string_view section);
  TextArray GetSectionNames() const;
  std::u16string GetSectionComment(std::u16string_view section) const;
  int SetSectionComment(std::u16string_view section, std::u16string_view comment);

  int ParameterExists(std::u16string_view section, std::u16string_view name) const;
  int AddParameter(std::u16string_view section, std::u16string_view name);
  int DeleteParameter(std::u16string_view section, std::u16string_view name);
  TextArray GetParameterNames(std::u16string_view section) const;
  std::u16string GetParameterComment(std::u16string_view section, std::u16string_view name) const;
  void SetParameterComment(std::u16string_view section, std::u16string_view name,
                           std::u16string_view comment);

  // Getters: a missing parameter, one without values and one whose first
  // value is empty (or, for numbers, reads as zero) all give the default.
  std::u16string GetValue(std::u16string_view section, std::u16string_view name,
                          std::u16string_view def);
  TextArray GetValues(std::u16string_view section, std::u16string_view name, const TextArray& def);
  // Setters change nothing unless both the section and the parameter exist.
  void SetValue(std::u16string_view section, std::u16string_view name, std::u16string_view text);
  void SetValues(std::u16string_view section, std::u16string_view name, const TextArray& texts);

  // Integers read as decimal, "$" hexadecimal or "%" binary digits after
  // optional blanks and sign, wrapping around in 32 bits (64 for Long);
  // Bool keeps the low 8 bits and Short the low 16. Floating values read
  // like atof and are written as "%#.9g" (Float) and "%#.17g" (Double).
  // Numbers are read and written in the C locale whatever the user's is.
  uint8_t GetBoolValue(std::u16string_view section, std::u16string_view name, uint8_t def);
  uint16_t GetShortValue(std::u16string_view section, std::u16string_view name, uint16_t def);
  int32_t GetIntValue(std::u16string_view section, std::u16string_view name, int32_t def);
  int64_t GetLongValue(std::u16string_view section, std::u16string_view name, int64_t def);
  float GetFloatValue(std::u16string_view section, std::u16string_view name, float def);
  double GetDoubleValue(std::u16string_view section, std::u16string_view name, double def);
  std::vector<uint8_t> GetBoolValues(std::u16string_view section, std::u16string_view name,
                                     const std::vector<uint8_t>& def);
  std::vector<uint16_t> GetShortValues(std::u16string_view section, std::u16string_view name,
                                       const std::vector<uint16_t>& def);
  std::vector<int32_t> GetIntValues(std::u16string_view section, std::u16string_view name,
                                    const std::vector<int32_t>& def);
  std::vector<int64_t> GetLongValues(std::u16string_view section, std::u16string_view name,
                                     const std::vector<int64_t>& def);
  std::vector<float> GetFloatValues(std::u16string_view section, std::u16string_view name,
                                    const std::vector<float>& def);
  std::vector<double> GetDoubleValues(std::u16string_view section, std::u16string_view name,
                                      const std::vector<double>& def);
  void SetBoolValue(std::u16string_view section, std::u16string_view name, uint8_t value);
  void SetShortValue(std::u16string_view section, std::u16string_view name, uint16_t value);
  void SetIntValue(std::u16string_view section, std::u16string_view name, int32_t value);
  void SetLongValue(std::u16string_view section, std::u16string_view name, int64_t value);
  void SetFloatValue(std::u16string_view section, std::u16string_view name, float value);
  void SetDoubleValue(std::u16string_view section, std::u16string_view name, double value);
  void SetBoolValues(std::u16string_view section, std::u16string_view name,
                     const std::vector<uint8_t>& values);
  void SetShortValues(std::u16string_view section, std::u16string_view name,
                      const std::vector<uint16_t>& values);
  void SetIntValues(std::u16string_view section, std::u16string_view name,
                    const std::vector<int32_t>& values);
  void SetLongValues(std::u16string_view section, std::u16string_view name,
                     const std::vector<int64_t>& values);
  void SetFloatValues(std::u16string_view section, std::u16string_view name,
                      const std::vector<float>& values);
  void SetDoubleValues(std::u16string_view section, std::u16string_view name,
                       const std::vector<double>& values);

  // By name in unsigned 16-bit code units; equal names keep their order.
  void SortSections();
  void SortParameters(std::u16string_view section);
  // The sections, then the parameters of every section.
  void Sort();

  // Adds what the file holds to the current contents: 1 when it was read;
  // 0 when it cannot be opened (nothing changes), or a read fails or memory
  // runs short part way (the lines before stay added). Any size memory
  // holds loads.
  int Load();
  // Writes the whole file beside the old one and renames it over, so a
  // failure (0), running short of memory included, leaves the old file as
  // it was. A file that already holds the text is left alone. The text is
  // written as it is made, a block at a time: the save costs a fixed amount
  // beside the model. With sortFirst the model is sorted, but only once the
  // file is written.
  int Save(int sortFirst);

  std::span<const TINISection> Sections() const { return sections_.Items(); }
  // For changing sections in place, renames included.
  std::span<TINISection> EditSections() { return sections_.EditItems(); }

 private:
  friend class LineReader;
  friend std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted);
  int LoadLines();
  void PutText(detail::ByteOut& out, bool sorted) const;
  const TINIParameter* FindParameter(std::u16string_view section, std::u16string_view name) const;
  TINIParameter* FindParameter(std::u16string_view section, std::u16string_view name);
  // The create-missing store: section, parameter, then the values.
  void CreateMissing(std::u16string_view section, std::u16string_view name, TextArray texts);

  template <class Kind, class Value>
  Value GetTyped(std::u16string_view section, std::u16string_view name, Value def);
  template <class Kind, class Value>
  std::vector<Value> GetTypedArray(std::u16string_view section, std::u16string_view name,
                                   const std::vector<Value>& def);
  template <class Kind, class Value>
  void SetTypedArray(std::u16string_view section, std::u16string_view name,
                     const std::vector<Value>& values);

  std::u16string fileName_;
  std::u16string comment_;
  detail::NamedList<TINISection> sections_;
  int createMissing_ = 0;
};

// The halves of TINIFile::Load and TINIFile::Save that work on bytes, apart
// from the files so they can be fuzzed on their own.
void ReadIniText(TINIFile& file, std::string_view bytes);
std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted);

}  // namespace ini
