#include "camera/property_table.h"

PropertyTable::PropertyTable(const PropertyRow* rows, size_t count) : rows_(rows, rows + count) {
  // emplace never replaces an existing key, so the first row of a code or a name wins.
  for (const PropertyRow& row : rows_) {
    display_.emplace(row.code, row.name);
    names_.emplace(row.name, row.code);
  }
}

const char* PropertyTable::displayName(uint32_t code) const {
  auto it = display_.find(code);
  return it == display_.end() ? nullptr : it->second;
}

bool PropertyTable::codeOf(const char* name, uint32_t* code) const {
  if (name == nullptr) return false;
  auto it = names_.find(name);
  if (it == names_.end()) return false;
  *code = it->second;
  return true;
}

CodePairTable::CodePairTable(std::vector<std::pair<uint32_t, uint32_t>> pairs) {
  for (const auto& pair : pairs) {
    firstToSecond_.emplace(pair.first, pair.second);
    secondToFirst_.emplace(pair.second, pair.first);
  }
}

uint32_t CodePairTable::toSecond(uint32_t code) const {
  auto it = firstToSecond_.find(code);
  return it == firstToSecond_.end() ? code : it->second;
}

uint32_t CodePairTable::toFirst(uint32_t code) const {
  auto it = secondToFirst_.find(code);
  return it == secondToFirst_.end() ? code : it->second;
}
