#include <cstddef>

#include "Identifiers.h"

namespace utility::diskid {

namespace {

// One field of the text: a shifted copy of the identifier, cut to its width in hexadecimal
// digits; a dash may follow.
struct Field {
  std::uint32_t value;
  int digits;
  bool dash;
};

}  // namespace

void WriteGuidText(std::uint32_t id, char (&text)[kGuidTextSize]) {
  const Field fields[] = {
      {id << 8, 8, true},  {id << 4, 4, true},  {id << 2, 4, true},  {0, 2, false},
      {id << 4, 2, true},  {id >> 2, 2, false}, {id << 1, 2, false}, {id >> 8, 2, false},
      {id >> 4, 2, false}, {id >> 2, 2, false}, {id >> 1, 2, false},
  };
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::size_t at = 0;
  for (const Field& field : fields) {
    for (int digit = field.digits - 1; digit >= 0; --digit) text[at++] = kDigits[(field.value >> (4 * digit)) & 0xFu];
    if (field.dash) text[at++] = '-';
  }
  text[at] = '\0';
}

}  // namespace utility::diskid
