// How wide a line of the picture's text (UTF-8) is, in the columns the scene
// lays its names out in: one for a letter, two for a Chinese, Japanese or
// Korean ideograph or a full-width sign, which any face draws about twice as
// wide as a Latin or Cyrillic letter.
#pragma once

#include <cstddef>
#include <string_view>

namespace velk {

// The columns text takes.
std::size_t TextColumns(std::string_view text);

// The longest start of text that takes no more than columns, cut between
// characters.
std::string_view LeadingColumns(std::string_view text, std::size_t columns);

// The longest end of text that takes no more than columns, cut between
// characters.
std::string_view TrailingColumns(std::string_view text, std::size_t columns);

}  // namespace velk
