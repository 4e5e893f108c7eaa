// CheckNameValidiy and IsPathNameValid: graded checks of names that users type.
#include <Utility/Utility.h>

namespace {

// Each of these makes a name invalid (result 3), in the order they are tested.
constexpr char16_t kForbiddenNameCharacters[] = u"~`!@#$%^&*()[]{}\"';:?><,-+=|\\/";
static_assert(sizeof kForbiddenNameCharacters / sizeof(char16_t) == 31);

// Texts a single path component may not hold; a single slash is not among them.
constexpr const char16_t* kForbiddenPathTexts[] = {u"\\", u"//", u":", u"?", u"*", u"<", u">", u"|"};

constexpr int kValid = 0;
constexpr int kEmpty = 1;
constexpr int kHasSpace = 2;
constexpr int kBadCharacter = 3;
constexpr int kKeyWord = 4;

bool IsUpperLatin(WCHAR c) { return c >= u'A' && c <= u'Z'; }
bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

// A letter A to Z, then letters, digits and underscores. The name is already upper-cased.
bool IsIdentifier(const CString& name) {
  if (!IsUpperLatin(name[0])) return false;
  for (WCHAR c : name.View()) {
    if (!IsUpperLatin(c) && !IsDigit(c) && c != u'_') return false;
  }
  return true;
}

bool Holds(const CString& text, char16_t unit) { return text.View().find(unit) != std::u16string_view::npos; }

}  // namespace

int CUtility::CheckNameValidiy(CString name, int allowFreeForm, int allowSpace) {
  name.TrimLeft();
  name.TrimRight();
  name.MakeUpper();
  if (name.IsEmpty()) return kEmpty;
  if (allowSpace == 0 && Holds(name, u' ')) return kHasSpace;
  for (const char16_t* c = kForbiddenNameCharacters; *c != 0; ++c) {
    if (Holds(name, *c)) return kBadCharacter;
  }
  if (allowFreeForm == 0 && !IsIdentifier(name)) return kBadCharacter;
  if (IsKeyWords(name) != 0) return kKeyWord;
  return kValid;
}

int CUtility::IsPathNameValid(CString name) {
  for (const char16_t* text : kForbiddenPathTexts) {
    if (name.View().find(text) != std::u16string_view::npos) return 0;
  }
  return 1;
}
