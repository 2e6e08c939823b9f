// The in-memory model: lookups, adding, deleting, texts and sorting.
#include "ini/ini.h"

namespace ini {

namespace {

template <class T>
TextArray NamesOf(std::span<const T> items) {
  TextArray names;
  names.reserve(items.size());
  for (const T& item : items) names.push_back(item.GetName());
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

std::u16string TINIParameter::GetComment() const {
  const detail::Text* c = values_.Comment();
  return c ? c->Str() : std::u16string();
}

void TINIParameter::SetComment(std::u16string_view comment) {
  if (!values_.Comment() && comment.empty()) return;
  values_.CommentToChange().Assign(comment);
  values_.Tidy();
}

std::u16string TINIParameter::GetValue() const { return ValueCount() ? ValueAt(0) : std::u16string(); }

TextArray TINIParameter::GetValues() const {
  TextArray texts(ValueCount());
  for (size_t i = 0; i < texts.size(); ++i) texts[i] = ValueAt(i);
  return texts;
}

void TINIParameter::SetValue(std::u16string_view text) { SetValues({std::u16string(text)}); }

void TINIParameter::SetValues(const TextArray& texts) {
  size_t chars = 0;
  bool wide = false;
  for (const std::u16string& t : texts) {
    chars += t.size();
    wide = wide || std::any_of(t.begin(), t.end(), [](char16_t c) { return c > 0xFF; });
  }
  detail::Tail* fresh = detail::Tail::Make(texts.size(), chars, wide);
  size_t end = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::u16string& t = texts[i];
    if (wide) {
      std::copy(t.begin(), t.end(), fresh->Units() + end);
    } else {
      for (size_t k = 0; k < t.size(); ++k) fresh->Bytes()[end + k] = static_cast<unsigned char>(t[k]);
    }
    end += t.size();
    fresh->SetEnd(i, end);
  }
  values_.Replace(fresh);
}

// --- TINISection ------------------------------------------------------------

TINISection::TINISection(std::u16string_view name, std::u16string_view comment) : NamedItem(name) {
  SetComment(comment);
}

TINISection::~TINISection() = default;

TINISection::Body& TINISection::Own() {
  if (!body_) body_ = std::make_unique<Body>();
  return *body_;
}

std::u16string TINISection::GetComment() const { return body_ ? body_->comment.Str() : std::u16string(); }

void TINISection::SetComment(std::u16string_view comment) {
  if (body_ || !comment.empty()) Own().comment.Assign(comment);
}

std::span<const TINIParameter> TINISection::Parameters() const {
  return body_ ? body_->params.Items() : std::span<const TINIParameter>();
}

std::span<TINIParameter> TINISection::EditParameters() {
  return body_ ? body_->params.EditItems() : std::span<TINIParameter>();
}

const TINIParameter* TINISection::Find(std::u16string_view name) const {
  return body_ ? body_->params.Find(name) : nullptr;
}

TINIParameter* TINISection::Find(std::u16string_view name) {
  return body_ ? body_->params.Find(name) : nullptr;
}

int TINISection::ParameterExists(std::u16string_view name) const { return Find(name) ? 1 : 0; }

int TINISection::AddParameter(std::u16string_view name) {
  if (Find(name)) return 0;
  Own().params.FindOrAppend(name);
  return 1;
}

int TINISection::DeleteParameter(std::u16string_view name) {
  return body_ && body_->params.Remove(name) ? 1 : 0;
}

TextArray TINISection::GetParameterNames() const { return NamesOf(Parameters()); }

std::u16string TINISection::GetParameterComment(std::u16string_view name) const {
  const TINIParameter* p = Find(name);
  return p ? p->GetComment() : std::u16string();
}

void TINISection::SetParameterComment(std::u16string_view name, std::u16string_view comment) {
  if (TINIParameter* p = Find(name)) p->SetComment(comment);
}

std::u16string TINISection::GetValue(std::u16string_view name) const {
  const TINIParameter* p = Find(name);
  return p ? p->GetValue() : std::u16string();
}

TextArray TINISection::GetValues(std::u16string_view name) const {
  const TINIParameter* p = Find(name);
  return p ? p->GetValues() : TextArray();
}

void TINISection::SetValue(std::u16string_view name, std::u16string_view text) {
  if (TINIParameter* p = Find(name)) p->SetValue(text);
}

void TINISection::SetValues(std::u16string_view name, const TextArray& texts) {
  if (TINIParameter* p = Find(name)) p->SetValues(texts);
}

void TINISection::SortParameters() {
  if (body_) body_->params.Sort();
}

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
  return s ? s->Find(name) : nullptr;
}

TINIParameter* TINIFile::FindParameter(std::u16string_view section, std::u16string_view name) {
  TINISection* s = sections_.Find(section);
  return s ? s->Find(name) : nullptr;
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
    std::u16string first = p->GetValue();
    if (!first.empty()) return first;
  }
  if (createMissing_ && !def.empty()) CreateMissing(section, name, {std::u16string(def)});
  return std::u16string(def);
}

TextArray TINIFile::GetValues(std::u16string_view section, std::u16string_view name,
                              const TextArray& def) {
  if (const TINIParameter* p = FindParameter(section, name)) {
    if (p->ValueCount() != 0) return p->GetValues();
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
  sections_.ForEach([](TINISection& s) { s.SortParameters(); });
}

}  // namespace ini
