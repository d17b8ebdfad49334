// PropertyTable: one camera property's list of (SDK code, name) rows with its two lookups, and
// CodePairTable: pairs of SDK codes that stand for the same value on different bodies.
//
// Display lookup (code -> name): the first row of a code gives its display name. Name lookup
// (name -> code): exact, case-sensitive byte comparison; the first row of a name gives its code.
//
// Thread safety: immutable after construction; any thread may read concurrently.
#ifndef QUORVALE_CAMERA_PROPERTY_TABLE_H_
#define QUORVALE_CAMERA_PROPERTY_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct PropertyRow {
  uint32_t code;
  const char* name;  // a string literal
};

class PropertyTable final {
 public:
  // Copies the rows; the names must live for the whole program (string literals).
  PropertyTable(const PropertyRow* rows, size_t count);
  PropertyTable(const PropertyTable&) = delete;
  PropertyTable& operator=(const PropertyTable&) = delete;

  // The display name of |code|, or null when no row has that code.
  const char* displayName(uint32_t code) const;

  // Sets *code to the code of the first row named exactly |name| and returns true; returns false
  // (leaving *code alone) when no row has that name or |name| is null.
  bool codeOf(const char* name, uint32_t* code) const;

  size_t size() const { return rows_.size(); }
  const PropertyRow& row(size_t index) const { return rows_[index]; }

 private:
  std::vector<PropertyRow> rows_;
  std::unordered_map<uint32_t, const char*> display_;
  std::unordered_map<std::string, uint32_t> names_;
};

class CodePairTable final {
 public:
  explicit CodePairTable(std::vector<std::pair<uint32_t, uint32_t>> pairs);
  CodePairTable(const CodePairTable&) = delete;
  CodePairTable& operator=(const CodePairTable&) = delete;

  // The second member of the pair whose first member is |code|; any other code maps to itself.
  uint32_t toSecond(uint32_t code) const;
  // The first member of the pair whose second member is |code|; any other code maps to itself.
  uint32_t toFirst(uint32_t code) const;

 private:
  std::unordered_map<uint32_t, uint32_t> firstToSecond_;
  std::unordered_map<uint32_t, uint32_t> secondToFirst_;
};

#endif  // QUORVALE_CAMERA_PROPERTY_TABLE_H_
