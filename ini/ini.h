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
#include <unordered_map>
#include <vector>

namespace plat {
class Stream;
}

namespace ini {

using TextArray = std::vector<std::u16string>;

// Prepares what the number conversions rely on; later calls return at once.
// The start-up runs it among the other module initialisations; everything
// also works without it.
void InitIniUnit();

namespace detail {

class NameIndex;

// Base of the elements that live in a named list. A rename tells the list
// holding the element, whose index of first names is then rebuilt.
class NamedItem {
 public:
  NamedItem(const NamedItem&) = delete;
  NamedItem& operator=(const NamedItem&) = delete;

  const std::u16string& GetName() const { return name_; }
  void SetName(std::u16string_view name);

 protected:
  NamedItem() = default;
  explicit NamedItem(std::u16string_view name) : name_(name) {}
  ~NamedItem() = default;

 private:
  template <class T>
  friend class NamedList;
  std::u16string name_;
  NameIndex* owner_ = nullptr;
};

class NameIndex {
 protected:
  friend class NamedItem;
  mutable bool stale_ = false;
};

// An ordered list of owned elements with a hash index from each name to the
// first element that has it. Elements stay where they are inserted until
// the list is sorted; the index holds views of the elements' own names, so
// it is dropped, never read, once a rename made it stale.
template <class T>
class NamedList : public NameIndex {
 public:
  NamedList() = default;
  NamedList(const NamedList&) = delete;
  NamedList& operator=(const NamedList&) = delete;
  ~NamedList() {
    for (auto& item : items_) item->owner_ = nullptr;
  }

  const std::vector<std::shared_ptr<T>>& Items() const { return items_; }

  T* Find(std::u16string_view name) const {
    Refresh();
    auto it = first_.find(name);
    return it == first_.end() ? nullptr : it->second;
  }

  // The first element of that name, appended when there is none.
  T* FindOrAppend(std::u16string_view name) {
    if (T* found = Find(name)) return found;
    auto item = std::make_shared<T>(name);
    T* raw = item.get();
    item->owner_ = this;
    first_.emplace(raw->name_, raw);
    items_.push_back(std::move(item));
    return raw;
  }

  bool Remove(std::u16string_view name) {
    T* target = Find(name);
    if (!target) return false;
    size_t at = 0;
    while (items_[at].get() != target) ++at;
    // Drop the index entry while the name it views is still alive.
    first_.erase(target->name_);
    target->owner_ = nullptr;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
    // A later element of the same name (possible after a rename) now comes first.
    if (duplicates_) stale_ = true;
    return true;
  }

  // Stable: elements of equal names keep their order, so the first element
  // of each name stays the first and the index stays valid.
  std::vector<T*> InOrder(bool sorted) const {
    std::vector<T*> out;
    out.reserve(items_.size());
    for (const auto& item : items_) out.push_back(item.get());
    if (sorted) std::stable_sort(out.begin(), out.end(), [](T* a, T* b) { return Less(*a, *b); });
    return out;
  }
  void Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) { return Less(*a, *b); });
  }

 private:
  // Unsigned 16-bit code units; a prefix sorts first.
  static bool Less(const T& a, const T& b) { return a.name_ < b.name_; }

  void Refresh() const {
    if (!stale_) return;
    first_.clear();
    duplicates_ = false;
    first_.reserve(items_.size());
    for (const auto& item : items_) {
      if (!first_.emplace(item->name_, item.get()).second) duplicates_ = true;
    }
    stale_ = false;
  }

  std::vector<std::shared_ptr<T>> items_;
  mutable std::unordered_map<std::u16string_view, T*> first_;
  mutable bool duplicates_ = false;
};

}  // namespace detail

class TINIFile;
class TINISection;

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

  // The text between two double quotes, as every value is written.
  static std::u16string QuoteValue(std::u16string_view text);
  // A parameter with that name, no values and an empty comment.
  static std::shared_ptr<TINIParameter> Create(std::u16string_view name);

  const std::u16string& GetComment() const { return comment_; }
  void SetComment(std::u16string_view comment) { comment_.assign(comment); }
  // The first value; the empty text when there is none.
  std::u16string GetValue() const;
  TextArray GetValues() const;
  // Both replace every value.
  void SetValue(std::u16string_view text);
  void SetValues(const TextArray& texts);
  // Writes the parameter's line; nothing without a stream.
  void Save(plat::Stream* stream) const;

  // The value list itself; values may be changed in place.
  std::vector<TINIValue>& Values() { return values_; }
  const std::vector<TINIValue>& Values() const { return values_; }

 private:
  friend void ReadIniText(TINIFile& file, std::string_view bytes);
  std::vector<TINIValue> values_;
  std::u16string comment_;
};

class TINISection : public detail::NamedItem {
 public:
  TINISection() = default;
  explicit TINISection(std::u16string_view name, std::u16string_view comment = {})
      : NamedItem(name), comment_(comment) {}

  const std::u16string& GetComment() const { return comment_; }
  void SetComment(std::u16string_view comment) { comment_.assign(comment); }

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

  const std::vector<std::shared_ptr<TINIParameter>>& Parameters() const { return params_.Items(); }

 private:
  friend class TINIFile;
  friend void ReadIniText(TINIFile& file, std::string_view bytes);
  friend std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted);
  void AppendLines(std::string& out, bool sorted) const;

  std::u16string comment_;
  detail::NamedList<TINIParameter> params_;
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

  // Adds what the file holds to the current contents: 1 when it was read,
  // 0, changing nothing, when it cannot be opened or is larger than
  // kMaxFileBytes.
  int Load();
  // Writes the whole file beside the old one and renames it over, so a
  // failure (0) leaves the old file as it was. With sortFirst the model is
  // sorted, but only once the file is written.
  int Save(int sortFirst);

  // Far above any settings file; the model takes up to some 30 times the
  // bytes of a file of tiny lines.
  static constexpr int64_t kMaxFileBytes = int64_t{4} << 20;

  const std::vector<std::shared_ptr<TINISection>>& Sections() const { return sections_.Items(); }

 private:
  friend void ReadIniText(TINIFile& file, std::string_view bytes);
  friend std::vector<uint8_t> WriteIniText(const TINIFile& file, bool sorted);
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
