#include "title_list.h"

#include <set>

#include "run_options.h"

namespace kestrune {

namespace {

std::optional<int> TitleSetNumber(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int n = std::stoi(text);
  if (n < 1 || n > 99) return std::nullopt;
  return n;
}

}  // namespace

std::optional<std::vector<int>> ParseTitleSetList(const std::string& text) {
  std::set<int> numbers;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const std::size_t dash = item.find('-');
    const auto first = TitleSetNumber(item.substr(0, dash));
    const auto last = dash == std::string::npos ? first : TitleSetNumber(item.substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    for (int n = *first; n <= *last; ++n) numbers.insert(n);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return std::vector<int>(numbers.begin(), numbers.end());
}

}  // namespace kestrune
