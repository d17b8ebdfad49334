// ScriptTextLines: the lines of the script text a parser scans in place, read where they are (no
// copy of the text, no table of line starts): the line of the current match and the lines after
// it, for the status line and the script check.
//
// Lines are counted from the first byte of the text, 1-based, in the text as the scan reads it
// (NUL bytes dropped). The count goes on from the offset asked last, so a whole scan costs one
// pass over the text; an earlier offset counts again from the start.
//
// Ownership: the parser is not owned and must outlive this object.
// Thread safety: call on the scanning thread (or while it waits), like the parser's byteAt().
#ifndef QUORVALE_SCRIPT_SCRIPT_TEXT_LINES_H_
#define QUORVALE_SCRIPT_SCRIPT_TEXT_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string>

class CQuorvaleScriptParser;

class ScriptTextLines final {
 public:
  explicit ScriptTextLines(const CQuorvaleScriptParser* parser) : parser_(parser) {}

  // Whether the parser scans a text in place; without one every line is empty.
  bool available() const;

  // The number and the first byte's offset of the line that holds |offset|.
  uint32_t lineAt(uint64_t offset);
  uint64_t lineStartAt(uint64_t offset);

  // The line that begins at |start|, without its line end (and carriage returns before it), cut
  // to |maxBytes|; *next (may be null) gets the offset of the following line, or textSize() when
  // this is the last one.
  std::string lineFrom(uint64_t start, size_t maxBytes, uint64_t* next) const;

  uint64_t textSize() const;
  // Where the match whose action runs now begins (the parser's matchOffset()).
  uint64_t matchOffset() const;

 private:
  void countTo(uint64_t offset);

  const CQuorvaleScriptParser* const parser_;
  uint64_t countedTo_ = 0;  // line ends before this offset are counted
  uint32_t line_ = 1;       // the line that holds countedTo_
  uint64_t lineStart_ = 0;  // where it begins
};

#endif  // QUORVALE_SCRIPT_SCRIPT_TEXT_LINES_H_
