#include "script/script_text_lines.h"

#include "script/script_parser.h"

bool ScriptTextLines::available() const { return parser_ != nullptr && parser_->hasText(); }

uint64_t ScriptTextLines::textSize() const { return available() ? parser_->textSize() : 0; }

uint64_t ScriptTextLines::matchOffset() const { return available() ? parser_->matchOffset() : 0; }

void ScriptTextLines::countTo(uint64_t offset) {
  if (!available()) return;
  if (offset > parser_->textSize()) offset = parser_->textSize();
  if (offset < countedTo_) {
    countedTo_ = 0;
    line_ = 1;
    lineStart_ = 0;
  }
  for (; countedTo_ < offset; ++countedTo_) {
    if (parser_->byteAt(countedTo_) == '\n') {
      ++line_;
      lineStart_ = countedTo_ + 1;
    }
  }
}

uint32_t ScriptTextLines::lineAt(uint64_t offset) {
  countTo(offset);
  return line_;
}

uint64_t ScriptTextLines::lineStartAt(uint64_t offset) {
  countTo(offset);
  return lineStart_;
}

std::string ScriptTextLines::lineFrom(uint64_t start, size_t maxBytes, uint64_t* next) const {
  std::string line;
  bool cut = false;
  const uint64_t size = textSize();
  uint64_t at = start;
  for (; at < size; ++at) {
    const char c = parser_->byteAt(at);
    if (c == '\n') break;
    if (line.size() < maxBytes) {
      line += c;
    } else {
      cut = true;
    }
  }
  if (next != nullptr) *next = at < size ? at + 1 : size;
  while (!cut && !line.empty() && line.back() == '\r') line.pop_back();
  return line;
}
