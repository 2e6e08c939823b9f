// The in-memory model: lookups, adding, deleting, texts and sorting.
#include "ini/ini.h"

namespace ini {

namespace detail {

void NamedItem::SetName(std::u16string_view name) {
  name_.assign(name);
  if (owner_) owner_->stale_ = true;
}

}  // namespace detail

namespace {

TextArray TextsOf(const std::vector<TINIValue>& values) {
  TextArray texts;
  texts.reserve(values.size());
  for (const TINIValue& v : values) texts.push_back(v.GetValue());
  return texts;
}

template <class T>
TextArray NamesOf(const std::vector<std::shared_ptr<T>>& items) {
  TextArray names;
  names.reserve(items.size());
  for (const auto& item : items) names.push_back(item->GetName());
  return names;
}

}  // namespace

// --- TINIParameter ----------------------------------------------------------

std::u16string TINIParameter::QuoteValue(std::u16string_view text) {
  std::u16string quoted;
  quoted.reserve(text.size() + 2);
  quoted += u'"';
  quoted += text;
  quoted += u'"';
  return quoted;
}

std::shared_ptr<TINIParameter> TINIParameter::Create(std::u16string_view name) {
  return std::make_shared<TINIParameter>(name);
}

std::u16string TINIParameter::GetValue() const {
  return values_.empty() ? std::u16string() : values_.front().GetValue();
}

TextArray TINIParameter::GetValues() const { return TextsOf(values_); }

void TINIParameter::SetValue(std::u16string_view text) {
  values_.assign(1, TINIValue());
  values_.front().SetValue(text);
}

void TINIParameter::SetValues(const TextArray& texts) {
  values_.clear();
  values_.reserve(texts.size());
  for (const std::u16string& t : texts) values_.emplace_back(t);
}

// --- TINISection ------------------------------------------------------------

int TINISection::ParameterExists(std::u16string_view name) const {
  return params_.Find(name) ? 1 : 0;
}

int TINISection::AddParameter(std::u16string_view name) {
  if (params_.Find(name)) return 0;
  params_.FindOrAppend(name);
  return 1;
}

int TINISection::DeleteParameter(std::u16string_view name) { return params_.Remove(name) ? 1 : 0; }

TextArray TINISection::GetParameterNames() const { return NamesOf(params_.Items()); }

std::u16string TINISection::GetParameterComment(std::u16string_view name) const {
  const TINIParameter* p = params_.Find(name);
  return p ? p->GetComment() : std::u16string();
}

void TINISection::SetParameterComment(std::u16string_view name, std::u16string_view comment) {
  if (TINIParameter* p = params_.Find(name)) p->SetComment(comment);
}

std::u16string TINISection::GetValue(std::u16string_view name) const {
  const TINIParameter* p = params_.Find(name);
  return p ? p->GetValue() : std::u16string();
}

TextArray TINISection::GetValues(std::u16string_view name) const {
  const TINIParameter* p = params_.Find(name);
  return p ? p->GetValues() : TextArray();
}

void TINISection::SetValue(std::u16string_view name, std::u16string_view text) {
  if (TINIParameter* p = params_.Find(name)) p->SetValue(text);
}

void TINISection::SetValues(std::u16string_view name, const TextArray& texts) {
  if (TINIParameter* p = params_.Find(name)) p->SetValues(texts);
}

void TINISection::SortParameters() { params_.Sort(); }

// --- TINIFile ---------------------------------------------------------------

std::shared_ptr<TINIFile> TINIFile::Create(std::u16string_view fileName) {
  return std::make_shared<TINIFile>(fileName);
}

int TINIFile::SectionExists(std::u16string_view section) const {
  return sections_.Find(section) ? 1 : 0;
}

int TINIFile::AddSection(std::u16string_view section, std::u16string_view comment) {
  if (sections_.Find(section)) return 0;
  sections_.FindOrAppend(section)->SetComment(comment);
  return 1;
}

int TINIFile::DeleteSection(std::u16string_view section) {
  return sections_.Remove(section) ? 1 : 0;
}

TextArray TINIFile::GetSectionNames() const { return NamesOf(sections_.Items()); }

std::u16string TINIFile::GetSectionComment(std::u16string_view section) const {
  const TINISection* s = sections_.Find(section);
  return s ? s->GetComment() : std::u16string();
}

int TINIFile::SetSectionComment(std::u16string_view section, std::u16string_view comment) {
  TINISection* s = sections_.Find(section);
  if (!s) return 0;
  s->SetComment(comment);
  return 1;
}

int TINIFile::ParameterExists(std::u16string_view section, std::u16string_view name) const {
  return FindParameter(section, name) ? 1 : 0;
}

int TINIFile::AddParameter(std::u16string_view section, std::u16string_view name) {
  TINISection* s = sections_.Find(section);
  return s ? s->AddParameter(name) : 0;
}

int TINIFile::DeleteParameter(std::u16string_view section, std::u16string_view name) {
  TINISection* s = sections_.Find(section);
  return s ? s->DeleteParameter(name) : 0;
}

TextArray TINIFile::GetParameterNames(std::u16string_view section) const {
  const TINISection* s = sections_.Find(section);
  return s ? s->GetParameterNames() : TextArray();
}

std::u16string TINIFile::GetParameterComment(std::u16string_view section,
                                             std::u16string_view name) const {
  const TINIParameter* p = FindParameter(section, name);
  return p ? p->GetComment() : std::u16string();
}

void TINIFile::SetParameterComment(std::u16string_view section, std::u16string_view name,
                                   std::u16string_view comment) {
  if (TINIParameter* p = FindParameter(section, name)) p->SetComment(comment);
}

const TINIParameter* TINIFile::FindParameter(std::u16string_view section,
                                             std::u16string_view name) const {
  const TINISection* s = sections_.Find(section);
  return s ? s->params_.Find(name) : nullptr;
}

TINIParameter* TINIFile::FindParameter(std::u16string_view section, std::u16string_view name) {
  TINISection* s = sections_.Find(section);
  return s ? s->params_.Find(name) : nullptr;
}

void TINIFile::CreateMissing(std::u16string_view section, std::u16string_view name,
                             TextArray texts) {
  // Each step is a no-op when its target exists, so an existing parameter
  // keeps its place and comment and only its values are replaced.
  AddSection(section, {});
  AddParameter(section, name);
  SetValues(section, name, texts);
}

std::u16string TINIFile::GetValue(std::u16string_view section, std::u16string_view name,
                                  std::u16string_view def) {
  if (const TINIParameter* p = FindParameter(section, name)) {
    if (!p->Values().empty() && !p->Values().front().GetValue().empty())
      return p->Values().front().GetValue();
  }
  if (createMissing_ && !def.empty()) CreateMissing(section, name, {std::u16string(def)});
  return std::u16string(def);
}

TextArray TINIFile::GetValues(std::u16string_view section, std::u16string_view name,
                              const TextArray& def) {
  if (const TINIParameter* p = FindParameter(section, name)) {
    if (!p->Values().empty()) return p->GetValues();
  }
  if (createMissing_ && !def.empty()) CreateMissing(section, name, def);
  return def;
}

void TINIFile::SetValue(std::u16string_view section, std::u16string_view name,
                        std::u16string_view text) {
  if (TINIParameter* p = FindParameter(section, name)) p->SetValue(text);
}

void TINIFile::SetValues(std::u16string_view section, std::u16string_view name,
                         const TextArray& texts) {
  if (TINIParameter* p = FindParameter(section, name)) p->SetValues(texts);
}

void TINIFile::SortSections() { sections_.Sort(); }

void TINIFile::SortParameters(std::u16string_view section) {
  if (TINISection* s = sections_.Find(section)) s->SortParameters();
}

void TINIFile::Sort() {
  SortSections();
  // Each section itself, not the first of its name: after a rename two
  // sections may share one.
  for (const auto& s : sections_.Items()) s->SortParameters();
}

}  // namespace ini
